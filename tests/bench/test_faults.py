"""Every fault switch of the virtual card, seen through pcscd as a reader of the card
would meet it."""
import os
import unittest

from cryptography.exceptions import InvalidSignature
from cryptography.hazmat.primitives import hashes
from cryptography.hazmat.primitives.asymmetric import padding

from cardfiles import digest_info, openssl_verify, parse_block, public_key, sha256, sod_message
from client import CardTestCase, PcscError, Terminal, bench

SCARD_W_RESET_CARD = 0x80100068
SCARD_W_REMOVED_CARD = 0x80100069
SCARD_E_NOT_TRANSACTED = 0x80100016
SCARD_E_NO_SMARTCARD = 0x8010000C


class FaultTests(CardTestCase, unittest.TestCase):
    def card_with(self, *faults, protocol="T1"):
        options = ["--protocol", protocol]
        for fault in faults:
            options += ["--fault", fault]
        card = self.terminal(self.insert(*options))
        self.assertEqual(card.select_application()[1], 0x9000)
        return card

    def sod_content(self, card, sod_id=0x0D05):
        ok, content, error = openssl_verify(sod_message(card.read_file(sod_id)))
        self.assertTrue(ok, error)
        return content

    def test_tamper_block_breaks_only_that_blocks_hash(self):
        card = self.card_with("tamper-block=0D02")
        content = self.sod_content(card)
        self.assertEqual(content[32:64], sha256(card.read_file(0x0D01)))
        self.assertNotEqual(content[64:96], sha256(card.read_file(0x0D02)))
        _, fixed = parse_block(card.read_file(0x0D02))
        self.assertEqual(fixed[0x0621], b"10203040507", "InsurantNumber, last digit counted up")

    def test_tamper_block_defaults_to_the_document_block(self):
        card = self.card_with("tamper-block")
        self.assertNotEqual(self.sod_content(card)[32:64], sha256(card.read_file(0x0D01)))

    def test_bad_sod_signature_fails_verification_of_that_sod_only(self):
        card = self.card_with("bad-sod-signature=0D06")
        ok, _, _ = openssl_verify(sod_message(card.read_file(0x0D06)))
        self.assertFalse(ok)
        self.sod_content(card, 0x0D05)
        self.sod_content(card, 0x0D09)

    def test_sod_not_present_is_missing_from_the_header_list_but_readable(self):
        card = self.card_with("sod-not-present=0D09")
        _, header = parse_block(card.read_file(0x0D00))
        ids = {int.from_bytes(header[0x0603][i:i + 2], "little") for i in range(0, len(header[0x0603]), 2)}
        self.assertNotIn(0x0D09, ids)
        self.assertIn(0x0D05, ids)
        self.sod_content(card, 0x0D09)
        # The header is covered by SOD 0D05, which signs the header as served.
        self.assertEqual(self.sod_content(card)[0:32], sha256(card.read_file(0x0D00)))

    def _aa_signature_verifies(self, card):
        key = public_key(card.read_file(0x0D07))
        challenge = os.urandom(128)
        signature, sw = card.sign(digest_info(challenge))
        self.assertEqual(sw, 0x9000)
        try:
            key.verify(signature, challenge, padding.PKCS1v15(), hashes.SHA1())
            return True
        except InvalidSignature:
            return False

    def test_wrong_aa_key_serves_a_key_file_of_another_key(self):
        card = self.card_with("wrong-aa-key")
        self.assertFalse(self._aa_signature_verifies(card))
        # The key file is still the one the SOD signs.
        self.assertEqual(self.sod_content(card)[96:128], sha256(card.read_file(0x0D07)))

    def test_bad_aa_signature_signs_other_data(self):
        self.assertFalse(self._aa_signature_verifies(self.card_with("bad-aa-signature")))

    def test_chip_serial_mismatch_changes_the_cplc_not_the_document(self):
        card = self.card_with("chip-serial-mismatch", protocol="T0")
        _, document = parse_block(card.read_file(0x0D01))
        self.assertEqual(document[0x0617], b"1A2B3C4D5E6F7081")
        card.case4(bytes.fromhex("00A40400"), bytes.fromhex("A000000003000000"))
        cplc, sw = card.get_cplc()
        self.assertEqual(sw, 0x9000)
        self.assertEqual(len(cplc[13:21]), 8)
        self.assertNotEqual(cplc[13:21].hex().upper(), "1A2B3C4D5E6F7081")

    def _ef(self, card, file_id):
        info, sw = card.select_file(file_id)
        self.assertEqual(sw, 0x9000)
        size = int.from_bytes(info[2:4], "big")
        header, sw = card.raw(bytes([0x00, 0xB0, 0x00, 0x00, min(size, 4)]))
        self.assertEqual(sw, 0x9000)
        return size, header

    def test_header_tag_mismatch(self):
        _, header = self._ef(self.card_with("header-tag-mismatch=0D03"), 0x0D03)
        self.assertEqual(int.from_bytes(header[0:2], "little"), 0x0D04)

    def test_tiny_ef(self):
        size, _ = self._ef(self.card_with("tiny-ef=0D02"), 0x0D02)
        self.assertEqual(size, 3)

    def test_length_overflow(self):
        size, header = self._ef(self.card_with("length-overflow"), 0x0D01)
        self.assertEqual(int.from_bytes(header[2:4], "little"), size + 1)

    def test_missing_element_is_absent_and_the_sod_still_matches(self):
        card = self.card_with("missing-element=0x0643")
        _, admin = parse_block(card.read_file(0x0D04))
        self.assertNotIn(0x0643, admin)
        self.assertIn(0x0644, admin)
        self.assertEqual(self.sod_content(card, 0x0D09), sha256(card.read_file(0x0D04)))

    def test_card_managers_switch(self):
        card = self.card_with("card-managers=A0000001510000")
        answers = [card.case4(bytes.fromhex("00A40400"), bytes.fromhex(aid))[1]
                   for aid in ("A0000000030000", "A000000003000000", "A0000001510000")]
        self.assertEqual(answers, [0x6A82, 0x6A82, 0x9000])
        bench("remove")
        card = self.terminal(self.insert("--fault", "card-managers=none"))
        self.assertEqual(card.case4(bytes.fromhex("00A40400"), bytes.fromhex("A000000018434D00"))[1], 0x6A82)

    def test_remove_after_n_commands(self):
        card = self.card_with("remove-after=3")  # the SELECT is command 1
        self.assertEqual(card.select_file(0x0D01)[1], 0x9000)
        self.assertEqual(card.raw(bytes.fromhex("00B0000004"))[1], 0x9000)
        with self.assertRaises(PcscError) as caught:
            card.raw(bytes.fromhex("00B0000004"))
        # The transfer fails, or pcscd has already seen the card go.
        self.assertIn(caught.exception.code, (SCARD_E_NOT_TRANSACTED, SCARD_W_REMOVED_CARD))
        reader = bench("reader").stdout.strip()
        bench("remove")  # returns once the reader reports no card
        with self.assertRaises(PcscError) as caught:
            Terminal(reader)
        self.assertEqual(caught.exception.code, SCARD_E_NO_SMARTCARD)

    def test_reset_after_n_commands_meets_the_next_transaction(self):
        card = self.card_with("reset-after=2")
        card.begin()
        card.select_file(0x0D01)
        card.end()
        bench("wait-reset")
        with self.assertRaises(PcscError) as caught:
            card.begin()
        self.assertEqual(caught.exception.code, SCARD_W_RESET_CARD)

    def test_reset_command_resets_between_operations(self):
        reader = self.insert()
        with Terminal(reader) as card:
            card.begin()
            card.select_application()
            card.end()
            bench("reset")
            with self.assertRaises(PcscError) as caught:
                card.begin()
            self.assertEqual(caught.exception.code, SCARD_W_RESET_CARD)


class FaultArgumentTests(unittest.TestCase):
    def test_bad_fault_switches_fail_at_once_with_a_clear_error(self):
        cases = {
            "no-such-fault": "unknown fault",
            "remove-after": "needs a value",
            "tamper-block=0D07": "not one of the data blocks",
            "wrong-aa-key=1": "takes no value",
            "missing-element=0x0700": "not an element",
        }
        for fault, message in cases.items():
            with self.subTest(fault=fault):
                result = bench("insert", "--fault", fault, check=False)
                self.assertNotEqual(result.returncode, 0)
                self.assertIn(message, result.stderr)
        self.assertEqual(bench("log").stdout, "", "no card answered anything")


if __name__ == "__main__":
    unittest.main()
