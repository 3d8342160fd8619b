"""What the product's suites take from the virtual card on trust: its T=0 strictness, a
reset that really happens, a cloned chip forged as named. A card that got one of these
wrong would let a product test pass that should fail."""
import os
import unittest

from cryptography.hazmat.primitives import hashes
from cryptography.hazmat.primitives.asymmetric import padding, rsa

from client import SCARD_W_RESET_CARD, CardTestCase, PcscError, bench, sod_content


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

    def test_cloned_chip_signs_with_its_own_key_which_the_sod_does_not_cover(self):
        for fault, covered in (([], True), (["--fault", "cloned-chip"], False)):
            with self.subTest(fault=fault):
                card = self.terminal(*fault)
                key_file = card.read_file(0x0D07)
                ok, content, error = sod_content(card.read_file(0x0D05))
                self.assertTrue(ok, error)
                key_hash = hashes.Hash(hashes.SHA256())
                key_hash.update(key_file)
                self.assertEqual(content[96:128] == key_hash.finalize(), covered)
                challenge = os.urandom(128)
                signature, sw = card.sign(challenge)
                self.assertEqual(sw, 0x9000)
                public_key(key_file).verify(signature, challenge, padding.PKCS1v15(), hashes.SHA1())
                self.doCleanups()


if __name__ == "__main__":
    unittest.main()
