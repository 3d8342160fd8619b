"""The card's side of the vpcd reader driver: a TCP connection to 127.0.0.1:PORT on
which every message is a 2-byte big-endian length and a payload. A 1-byte payload is
a control (0 power off, 1 power on, 2 reset, 4 send the ATR, answered with the ATR);
a longer one is a command APDU, answered with the response APDU."""
import socket
import struct
import time

POWER_OFF, POWER_ON, RESET, GET_ATR = 0, 1, 2, 4

# T=0 only: TS, T0 with 2 historical bytes and no interface bytes.
ATR_T0 = bytes.fromhex("3B021450")


def _atr_t1():
    # TD1 announces TD2, TD2 offers T=1; 8 historical bytes; TCK makes the XOR of T0..TCK zero.
    body = bytes.fromhex("888001") + b"KAVRINHC"
    tck = 0
    for byte in body:
        tck ^= byte
    return b"\x3b" + body + bytes([tck])


ATR_T1 = _atr_t1()


class LinkClosed(Exception):
    pass


class Link:
    def __init__(self, port, host="127.0.0.1", timeout=10.0):
        deadline = time.monotonic() + timeout
        while True:
            try:
                self.sock = socket.create_connection((host, port), timeout=1.0)
                break
            except OSError as error:
                if time.monotonic() >= deadline:
                    raise LinkClosed(f"cannot reach vpcd on {host}:{port}: {error}") from None
                time.sleep(0.05)
        self.sock.settimeout(None)
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

    def _read_exact(self, count):
        data = b""
        while len(data) < count:
            # vpcd writes a message's length and payload separately; acknowledging at
            # once keeps the second write from waiting out the delayed-ACK timer.
            self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_QUICKACK, 1)
            chunk = self.sock.recv(count - len(data))
            if not chunk:
                raise LinkClosed("vpcd closed the connection")
            data += chunk
        return data

    def receive(self):
        (length,) = struct.unpack(">H", self._read_exact(2))
        return self._read_exact(length)

    def send(self, payload):
        self.sock.sendall(struct.pack(">H", len(payload)) + payload)

    def send_then_abort(self, payload):
        """Sends a last message, then drops the connection with a reset (RST) rather
        than an orderly close, with nothing in between: the reader driver's next send
        fails instead of being answered by silence."""
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.sock.sendall(struct.pack(">H", len(payload)) + payload)
        self.sock.close()
        self.sock = None

    def close(self):
        if self.sock is None:
            return
        try:
            self.sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self.sock.close()
