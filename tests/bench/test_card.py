"""What the product's suites take from the virtual card on trust: its T=0 strictness and
a reset that really happens. A card that got one of these wrong would let a product test
pass that should fail."""
import unittest

from client import CardTestCase, PcscError, bench

SCARD_W_RESET_CARD = 0x80100068


class CardTests(CardTestCase, unittest.TestCase):
    def test_t0_card_refuses_what_only_t1_allows(self):
        card = self.terminal("--protocol", "T0")
        # (data length, sw) of each command in turn: Le refused, the selection's answer
        # fetched, then the 256-byte signature read in two.
        exchanges = [("00A404000DF38100000253455256535A4B0100", (0, 0x6700)),
                     ("00A404000DF38100000253455256535A4B01", (0, 0x6111)), ("00C0000011", (17, 0x9000)),
                     ("002241B60780010284020D08", (0, 0x9000)), ("002A9E0023" + "00" * 35, (0, 0x6100)),
                     ("00C0000080", (128, 0x6180)), ("00C0000090", (0, 0x6C80)),
                     ("00C0000080", (128, 0x9000)), ("00C0000010", (0, 0x6985))]
        self.assertEqual([card.raw(command) for command, _ in exchanges], [a for _, a in exchanges])

    def test_reset_meets_the_next_transaction(self):
        card = self.terminal()
        card.begin()
        card.end()
        bench("reset")
        with self.assertRaises(PcscError) as caught:
            card.begin()
        self.assertEqual(caught.exception.code, SCARD_W_RESET_CARD)


if __name__ == "__main__":
    unittest.main()
