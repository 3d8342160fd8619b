"""The card's raw RSA signing: whichever way it takes (the library's signing for a known
DigestInfo, the CRT arithmetic for any other data), the answer is the one PKCS#1 v1.5
defines: the padded data to the power d modulo n."""
import hashlib
import os
import sys
import unittest

from cryptography.hazmat.primitives.asymmetric import rsa

from client import ROOT

sys.path.insert(0, os.path.join(ROOT, "tools", "virtual-card"))
from vcard import pki  # noqa: E402

SHA1_PREFIX = bytes.fromhex("3021300906052B0E03021A05000414")
SHA256_PREFIX = bytes.fromhex("3031300D060960864801650304020105000420")


def textbook_signature(key, data):
    numbers = key.private_numbers()
    n = numbers.public_numbers.n
    k = (n.bit_length() + 7) // 8
    padded = b"\x00\x01" + b"\xff" * (k - 3 - len(data)) + b"\x00" + data
    return pow(int.from_bytes(padded, "big"), numbers.d, n).to_bytes(k, "big")


class RawSigningTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.key = rsa.generate_private_key(public_exponent=65537, key_size=2048)

    def test_every_kind_of_data_gets_the_textbook_signature(self):
        challenge = os.urandom(128)
        cases = {
            "SHA-1 DigestInfo": SHA1_PREFIX + hashlib.sha1(challenge).digest(),
            "SHA-256 DigestInfo": SHA256_PREFIX + hashlib.sha256(challenge).digest(),
            # A faulty card flips the first byte: no DigestInfo any more.
            "other data": bytes([SHA1_PREFIX[0] ^ 0xFF]) + SHA1_PREFIX[1:] + hashlib.sha1(challenge).digest(),
            "SHA-1 prefix with a short digest": SHA1_PREFIX + bytes(19),
            "longest data the key takes": os.urandom(256 - 11),
        }
        for name, data in cases.items():
            with self.subTest(name):
                self.assertEqual(pki.rsa_sign_raw(self.key, data), textbook_signature(self.key, data))

    def test_data_too_long_for_the_key_is_refused(self):
        with self.assertRaises(ValueError):
            pki.rsa_sign_raw(self.key, bytes(256 - 10))


if __name__ == "__main__":
    unittest.main()
