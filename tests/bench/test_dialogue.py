"""Exact exchanges and status words of the card, under T=1 and T=0, as the APDU log
records them."""
import unittest

from cardfiles import parse_block
from client import AIDS, CardTestCase, apdu_log, bench

APP1 = AIDS[1]


class T1DialogueTests(CardTestCase, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.reader = cls.insert_for_class("--protocol", "T1")

    def setUp(self):
        self.card = self.terminal(self.reader)
        self.logged_before = len(apdu_log())

    def exchanges(self):
        return apdu_log()[self.logged_before:]

    def test_block_read_exchange_is_logged_exactly(self):
        self.card.select_application()
        self.card.select_file(0x0D00)
        self.card.raw(bytes.fromhex("00B0000004"))
        log = self.exchanges()
        self.assertEqual(log[0], f"> 00A404000D{APP1}00")
        self.assertEqual(log[1], f"< 6F0F840D{APP1}9000")
        self.assertEqual(log[2], "> 00A40000020D0000")
        self.assertRegex(log[3], r"^< 0D00[0-9A-F]{4}9000$")
        self.assertEqual(log[4], "> 00B0000004")
        self.assertRegex(log[5], r"^< 000D[0-9A-F]{4}9000$")
        self.assertEqual(len(log), 6)

    def test_select_answers_the_ef_size_most_significant_byte_first(self):
        self.card.select_application()
        content = self.card.read_file(0x0D04)
        info, sw = self.card.select_file(0x0D04)
        self.assertEqual(sw, 0x9000)
        self.assertEqual(int.from_bytes(info[2:4], "big"), len(content))
        self.assertGreater(len(content), 256, "the administrative block needs a 2-byte size")

    def test_unknown_application_and_missing_files_are_not_found(self):
        self.assertEqual(self.card.case4(bytes.fromhex("00A40400"), bytes.fromhex(AIDS[7]))[1], 0x6A82)
        self.card.case4(bytes.fromhex("00A40400"), bytes.fromhex("A000000003000000"))
        self.assertEqual(self.card.select_file(0x0D01)[1], 0x6A82, "the card manager has no EF")
        self.card.select_application()
        self.assertEqual(self.card.select_file(0x0D08)[1], 0x6A82, "the private key is no file")
        self.assertEqual(self.card.select_file(0x3F00)[1], 0x6A82)

    def test_read_binary_past_the_end(self):
        self.card.select_application()
        self.assertEqual(self.card.raw(bytes.fromhex("00B0000004"))[1], 0x6986, "no EF selected")
        info, _ = self.card.select_file(0x0D01)
        size = int.from_bytes(info[2:4], "big")
        _, sw = self.card.raw(bytes([0x00, 0xB0, size >> 8, size & 0xFF, 0x01]))
        self.assertEqual(sw, 0x6B00)
        offset = size - 10
        _, sw = self.card.raw(bytes([0x00, 0xB0, offset >> 8, offset & 0xFF, 0x20]))
        self.assertEqual(sw, 0x6C0A)
        data, sw = self.card.raw(bytes([0x00, 0xB0, offset >> 8, offset & 0xFF, 0x0A]))
        self.assertEqual((len(data), sw), (10, 0x9000))

    def test_cplc_only_from_a_configured_card_manager(self):
        self.assertEqual(self.card.get_cplc()[1], 0x6A88, "no card manager selected")
        answers = {aid: self.card.case4(bytes.fromhex("00A40400"), bytes.fromhex(aid))[1]
                   for aid in ("A0000000030000", "A000000003000000", "A0000001510000",
                               "A000000018434D00")}
        self.assertEqual(answers, {"A0000000030000": 0x6A82, "A000000003000000": 0x9000,
                                   "A0000001510000": 0x6A82, "A000000018434D00": 0x6A82})

    def test_signature_needs_the_security_environment(self):
        self.card.select_application()
        _, sw = self.card.case4(bytes.fromhex("002A9E00"), bytes(35))
        self.assertEqual(sw, 0x6985)
        _, sw = self.card.raw(bytes.fromhex("002241B607800102840201FF"))
        self.assertEqual(sw, 0x6A88, "unknown key reference")
        signature, sw = self.card.sign(bytes(35))
        self.assertEqual((len(signature), sw), (256, 0x9000))


class T0DialogueTests(CardTestCase, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.reader = cls.insert_for_class("--protocol", "T0")

    def setUp(self):
        self.card = self.terminal(self.reader)
        self.logged_before = len(apdu_log())

    def test_case4_command_with_le_is_refused(self):
        _, sw = self.card.raw(bytes.fromhex(f"00A404000D{APP1}00"))
        self.assertEqual(sw, 0x6700)

    def test_get_response_in_parts_and_with_too_large_le(self):
        self.card.select_application()
        self.card.raw(bytes.fromhex("002241B60780010284020D08"))
        _, sw = self.card.raw(bytes.fromhex("002A9E0023") + bytes(35))
        self.assertEqual(sw, 0x6100)
        first, sw = self.card.raw(bytes.fromhex("00C0000080"))
        self.assertEqual((len(first), sw), (128, 0x6180))
        _, sw = self.card.raw(bytes.fromhex("00C0000090"))
        self.assertEqual(sw, 0x6C80)
        rest, sw = self.card.raw(bytes.fromhex("00C0000080"))
        self.assertEqual((len(rest), sw), (128, 0x9000))
        self.assertEqual(self.card.raw(bytes.fromhex("00C0000010"))[1], 0x6985, "nothing pending")


class CardIdTests(CardTestCase, unittest.TestCase):
    def test_card_id_7_has_only_its_application(self):
        card = self.terminal(self.insert("--card-id", "7"))
        self.assertEqual(card.select_application(1)[1], 0x6A82)
        self.assertEqual(card.select_application(7)[1], 0x9000)
        _, header = parse_block(card.read_file(0x0D00))
        self.assertEqual(header[0x0601], b"07")

    def test_card_with_both_applications_has_a_header_for_each(self):
        card = self.terminal(self.insert("--card-id", "both"))
        for card_id, document_id in ((1, b"01"), (7, b"07")):
            self.assertEqual(card.select_application(card_id)[1], 0x9000)
            _, header = parse_block(card.read_file(0x0D00))
            self.assertEqual(header[0x0601], document_id)


class SecondSlotTests(CardTestCase, unittest.TestCase):
    def test_two_cards_answer_on_their_own_readers(self):
        first = self.terminal(self.insert("--protocol", "T1", slot=0))
        second = self.terminal(self.insert("--protocol", "T0", "--card-id", "7", slot=1))
        self.assertNotEqual(first.protocol, second.protocol)
        self.assertEqual(first.select_application(1)[1], 0x9000)
        self.assertEqual(second.select_application(7)[1], 0x9000)
        self.assertEqual(len(apdu_log(1)), 4)  # SELECT, 61xx, GET RESPONSE, answer
        bench("log", "--slot", "1", "--clear")
        self.assertEqual(apdu_log(1), [])
        self.assertEqual(second.select_file(0x0D01)[1], 0x9000)
        self.assertEqual(apdu_log(1)[0], "> 00A40000020D01")


if __name__ == "__main__":
    unittest.main()
