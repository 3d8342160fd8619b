"""A small PC/SC terminal for the bench's own tests (pyscard's raw calls, none of the
card's code), and the bench's card tool."""
import hashlib
import os
import subprocess

from smartcard.scard import (SCARD_LEAVE_CARD, SCARD_PROTOCOL_T0, SCARD_PROTOCOL_T1,
                             SCARD_S_SUCCESS, SCARD_SCOPE_USER, SCARD_SHARE_SHARED,
                             SCardBeginTransaction, SCardConnect, SCardDisconnect,
                             SCardEndTransaction, SCardEstablishContext, SCardReleaseContext,
                             SCardTransmit)

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
CARD_TOOL = os.path.join(ROOT, "tools", "bench", "card")
APPLICATION = bytes.fromhex("F38100000253455256535A4B01")
SHA1_PREFIX = bytes.fromhex("3021300906052B0E03021A05000414")
SCARD_W_RESET_CARD = 0x80100068


def bench(*args):
    result = subprocess.run([CARD_TOOL, *args], capture_output=True, text=True, timeout=60)
    if result.returncode != 0:
        raise AssertionError(f"card {' '.join(args)} failed: {result.stderr}")
    return result.stdout.strip()


class PcscError(Exception):
    def __init__(self, call, code):
        super().__init__(f"{call}: 0x{code & 0xFFFFFFFF:08X}")
        self.code = code & 0xFFFFFFFF


def _check(call, result):
    if result != SCARD_S_SUCCESS:
        raise PcscError(call, result)


class Terminal:
    """One shared connection to a reader, T=0 or T=1 as negotiated."""

    def __init__(self, reader):
        result, self.context = SCardEstablishContext(SCARD_SCOPE_USER)
        _check("SCardEstablishContext", result)
        result, self.card, self.protocol = SCardConnect(
            self.context, reader, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1)
        _check("SCardConnect", result)

    def close(self):
        SCardDisconnect(self.card, SCARD_LEAVE_CARD)
        SCardReleaseContext(self.context)

    def begin(self):
        _check("SCardBeginTransaction", SCardBeginTransaction(self.card))

    def end(self):
        _check("SCardEndTransaction", SCardEndTransaction(self.card, SCARD_LEAVE_CARD))

    def raw(self, apdu):
        """Sends bytes as they are; returns (data, sw)."""
        result, response = SCardTransmit(self.card, self.protocol, list(apdu))
        _check("SCardTransmit", result)
        response = bytes(response)
        return response[:-2], int.from_bytes(response[-2:], "big")

    def case4(self, header, data):
        """Le 00 under T=1; under T=0 no Le, then GET RESPONSE for the 61xx."""
        command = bytes.fromhex(header) + bytes([len(data)]) + data
        if self.protocol == SCARD_PROTOCOL_T1:
            return self.raw(command + b"\x00")
        answer, sw = self.raw(command)
        if sw >> 8 == 0x61:
            return self.raw(bytes([0x00, 0xC0, 0x00, 0x00, sw & 0xFF]))
        return answer, sw

    def read_file(self, file_id):
        """SELECT EF, then READ BINARY of the size its answer gives (bytes 2-3)."""
        info, sw = self.case4("00A40000", file_id.to_bytes(2, "big"))
        assert sw == 0x9000, f"SELECT {file_id:04X} answered {sw:04X}"
        size, content = int.from_bytes(info[2:4], "big"), b""
        while len(content) < size:
            count = min(128, size - len(content))
            data, sw = self.raw(bytes([0x00, 0xB0, len(content) >> 8, len(content) & 0xFF, count]))
            assert sw == 0x9000, f"READ BINARY at {len(content)} answered {sw:04X}"
            content += data
        return content

    def sign(self, challenge):
        """Active authentication: the card's signature of the challenge's DigestInfo."""
        _, sw = self.raw(bytes.fromhex("002241B60780010284020D08"))
        assert sw == 0x9000, f"MSE answered {sw:04X}"
        return self.case4("002A9E00", SHA1_PREFIX + hashlib.sha1(challenge).digest())


class CardTestCase:
    """Mixin for unittest.TestCase: a card and a terminal for one test."""

    def terminal(self, *options):
        bench("insert", *options)
        self.addCleanup(bench, "remove")
        terminal = Terminal(bench("reader"))
        self.addCleanup(terminal.close)
        self.assertEqual(terminal.case4("00A40400", APPLICATION)[1], 0x9000)
        return terminal
