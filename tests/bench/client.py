"""A small PC/SC terminal for the bench's own tests, written against ISO/IEC 7816-4
directly (pyscard's raw calls, no helpers of the card's code), plus the bench commands
the tests drive."""
import os
import subprocess

from smartcard.scard import (SCARD_LEAVE_CARD, SCARD_PROTOCOL_T0, SCARD_PROTOCOL_T1,
                             SCARD_S_SUCCESS, SCARD_SCOPE_USER, SCARD_SHARE_SHARED,
                             SCardBeginTransaction, SCardConnect, SCardDisconnect,
                             SCardEndTransaction, SCardEstablishContext, SCardReleaseContext,
                             SCardTransmit)

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
CARD_TOOL = os.path.join(ROOT, "tools", "bench", "card")
AIDS = {1: "F38100000253455256535A4B01", 7: "F381000002534552534F564F5A4B01"}


def bench(*args, check=True):
    """Runs tools/bench/card ARGS; returns the completed process."""
    result = subprocess.run([CARD_TOOL, *args], capture_output=True, text=True, timeout=60)
    if check and result.returncode != 0:
        raise AssertionError(f"card {' '.join(args)} failed: {result.stderr}")
    return result


def apdu_log(slot=0):
    return bench("log", "--slot", str(slot)).stdout.splitlines()


class PcscError(Exception):
    def __init__(self, call, code):
        super().__init__(f"{call}: 0x{code & 0xFFFFFFFF:08X}")
        self.code = code & 0xFFFFFFFF


def _check(call, result):
    if result != SCARD_S_SUCCESS:
        raise PcscError(call, result)


class Terminal:
    """One shared connection to a reader; T=0 rules applied when T=0 was negotiated."""

    def __init__(self, reader):
        result, self.context = SCardEstablishContext(SCARD_SCOPE_USER)
        _check("SCardEstablishContext", result)
        try:
            result, self.card, self.protocol = SCardConnect(
                self.context, reader, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1)
            _check("SCardConnect", result)
        except BaseException:
            SCardReleaseContext(self.context)
            raise

    def close(self):
        SCardDisconnect(self.card, SCARD_LEAVE_CARD)
        SCardReleaseContext(self.context)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    @property
    def t0(self):
        return self.protocol == SCARD_PROTOCOL_T0

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
        """A command with data and an answer: Le 00 under T=1; under T=0 no Le, then
        GET RESPONSE for the 61xx the card answers."""
        command = bytes(header) + bytes([len(data)]) + bytes(data)
        if not self.t0:
            return self.raw(command + b"\x00")
        answer, sw = self.raw(command)
        if sw >> 8 == 0x61:
            return self.raw(bytes([0x00, 0xC0, 0x00, 0x00, sw & 0xFF]))
        return answer, sw

    def case2(self, header, le):
        """A command expecting LE bytes (0 = 256); re-sent once with the length a 6Cxx
        answer names."""
        answer, sw = self.raw(bytes(header) + bytes([le & 0xFF]))
        if sw >> 8 == 0x6C:
            answer, sw = self.raw(bytes(header) + bytes([sw & 0xFF]))
        return answer, sw

    def select_application(self, card_id=1):
        return self.case4(bytes.fromhex("00A40400"), bytes.fromhex(AIDS[card_id]))

    def select_file(self, file_id):
        return self.case4(bytes.fromhex("00A40000"), file_id.to_bytes(2, "big"))

    def read_file(self, file_id, chunk=128):
        """SELECT EF, then READ BINARY of the size the SELECT answer gives (bytes 2-3)."""
        info, sw = self.select_file(file_id)
        if sw != 0x9000:
            raise AssertionError(f"SELECT {file_id:04X} answered {sw:04X}")
        size = int.from_bytes(info[2:4], "big")
        content = b""
        while len(content) < size:
            count = min(chunk, size - len(content))
            data, sw = self.raw(bytes([0x00, 0xB0, len(content) >> 8, len(content) & 0xFF, count]))
            if sw != 0x9000:
                raise AssertionError(f"READ BINARY at {len(content)} answered {sw:04X}")
            content += data
        return content

    def get_cplc(self):
        """GET DATA 9F7F, sent as case 1; the card's 6Cxx tells the length under T=0."""
        if self.t0:
            return self.case2(bytes.fromhex("80CA9F7F"), 0)
        return self.raw(bytes.fromhex("80CA9F7F"))

    def sign(self, digest_info):
        _, sw = self.raw(bytes.fromhex("0022 41B6 07 800102 84020D08"))
        if sw != 0x9000:
            return b"", sw
        return self.case4(bytes.fromhex("002A9E00"), digest_info)


class CardTestCase:
    """Mixin for unittest.TestCase: insert() puts a card in a slot for one test and
    removes it afterwards; reader() names the slot's reader."""

    def insert(self, *options, slot=0):
        bench("insert", "--slot", str(slot), *options)
        self.addCleanup(bench, "remove", "--slot", str(slot))
        return bench("reader", "--slot", str(slot)).stdout.strip()

    @classmethod
    def insert_for_class(cls, *options, slot=0):
        """insert() for all tests of a class that only read the card."""
        bench("insert", "--slot", str(slot), *options)
        cls.addClassCleanup(bench, "remove", "--slot", str(slot))
        return bench("reader", "--slot", str(slot)).stdout.strip()

    def terminal(self, reader):
        terminal = Terminal(reader)
        self.addCleanup(terminal.close)
        return terminal
