"""One inserted card: the loop between the reader driver and the applet, the APDU log,
and the faults that act on the dialogue rather than on the files (removal and reset
after N commands)."""
import os
import sys
import threading

from . import link as vpcd


class ApduLog:
    """'> HEX' per command, '< HEX' per answer, upper case, flushed at once so a client
    that has its answer can read the line."""

    def __init__(self, path):
        self.file = open(path, "a", encoding="ascii") if path else None

    def write(self, direction, data):
        if self.file:
            self.file.write(f"{direction} {data.hex().upper()}\n")
            self.file.flush()

    def note(self, name):
        """Marks an event beside the log (e.g. 'reset'), in a file LOG.NAME."""
        if self.file:
            with open(f"{self.file.name}.{name}", "a") as f:
                f.write("done\n")


def reset_through_pcsc(reader):
    """Resets the card as another PC/SC client would: connect shared and disconnect
    with SCARD_RESET_CARD. pcscd performs the reset once any transaction open on the
    card has ended, and the other clients' next call meets SCARD_W_RESET_CARD."""
    from smartcard.scard import (SCARD_PROTOCOL_T0, SCARD_PROTOCOL_T1, SCARD_RESET_CARD,
                                 SCARD_S_SUCCESS, SCARD_SCOPE_USER, SCARD_SHARE_SHARED,
                                 SCardConnect, SCardDisconnect, SCardEstablishContext,
                                 SCardReleaseContext)
    result, context = SCardEstablishContext(SCARD_SCOPE_USER)
    if result != SCARD_S_SUCCESS:
        return result
    try:
        result, card, _ = SCardConnect(context, reader, SCARD_SHARE_SHARED,
                                       SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1)
        if result != SCARD_S_SUCCESS:
            return result
        return SCardDisconnect(card, SCARD_RESET_CARD)
    finally:
        SCardReleaseContext(context)


class Session:
    def __init__(self, applet, faults, port, log_path, reader):
        self.applet = applet
        self.port = port
        self.log = ApduLog(log_path)
        self.remove_after = faults.get("remove-after")
        self.reset_after = faults.get("reset-after")
        self.silent_after = faults.get("silent-after")
        self.reader = reader
        self.commands = 0
        if self.reset_after is not None and not reader:
            raise ValueError("reset-after needs the reader name (--reader)")

    def run(self):
        try:
            link = vpcd.Link(self.port)
        except vpcd.LinkClosed as error:
            print(f"vcard: {error}", file=sys.stderr)
            return 1
        try:
            if self.remove_after == 0:
                return 0
            while True:
                message = link.receive()
                if self.commands == self.silent_after:
                    continue  # a card that stopped answering: it hears, it says nothing
                if len(message) == 1:
                    self._control(link, message[0])
                    continue
                if not self._command(link, message):
                    return 0
        except vpcd.LinkClosed:
            return 0
        finally:
            link.close()

    def _control(self, link, code):
        if code == vpcd.GET_ATR:
            link.send(vpcd.ATR_T0 if self.applet.protocol == "T0" else vpcd.ATR_T1)
        elif code in (vpcd.POWER_ON, vpcd.POWER_OFF, vpcd.RESET):
            self.applet.reset()

    def _command(self, link, command):
        """Answers one command; False when the card is to leave the reader now."""
        self.log.write(">", command)
        response = self.applet.process(command)
        self.log.write("<", response)
        self.commands += 1
        if self.commands == self.remove_after:
            # Gone with a reset right after the last answer, not an orderly close:
            # vpcd's next send to the card then fails, and so does the transfer. (After
            # a close that send succeeded and vpcd reported the card's silence as an
            # empty answer.) Only a card process held up between its last answer and
            # the reset for longer than the client's next request still gives that.
            link.send_then_abort(response)
            return False
        link.send(response)
        if self.commands == self.reset_after:
            threading.Thread(target=self._reset, daemon=True).start()
        return True

    def _reset(self):
        result = reset_through_pcsc(self.reader)
        self.log.note("reset" if result == 0 else f"reset-failed-{result & 0xFFFFFFFF:08X}")
