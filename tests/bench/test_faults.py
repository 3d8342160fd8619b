"""The virtual card's fault switches that no product test meets: the others show in the
integration tests, each through the exact failure the product reports for it."""
import unittest

from cardfiles import openssl_verify, parse_block, sha256, sod_message
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
