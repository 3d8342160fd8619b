"""Waits for states of the PC/SC resource manager: readers listed, a card present in a
reader, a reader empty. Used by the bench scripts; also a command line:

    pcsc_wait.py readers [--timeout S]
    pcsc_wait.py present|absent READER [--timeout S]
"""
import argparse
import sys
import time

from smartcard.scard import (SCARD_S_SUCCESS, SCARD_SCOPE_USER, SCARD_STATE_PRESENT,
                             SCARD_STATE_UNAWARE, SCARD_E_TIMEOUT,
                             SCardEstablishContext, SCardGetStatusChange,
                             SCardListReaders, SCardReleaseContext)


class PcscWaitError(Exception):
    pass


class _Context:
    def __enter__(self):
        result, self.handle = SCardEstablishContext(SCARD_SCOPE_USER)
        if result != SCARD_S_SUCCESS:
            raise PcscWaitError(f"no PC/SC resource manager (0x{result & 0xFFFFFFFF:08X})")
        return self.handle

    def __exit__(self, *exc):
        SCardReleaseContext(self.handle)


def _establish(deadline):
    while True:
        try:
            return _Context().__enter__()
        except PcscWaitError:
            if time.monotonic() >= deadline:
                raise
            time.sleep(0.05)


def readers(timeout=10.0):
    """Returns the reader names once pcscd lists at least one reader."""
    deadline = time.monotonic() + timeout
    handle = _establish(deadline)
    try:
        while True:
            result, names = SCardListReaders(handle, [])
            if result == SCARD_S_SUCCESS and names:
                return names
            if time.monotonic() >= deadline:
                raise PcscWaitError("pcscd lists no reader")
            time.sleep(0.05)
    finally:
        SCardReleaseContext(handle)


def card_state(reader, present, timeout=10.0):
    """Returns when READER holds a card (present=True) or none; raises on timeout."""
    deadline = time.monotonic() + timeout
    handle = _establish(deadline)
    try:
        state = SCARD_STATE_UNAWARE
        while True:
            remaining_ms = int(max(0.0, deadline - time.monotonic()) * 1000)
            result, states = SCardGetStatusChange(handle, min(remaining_ms, 500),
                                                  [(reader, state)])
            if result == SCARD_S_SUCCESS:
                state = states[0][1]
                if bool(state & SCARD_STATE_PRESENT) == present:
                    return
            elif result != SCARD_E_TIMEOUT:
                time.sleep(0.05)
            if time.monotonic() >= deadline:
                what = "a card" if present else "no card"
                raise PcscWaitError(f"reader '{reader}' did not report {what} "
                                    f"within {timeout:g} s")
    finally:
        SCardReleaseContext(handle)


def main(argv):
    parser = argparse.ArgumentParser(prog="pcsc_wait.py")
    parser.add_argument("what", choices=["readers", "present", "absent"])
    parser.add_argument("reader", nargs="?")
    parser.add_argument("--timeout", type=float, default=10.0)
    args = parser.parse_args(argv)
    try:
        if args.what == "readers":
            for name in readers(args.timeout):
                print(name)
        else:
            if not args.reader:
                parser.error("a reader name is needed")
            card_state(args.reader, args.what == "present", args.timeout)
    except PcscWaitError as error:
        print(f"pcsc_wait: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
