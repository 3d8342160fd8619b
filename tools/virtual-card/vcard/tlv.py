"""The card's tag-length-value format: a block is a 4-byte header (tag, body length) and
the body, a run of elements, each a 4-byte header (tag, value length) and its value.
All header numbers are 16-bit, least significant byte first."""
import struct


def element(tag, value):
    return struct.pack("<HH", tag, len(value)) + bytes(value)


def block(tag, elements):
    """elements: iterable of (tag, value bytes), written in the given order."""
    body = b"".join(element(t, v) for t, v in elements)
    return struct.pack("<HH", tag, len(body)) + body


def block_id_list(ids):
    return b"".join(struct.pack("<H", i) for i in ids)


def parse(data):
    """Splits a block into (tag, [(element tag, value)]); raises ValueError on bad framing.
    Used by the bench's own tests to read back what the card serves."""
    if len(data) < 4:
        raise ValueError("block shorter than its header")
    tag, length = struct.unpack_from("<HH", data)
    if length != len(data) - 4:
        raise ValueError(f"block 0x{tag:04X} declares {length} bytes, has {len(data) - 4}")
    elements, offset = [], 4
    while offset < len(data):
        if offset + 4 > len(data):
            raise ValueError("truncated element header")
        t, n = struct.unpack_from("<HH", data, offset)
        if offset + 4 + n > len(data):
            raise ValueError(f"element 0x{t:04X} runs past the block")
        elements.append((t, bytes(data[offset + 4:offset + 4 + n])))
        offset += 4 + n
    return tag, elements
