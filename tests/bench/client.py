"""A small PC/SC terminal for the bench's own tests (pyscard's raw calls, none of the
card's code), and the bench's card tool."""
import os
import subprocess

from smartcard.scard import (SCARD_LEAVE_CARD, SCARD_PROTOCOL_T0, SCARD_PROTOCOL_T1,
                             SCARD_S_SUCCESS, SCARD_SCOPE_USER, SCARD_SHARE_SHARED,
                             SCardBeginTransaction, SCardConnect, SCardDisconnect,
                             SCardEndTransaction, SCardEstablishContext, SCardReleaseContext,
                             SCardTransmit)

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
CARD_TOOL = os.path.join(ROOT, "tools", "bench", "card")


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

    def raw(self, hex_apdu):
        """Sends the bytes as they are; returns (data length, sw)."""
        result, response = SCardTransmit(self.card, self.protocol, list(bytes.fromhex(hex_apdu)))
        _check("SCardTransmit", result)
        return len(response) - 2, int.from_bytes(bytes(response[-2:]), "big")


class CardTestCase:
    """Mixin for unittest.TestCase: a card and a terminal for one test."""

    def terminal(self, *options):
        bench("insert", *options)
        self.addCleanup(bench, "remove")
        terminal = Terminal(bench("reader"))
        self.addCleanup(terminal.close)
        return terminal
