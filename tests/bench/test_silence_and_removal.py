"""The two ways a card stops talking: it leaves the reader (remove-after), and it stays
but answers nothing more (silent-after). Both must behave the same on every run, so no
suite that builds on them depends on timing."""
import threading
import unittest

from client import CardTestCase, PcscError, bench

SCARD_W_REMOVED_CARD = 0x80100069
SCARD_E_NOT_TRANSACTED = 0x80100016


class RemovalAndSilenceTests(CardTestCase, unittest.TestCase):
    def test_removal_fails_the_next_transfer_on_every_run(self):
        # Once raced with vpcd: now and then the transfer after the last answer came
        # back empty instead of failing.
        for protocol in ("T1", "T0"):
            for run in range(5):
                with self.subTest(protocol=protocol, run=run):
                    card = self.terminal(self.insert("--protocol", protocol, "--fault", "remove-after=1"))
                    card.raw(bytes.fromhex("00B0000004"))  # answered (6986: nothing selected)
                    with self.assertRaises(PcscError) as caught:
                        card.raw(bytes.fromhex("00B0000004"))
                    self.assertIn(caught.exception.code, (SCARD_E_NOT_TRANSACTED, SCARD_W_REMOVED_CARD))
                    self.doCleanups()

    def test_a_silent_card_keeps_the_transfer_waiting_until_it_is_removed(self):
        card = self.terminal(self.insert("--fault", "silent-after=1"))
        self.assertEqual(card.select_application()[1], 0x9000)
        outcome = {}

        def transfer():
            try:
                outcome["answer"] = card.raw(bytes.fromhex("00B0000004"))
            except PcscError as error:
                outcome["error"] = error.code

        waiting = threading.Thread(target=transfer, daemon=True)
        waiting.start()
        waiting.join(2.0)
        self.assertTrue(waiting.is_alive(), f"the silent card answered: {outcome}")
        bench("remove")
        waiting.join(10.0)
        self.assertFalse(waiting.is_alive(), "the transfer still waits after the card left")
        # vpcd reports the end of a card it was waiting for as an empty answer.
        self.assertIn(outcome.get("answer", (b"", 0)), [(b"", 0)], "a card that said nothing gave an answer")

    def test_silent_after_needs_a_count(self):
        result = bench("insert", "--fault", "silent-after", check=False)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("needs a value", result.stderr)


if __name__ == "__main__":
    unittest.main()
