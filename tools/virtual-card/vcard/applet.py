"""The card's command processing: card application and card manager selection, EF
selection and READ BINARY, CPLC by GET DATA, and the active-authentication signature
(MANAGE SECURITY ENVIRONMENT, PERFORM SECURITY OPERATION). Under T=0 it also keeps the
answer of a case 4 command for GET RESPONSE."""
from . import layout, pki
from .apdu import SW_OK, MalformedCommand, parse_t0, parse_t1, sw

SW_MORE_DATA = 0x61
SW_WRONG_LE = 0x6C
SW_WRONG_LENGTH = 0x6700
SW_NO_CURRENT_EF = 0x6986
SW_CONDITIONS = 0x6985
SW_WRONG_DATA = 0x6A80
SW_NOT_FOUND = 0x6A82
SW_WRONG_P1P2 = 0x6A86
SW_DATA_NOT_FOUND = 0x6A88
SW_OFFSET = 0x6B00
SW_INS = 0x6D00
SW_CLA = 0x6E00

INS_SELECT, INS_READ_BINARY, INS_GET_DATA = 0xA4, 0xB0, 0xCA
INS_MSE, INS_PSO, INS_GET_RESPONSE = 0x22, 0x2A, 0xC0
# Under T=0 these commands carry data (P3 is Lc); the others expect data (P3 is Le).
SENDS_DATA = {INS_SELECT, INS_MSE, INS_PSO}

MSE_SIGNATURE_TEMPLATE = bytes.fromhex("800102" "84020D08")


class CardError(Exception):
    def __init__(self, status):
        super().__init__(f"{status:04X}")
        self.status = status


class Applet:
    def __init__(self, contents, protocol):
        if protocol not in ("T0", "T1"):
            raise ValueError(f"protocol must be T0 or T1, not {protocol}")
        self.contents = contents
        self.protocol = protocol
        self.reset()

    def reset(self):
        self.application = None  # the selected Application
        self.card_manager = False  # the card manager is selected
        self.current_file = None
        self.signature_key_set = False
        self.pending = b""  # T=0: answer data waiting for GET RESPONSE

    def process(self, raw):
        """One command APDU in, the response APDU out."""
        pending, self.pending = self.pending, b""
        try:
            if self.protocol == "T0":
                sends_data = raw[1] in SENDS_DATA if len(raw) > 1 else False
                if len(raw) > 5 and not sends_data:
                    sends_data = True  # unknown command with data: refused below by INS
                command = parse_t0(raw, sends_data)
            else:
                command = parse_t1(raw)
        except MalformedCommand:
            return sw(SW_WRONG_LENGTH)
        try:
            if command.cla not in (0x00, 0x80):
                raise CardError(SW_CLA)
            if self.protocol == "T0" and command.ins == INS_GET_RESPONSE:
                return self._get_response(command, pending)
            data = self._dispatch(command)
            return self._answer(command, data)
        except CardError as error:
            return sw(error.status)

    def _dispatch(self, c):
        if c.ins == INS_SELECT and c.cla == 0x00:
            return self._select(c)
        if c.ins == INS_READ_BINARY and c.cla == 0x00:
            return self._read_binary(c)
        if c.ins == INS_GET_DATA:
            return self._get_data(c)
        if c.ins == INS_MSE and c.cla == 0x00:
            return self._manage_security_environment(c)
        if c.ins == INS_PSO and c.cla == 0x00:
            return self._perform_security_operation(c)
        raise CardError(SW_INS)

    def _answer(self, c, data):
        if self.protocol == "T0":
            if c.ins in SENDS_DATA:
                if not data:
                    return SW_OK
                self.pending = data
                return bytes([SW_MORE_DATA, len(data) & 0xFF])
            if data and c.le != len(data):
                return bytes([SW_WRONG_LE, len(data) & 0xFF])
            return data + SW_OK
        if c.le is not None and c.le < len(data):
            return bytes([SW_WRONG_LE, len(data) & 0xFF])
        return data + SW_OK

    def _get_response(self, c, pending):
        if c.p1 or c.p2 or c.data:
            raise CardError(SW_WRONG_P1P2)
        if not pending:
            raise CardError(SW_CONDITIONS)
        if c.le > len(pending):
            self.pending = pending
            return bytes([SW_WRONG_LE, len(pending) & 0xFF])
        rest = pending[c.le:]
        if rest:
            self.pending = rest
            return pending[:c.le] + bytes([SW_MORE_DATA, len(rest) & 0xFF])
        return pending + SW_OK

    def _select(self, c):
        if c.p1 == 0x04 and c.p2 in (0x00, 0x0C):
            return self._select_by_name(c.data)
        if c.p1 in (0x00, 0x02) and c.p2 in (0x00, 0x0C) and len(c.data) == 2:
            return self._select_file(int.from_bytes(c.data, "big"))
        if c.p1 in (0x00, 0x02, 0x04):
            raise CardError(SW_WRONG_DATA if c.p1 != 0x04 else SW_WRONG_P1P2)
        raise CardError(SW_WRONG_P1P2)

    def _select_by_name(self, aid):
        for application in self.contents.applications.values():
            if application.aid == aid:
                self.reset()
                self.application = application
                return fci(aid)
        if aid in self.contents.card_managers:
            self.reset()
            self.card_manager = True
            return fci(aid)
        raise CardError(SW_NOT_FOUND)

    def _select_file(self, file_id):
        if self.application is None or file_id not in self.application.files:
            raise CardError(SW_NOT_FOUND)
        self.current_file = file_id
        size = len(self.application.files[file_id])
        # File ID and size, both most significant byte first.
        return file_id.to_bytes(2, "big") + size.to_bytes(2, "big")

    def _read_binary(self, c):
        if c.p1 & 0x80:
            raise CardError(SW_WRONG_P1P2)  # short EF identifiers are not supported
        if self.current_file is None:
            raise CardError(SW_NO_CURRENT_EF)
        if c.le is None:
            raise CardError(SW_WRONG_LENGTH)
        content = self.application.files[self.current_file]
        offset = (c.p1 << 8) | c.p2
        available = len(content) - offset
        if available <= 0:
            raise CardError(SW_OFFSET)
        if c.le == 256 and self.protocol == "T1":
            return content[offset:offset + 256]
        if c.le > available:
            raise CardError((SW_WRONG_LE << 8) | (available & 0xFF))
        return content[offset:offset + c.le]

    def _get_data(self, c):
        if c.cla != 0x80 or (c.p1, c.p2) != (0x9F, 0x7F):
            raise CardError(SW_DATA_NOT_FOUND)
        if not self.card_manager:
            raise CardError(SW_DATA_NOT_FOUND)
        return self.contents.cplc

    def _manage_security_environment(self, c):
        if self.application is None:
            raise CardError(SW_CONDITIONS)
        if (c.p1, c.p2) != (0x41, 0xB6):
            raise CardError(SW_WRONG_P1P2)
        if c.data[:3] != MSE_SIGNATURE_TEMPLATE[:3]:
            raise CardError(SW_WRONG_DATA)
        if c.data[3:] != MSE_SIGNATURE_TEMPLATE[3:]:
            raise CardError(SW_DATA_NOT_FOUND)  # no such key reference
        self.signature_key_set = True
        return b""

    def _perform_security_operation(self, c):
        if (c.p1, c.p2) != (0x9E, 0x00):
            raise CardError(SW_WRONG_P1P2)
        if self.application is None or not self.signature_key_set:
            raise CardError(SW_CONDITIONS)
        if not c.data:
            raise CardError(SW_WRONG_LENGTH)
        data = c.data
        if self.contents.bad_aa_signature:
            data = bytes([data[0] ^ 0xFF]) + data[1:]
        try:
            return pki.rsa_sign_raw(self.contents.aa_key, data)
        except ValueError:
            raise CardError(SW_WRONG_LENGTH) from None


def fci(aid):
    """File control information of a selected application: 6F { 84 AID }."""
    inner = bytes([0x84, len(aid)]) + aid
    return bytes([0x6F, len(inner)]) + inner
