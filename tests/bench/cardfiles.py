"""Reading back what the card serves: blocks as (tag, elements), SOD messages checked
with the openssl command, the public-key file as an RSA key."""
import hashlib
import os
import struct
import subprocess
import tempfile

from cryptography.hazmat.primitives.asymmetric import rsa


def parse_block(data):
    """(tag, {element tag: value}) of a block: 4-byte header, then elements; all
    numbers 16-bit little-endian."""
    tag, length = struct.unpack_from("<HH", data)
    assert length == len(data) - 4, f"block 0x{tag:04X}: length {length}, size {len(data)}"
    elements, offset = {}, 4
    while offset < len(data):
        t, n = struct.unpack_from("<HH", data, offset)
        elements.setdefault(t, data[offset + 4:offset + 4 + n])
        offset += 4 + n
    assert offset == len(data), "elements overrun the block"
    return tag, elements


def sod_message(sod_file):
    """The DER message inside an SOD file (a block with one element)."""
    _, elements = parse_block(sod_file)
    (message,) = elements.values()
    return message


def openssl_verify(message):
    """Verifies a DER CMS SignedData with the certificate it carries (no chain);
    returns (ok, content, error text)."""
    with tempfile.TemporaryDirectory() as folder:
        path, out = os.path.join(folder, "sod.der"), os.path.join(folder, "content")
        with open(path, "wb") as f:
            f.write(message)
        result = subprocess.run(["openssl", "cms", "-verify", "-inform", "DER", "-binary",
                                 "-noverify", "-in", path, "-out", out],
                                capture_output=True, text=True, timeout=30)
        content = b""
        if os.path.exists(out):
            with open(out, "rb") as f:
                content = f.read()
        return result.returncode == 0, content, result.stderr


def sha256(data):
    return hashlib.sha256(data).digest()


def public_key(key_file):
    """RSA public key from the card's key file: byte 1 type, modulus length at 5-6."""
    m = int.from_bytes(key_file[5:7], "big")
    modulus = key_file[7:7 + m]
    e = int.from_bytes(key_file[7 + m:9 + m], "big")
    exponent = key_file[9 + m:9 + m + e]
    assert len(key_file) == 9 + m + e, "key file longer or shorter than it declares"
    return rsa.RSAPublicNumbers(int.from_bytes(exponent, "big"),
                                int.from_bytes(modulus, "big")).public_key()


SHA1_DIGEST_INFO_PREFIX = bytes.fromhex("3021300906052B0E03021A05000414")


def digest_info(challenge):
    return SHA1_DIGEST_INFO_PREFIX + hashlib.sha1(challenge).digest()
