"""Test keys and certificates of the bench, made at run time: a test CA, a document
signer issued by it (signs the SOD files) and the card's active-authentication RSA keys.
They are kept in a keys folder so that every card of one bench shares them. None of
them protects anything: they exist only for tests."""
import datetime
import fcntl
import os

from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import padding, rsa, utils
from cryptography.hazmat.primitives.serialization import pkcs7
from cryptography.x509.oid import NameOID

KEY_BITS = 2048


def _new_key():
    return rsa.generate_private_key(public_exponent=65537, key_size=KEY_BITS)


def _name(common_name):
    return x509.Name([x509.NameAttribute(NameOID.COUNTRY_NAME, "XK"),
                      x509.NameAttribute(NameOID.ORGANIZATION_NAME, "kavrin-hc test bench"),
                      x509.NameAttribute(NameOID.COMMON_NAME, common_name)])


def _certificate(subject, subject_key, issuer, issuer_key, is_ca):
    now = datetime.datetime.now(datetime.timezone.utc)
    return (x509.CertificateBuilder()
            .subject_name(subject).issuer_name(issuer)
            .public_key(subject_key.public_key())
            .serial_number(x509.random_serial_number())
            .not_valid_before(now - datetime.timedelta(days=1))
            .not_valid_after(now + datetime.timedelta(days=3650))
            .add_extension(x509.BasicConstraints(ca=is_ca, path_length=None), critical=True)
            .sign(issuer_key, hashes.SHA256()))


class BenchKeys:
    """ca_key/ca_cert, signer_key/signer_cert, aa_key (the card's) and other_aa_key (a
    key that belongs to no card, for the wrong-key fault)."""

    FILES = ("ca.key", "ca.pem", "signer.key", "signer.pem", "aa.key", "other-aa.key")

    def __init__(self, folder):
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, ".lock"), "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            if not all(os.path.exists(os.path.join(folder, f)) for f in self.FILES):
                self._generate(folder)
            self._load(folder)

    def _generate(self, folder):
        ca_key, signer_key = _new_key(), _new_key()
        ca_cert = _certificate(_name("kavrin-hc test CA"), ca_key,
                               _name("kavrin-hc test CA"), ca_key, True)
        signer_cert = _certificate(_name("kavrin-hc test document signer"), signer_key,
                                   ca_cert.subject, ca_key, False)
        pem_key = lambda k: k.private_bytes(serialization.Encoding.PEM,
                                            serialization.PrivateFormat.PKCS8,
                                            serialization.NoEncryption())
        contents = {
            "ca.key": pem_key(ca_key), "ca.pem": ca_cert.public_bytes(serialization.Encoding.PEM),
            "signer.key": pem_key(signer_key),
            "signer.pem": signer_cert.public_bytes(serialization.Encoding.PEM),
            "aa.key": pem_key(_new_key()), "other-aa.key": pem_key(_new_key()),
        }
        for name, data in contents.items():
            tmp = os.path.join(folder, name + ".tmp")
            with open(tmp, "wb") as f:
                f.write(data)
            os.replace(tmp, os.path.join(folder, name))

    def _load(self, folder):
        def read(name):
            with open(os.path.join(folder, name), "rb") as f:
                return f.read()
        load_key = lambda n: serialization.load_pem_private_key(read(n), password=None)
        self.ca_key, self.signer_key = load_key("ca.key"), load_key("signer.key")
        self.aa_key, self.other_aa_key = load_key("aa.key"), load_key("other-aa.key")
        self.ca_cert = x509.load_pem_x509_certificate(read("ca.pem"))
        self.signer_cert = x509.load_pem_x509_certificate(read("signer.pem"))


def sign_content(content, keys):
    """DER CMS SignedData with CONTENT attached, signed by the document signer, carrying
    its certificate."""
    return (pkcs7.PKCS7SignatureBuilder()
            .set_data(content)
            .add_signer(keys.signer_cert, keys.signer_key, hashes.SHA256())
            .sign(serialization.Encoding.DER, [pkcs7.PKCS7Options.Binary]))


# DER DigestInfo prefixes of the digests a card is asked to sign; the digest follows.
_DIGEST_INFO_PREFIXES = {
    bytes.fromhex("3021300906052B0E03021A05000414"): hashes.SHA1(),
    bytes.fromhex("3031300D060960864801650304020105000420"): hashes.SHA256(),
}


def rsa_sign_raw(private_key, data):
    """PKCS#1 v1.5 signature (block type 1) over DATA as given: the caller supplies the
    DigestInfo, the card only pads and applies its private key. A DigestInfo of a known
    digest is signed by the library itself (its CRT private-key operation, about a
    millisecond); any other data, such as a faulty card's, with the same CRT arithmetic
    here."""
    k = (private_key.key_size + 7) // 8
    if len(data) > k - 11:
        raise ValueError("data too long for the key")
    for prefix, digest in _DIGEST_INFO_PREFIXES.items():
        if data.startswith(prefix) and len(data) == len(prefix) + digest.digest_size:
            return private_key.sign(data[len(prefix):], padding.PKCS1v15(), utils.Prehashed(digest))
    numbers = private_key.private_numbers()
    padded = b"\x00\x01" + b"\xff" * (k - 3 - len(data)) + b"\x00" + data
    return _crt_private_operation(numbers, int.from_bytes(padded, "big")).to_bytes(k, "big")


def _crt_private_operation(numbers, m):
    """m to the power d modulo n, by its two halves modulo p and q (Garner)."""
    m1 = pow(m, numbers.dmp1, numbers.p)
    m2 = pow(m, numbers.dmq1, numbers.q)
    h = numbers.iqmp * (m1 - m2) % numbers.p
    return m2 + h * numbers.q


def public_key_file(private_key, key_type=2):
    """The card's public-key file: byte 1 the key type, bytes 5-6 the modulus length, the
    modulus, a 2-byte exponent length and the exponent (lengths most significant byte
    first). Bytes 0 and 2 to 4 carry no meaning for readers."""
    numbers = private_key.public_key().public_numbers()
    modulus = numbers.n.to_bytes((numbers.n.bit_length() + 7) // 8, "big")
    exponent = numbers.e.to_bytes((numbers.e.bit_length() + 7) // 8, "big")
    return (bytes([0x01, key_type, 0x00, 0x00, 0x00]) + len(modulus).to_bytes(2, "big") + modulus
            + len(exponent).to_bytes(2, "big") + exponent)
