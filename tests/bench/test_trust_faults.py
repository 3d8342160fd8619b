"""The fault switches that make a card a forgery a reader must catch: a cloned chip with
a key pair of its own, SODs signed under another CA, an expired document signer."""
import os
import subprocess
import tempfile
import unittest

from cryptography.exceptions import InvalidSignature
from cryptography.hazmat.primitives import hashes
from cryptography.hazmat.primitives.asymmetric import padding

from cardfiles import digest_info, openssl_verify, public_key, sha256, sod_message
from client import CardTestCase, bench


def chain_check(message, ca_file):
    """Verifies a DER CMS SignedData and its signer's chain to CA_FILE at the current
    time; returns (ok, error text)."""
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "sod.der")
        with open(path, "wb") as f:
            f.write(message)
        result = subprocess.run(["openssl", "cms", "-verify", "-inform", "DER", "-binary",
                                 "-purpose", "any", "-CAfile", ca_file, "-in", path,
                                 "-out", os.devnull], capture_output=True, text=True, timeout=30)
        return result.returncode == 0, result.stderr


class TrustFaultTests(CardTestCase, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.ca = bench("ca").stdout.strip()
        cls.other_ca = os.path.join(os.path.dirname(cls.ca), "other-ca.pem")

    def card_with(self, *faults, protocol="T1"):
        options = ["--protocol", protocol]
        for fault in faults:
            options += ["--fault", fault]
        card = self.terminal(self.insert(*options))
        self.assertEqual(card.select_application()[1], 0x9000)
        return card

    def signs_with_served_key(self, card):
        key = public_key(card.read_file(0x0D07))
        challenge = os.urandom(128)
        signature, sw = card.sign(digest_info(challenge))
        self.assertEqual(sw, 0x9000)
        try:
            key.verify(signature, challenge, padding.PKCS1v15(), hashes.SHA1())
            return True
        except InvalidSignature:
            return False

    def test_genuine_card_signs_its_sods_under_the_bench_ca_and_covers_its_key(self):
        card = self.card_with()
        for sod in (0x0D05, 0x0D06, 0x0D09):
            ok, error = chain_check(sod_message(card.read_file(sod)), self.ca)
            self.assertTrue(ok, error)
        ok, content, error = openssl_verify(sod_message(card.read_file(0x0D05)))
        self.assertTrue(ok, error)
        self.assertEqual(content[96:128], sha256(card.read_file(0x0D07)))
        self.assertTrue(self.signs_with_served_key(card))

    def test_cloned_chip_signs_with_its_own_key_which_the_sod_does_not_cover(self):
        card = self.card_with("cloned-chip")
        self.assertTrue(self.signs_with_served_key(card))
        ok, content, error = openssl_verify(sod_message(card.read_file(0x0D05)))
        self.assertTrue(ok, error)
        self.assertNotEqual(content[96:128], sha256(card.read_file(0x0D07)))
        # Everything else is the genuine card's.
        self.assertEqual(content[0:32], sha256(card.read_file(0x0D00)))
        self.assertEqual(content[32:64], sha256(card.read_file(0x0D01)))
        self.assertEqual(content[64:96], sha256(card.read_file(0x0D02)))

    def test_other_ca_signs_every_sod_under_a_ca_that_is_not_the_bench_one(self):
        card = self.card_with("other-ca")
        for sod in (0x0D05, 0x0D06, 0x0D09):
            message = sod_message(card.read_file(sod))
            ok, content, error = openssl_verify(message)
            self.assertTrue(ok, error)
            ok, error = chain_check(message, self.ca)
            self.assertFalse(ok)
            self.assertIn("unable to get local issuer certificate", error)
            ok, error = chain_check(message, self.other_ca)
            self.assertTrue(ok, error)

    def test_expired_signer_is_issued_by_the_bench_ca_but_expired(self):
        card = self.card_with("expired-signer", protocol="T0")
        for sod in (0x0D05, 0x0D06, 0x0D09):
            message = sod_message(card.read_file(sod))
            ok, _, error = openssl_verify(message)
            self.assertTrue(ok, error)
            ok, error = chain_check(message, self.ca)
            self.assertFalse(ok)
            self.assertIn("certificate has expired", error)


if __name__ == "__main__":
    unittest.main()
