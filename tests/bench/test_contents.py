"""The default card read through pcscd, under T=1 and T=0: its blocks. The SODs, the
chip serial and active authentication show in the product's integration tests."""
import unittest

from smartcard.scard import SCARD_PROTOCOL_T0, SCARD_PROTOCOL_T1

from cardfiles import openssl_verify, parse_block, sha256, sod_message
from client import CardTestCase, apdu_log

HEADER, DOCUMENT, FIXED, VPERSO, VADMIN = 0x0D00, 0x0D01, 0x0D02, 0x0D03, 0x0D04
KEY_FILE = 0x0D07
SODS = {0x0D05: [HEADER, DOCUMENT, FIXED, KEY_FILE], 0x0D06: [VPERSO], 0x0D09: [VADMIN]}


def text16(value):
    return value.decode("utf-16-le")


class DefaultCardTests(CardTestCase):
    protocol = None  # set by the concrete classes

    @classmethod
    def setUpClass(cls):
        cls.reader = cls.insert_for_class("--protocol", cls.protocol)

    def setUp(self):
        self.card = self.terminal(self.reader)

    def test_negotiates_the_protocol_of_the_image(self):
        expected = SCARD_PROTOCOL_T0 if self.protocol == "T0" else SCARD_PROTOCOL_T1
        self.assertEqual(self.card.protocol, expected)

    def test_document_block_is_read_in_chunks_and_holds_the_default_person(self):
        self.assertEqual(self.card.select_application()[1], 0x9000)
        logged_before = len(apdu_log())
        document = self.card.read_file(DOCUMENT)
        tag, elements = parse_block(document)
        self.assertEqual(tag, DOCUMENT)
        self.assertEqual(text16(elements[0x0611]), "Фонд здравственог осигурања Каврин")
        self.assertEqual(elements[0x0613], b"00012345678")
        self.assertEqual(elements[0x0615], b"15032021")
        self.assertEqual(elements[0x0617], b"1A2B3C4D5E6F7081")
        reads = [line for line in apdu_log()[logged_before:] if line.startswith("> 00B0")]
        # 150 bytes: chunks of 128 and 22 at offsets 0 and 128.
        self.assertEqual(reads, ["> 00B0000080", "> 00B0008016"])

    def test_personal_blocks_carry_cyrillic_names_and_latin_transliterations(self):
        self.card.select_application()
        _, fixed = parse_block(self.card.read_file(FIXED))
        self.assertEqual(text16(fixed[0x0622]), "Милутиновић")
        self.assertEqual(text16(fixed[0x0623]), "Milutinović")
        self.assertEqual(text16(fixed[0x0624]), "Јелена")
        _, admin = parse_block(self.card.read_file(VADMIN))
        self.assertEqual(len(admin), 36, "the default card has every administrative element")
        self.assertEqual(admin[0x0643], b"02")
        self.assertEqual(text16(admin[0x0645]), "Булевар ослобођења")
        self.assertEqual(text16(admin[0x065E]), "Примерна фабрика д.о.о.")

    def test_header_block_lists_the_present_blocks(self):
        self.card.select_application()
        _, header = parse_block(self.card.read_file(HEADER))
        self.assertEqual(header[0x0601], b"01")
        self.assertEqual(header[0x0602], b"01")
        ids = [int.from_bytes(header[0x0603][i:i + 2], "little")
               for i in range(0, len(header[0x0603]), 2)]
        self.assertEqual(sorted(ids), [0x0D00, 0x0D01, 0x0D02, 0x0D03, 0x0D04,
                                       0x0D05, 0x0D06, 0x0D07, 0x0D09])

    def test_variable_blocks_hold_only_mandatory_elements(self):
        card = self.terminal(self.insert("--image", "minimal"))
        card.select_application()
        _, perso = parse_block(card.read_file(VPERSO))
        self.assertEqual(sorted(perso), [0x0630, 0x0631, 0x0633])
        _, admin = parse_block(card.read_file(VADMIN))
        self.assertEqual(len(admin), 18)
        self.assertNotIn(0x0650, admin)
        ok, content, error = openssl_verify(sod_message(card.read_file(0x0D09)))
        self.assertTrue(ok, error)
        self.assertEqual(content, sha256(card.read_file(VADMIN)))


if __name__ == "__main__":
    unittest.main()
