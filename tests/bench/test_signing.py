"""The card's raw RSA signing gives the PKCS#1 v1.5 signature of the data as given,
whichever way it takes: a faulty card's data must be signed as faithfully as a
DigestInfo, or a test of a bad signature would pass for the wrong reason."""
import hashlib
import os
import sys
import unittest

from cryptography.hazmat.primitives.asymmetric import rsa

from client import ROOT, SHA1_PREFIX

sys.path.insert(0, os.path.join(ROOT, "tools", "virtual-card"))
from vcard import pki  # noqa: E402

SHA256_PREFIX = bytes.fromhex("3031300D060960864801650304020105000420")


def textbook_signature(key, data):
    numbers = key.private_numbers()
    n = numbers.public_numbers.n
    k = (n.bit_length() + 7) // 8
    padded = b"\x00\x01" + b"\xff" * (k - 3 - len(data)) + b"\x00" + data
    return pow(int.from_bytes(padded, "big"), numbers.d, n).to_bytes(k, "big")


class RawSigningTests(unittest.TestCase):
    def test_every_kind_of_data_gets_the_textbook_signature(self):
        key = rsa.generate_private_key(public_exponent=65537, key_size=2048)
        digest = hashlib.sha1(os.urandom(128)).digest()
        cases = {
            "SHA-1 DigestInfo": SHA1_PREFIX + digest,
            "SHA-256 DigestInfo": SHA256_PREFIX + hashlib.sha256(digest).digest(),
            "first byte flipped": bytes([SHA1_PREFIX[0] ^ 0xFF]) + SHA1_PREFIX[1:] + digest,
            "short digest": SHA1_PREFIX + bytes(19),
            "longest data the key takes": os.urandom(256 - 11),
        }
        for name, data in cases.items():
            with self.subTest(name):
                self.assertEqual(pki.rsa_sign_raw(key, data), textbook_signature(key, data))
        with self.assertRaises(ValueError):
            pki.rsa_sign_raw(key, bytes(256 - 10))


if __name__ == "__main__":
    unittest.main()
