"""Command APDUs as a card sees them (ISO/IEC 7816-4 short forms), and how they arrive
under each transmission protocol."""

SW_OK = b"\x90\x00"


def sw(value):
    return value.to_bytes(2, "big")


class Command:
    """cla, ins, p1, p2, data (bytes), le (None when absent; 256 for a short Le of 00)."""

    def __init__(self, cla, ins, p1, p2, data=b"", le=None):
        self.cla, self.ins, self.p1, self.p2, self.data, self.le = cla, ins, p1, p2, data, le


class MalformedCommand(Exception):
    """The command's length does not fit its Lc; the card answers 67 00."""


def parse_t1(raw):
    """An APDU exactly as the application sent it (cases 1 to 4, short forms only)."""
    if len(raw) < 4:
        raise MalformedCommand()
    cla, ins, p1, p2 = raw[:4]
    body = raw[4:]
    if not body:
        return Command(cla, ins, p1, p2)
    if len(body) == 1:
        return Command(cla, ins, p1, p2, le=body[0] or 256)
    lc = body[0]
    if lc == 0:  # extended length: not supported by this card
        raise MalformedCommand()
    if len(body) == 1 + lc:
        return Command(cla, ins, p1, p2, bytes(body[1:]))
    if len(body) == 2 + lc:
        return Command(cla, ins, p1, p2, bytes(body[1:1 + lc]), body[-1] or 256)
    raise MalformedCommand()


def parse_t0(raw, sends_data):
    """A T=0 command TPDU: the 4-byte header and P3, then Lc data bytes for a command
    that sends data. P3 is Le (00 meaning 256) for a command without data, Lc
    otherwise. A case 4 command arrives without its Le; the answer 61xx tells the
    terminal how much to fetch with GET RESPONSE."""
    if len(raw) < 5:
        raise MalformedCommand()
    cla, ins, p1, p2, p3 = raw[:5]
    if sends_data:
        if p3 == 0 or len(raw) != 5 + p3:
            raise MalformedCommand()
        return Command(cla, ins, p1, p2, bytes(raw[5:]))
    if len(raw) != 5:
        raise MalformedCommand()
    return Command(cla, ins, p1, p2, le=p3 or 256)
