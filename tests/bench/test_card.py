"""What the product's suites take from the virtual card on trust: its T=0 strictness, a
reset that really happens, a cloned chip forged as named, raw signing as PKCS#1 v1.5
defines it for any data (a faulty card's too). A card that got one of these wrong would
let a product test pass that should fail."""
import hashlib
import os
import sys
import unittest

from cryptography.hazmat.primitives import hashes
from cryptography.hazmat.primitives.asymmetric import padding, rsa

from client import ROOT, SCARD_W_RESET_CARD, SHA1_PREFIX, CardTestCase, PcscError, bench

sys.path.insert(0, os.path.join(ROOT, "tools", "virtual-card"))
from vcard import pki  # noqa: E402


def public_key(key_file):
    """The RSA key of the card's key file: modulus length at bytes 5-6, then the
    modulus, the exponent's length and the exponent."""
    m = int.from_bytes(key_file[5:7], "big")
    e = int.from_bytes(key_file[7 + m:9 + m], "big")
    assert len(key_file) == 9 + m + e, "key file longer or shorter than it declares"
    return rsa.RSAPublicNumbers(int.from_bytes(key_file[9 + m:], "big"),
                                int.from_bytes(key_file[7:7 + m], "big")).public_key()


class CardTests(CardTestCase, unittest.TestCase):
    def test_t0_card_refuses_what_only_t1_allows(self):
        card = self.terminal("--protocol", "T0")
        self.assertEqual(card.raw(bytes.fromhex("00A404000DF38100000253455256535A4B0100"))[1], 0x6700)
        card.raw(bytes.fromhex("002241B60780010284020D08"))
        self.assertEqual(card.raw(bytes.fromhex("002A9E0023") + bytes(35))[1], 0x6100)
        first, sw = card.raw(bytes.fromhex("00C0000080"))
        self.assertEqual((len(first), sw), (128, 0x6180))
        self.assertEqual(card.raw(bytes.fromhex("00C0000090"))[1], 0x6C80)
        rest, sw = card.raw(bytes.fromhex("00C0000080"))
        self.assertEqual((len(rest), sw), (128, 0x9000))
        self.assertEqual(card.raw(bytes.fromhex("00C0000010"))[1], 0x6985, "nothing pending")

    def test_reset_meets_the_next_transaction(self):
        card = self.terminal()
        card.begin()
        card.end()
        bench("reset")
        with self.assertRaises(PcscError) as caught:
            card.begin()
        self.assertEqual(caught.exception.code, SCARD_W_RESET_CARD)

    def test_cloned_chip_signs_validly_with_the_key_it_serves(self):
        # The product must fail it on the key's hash, not on a bad signature.
        card = self.terminal("--fault", "cloned-chip")
        challenge = os.urandom(128)
        signature, sw = card.sign(challenge)
        self.assertEqual(sw, 0x9000)
        public_key(card.read_file(0x0D07)).verify(signature, challenge, padding.PKCS1v15(), hashes.SHA1())


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
