"""Fault switches: NAME or NAME=VALUE, each making the card wrong in one known way.
README.md lists them with their defaults."""

from . import layout


class FaultError(Exception):
    pass


def _file_id(text):
    try:
        value = int(text, 16)
    except ValueError:
        raise FaultError(f"'{text}' is not a file ID in hex (e.g. 0D01)") from None
    if not 0 <= value <= 0xFFFF:
        raise FaultError(f"file ID '{text}' is out of range")
    return value


def _count(text):
    if not text.isdigit():
        raise FaultError(f"'{text}' is not a command count")
    return int(text)


def _data_block(text):
    value = _file_id(text)
    if value not in layout.BLOCK_ELEMENTS:
        raise FaultError(f"0x{value:04X} is not one of the data blocks 0D01 to 0D04")
    return value


def _sod(text):
    value = _file_id(text)
    if value not in layout.SODS:
        raise FaultError(f"0x{value:04X} is not an SOD file (0D05, 0D06, 0D09)")
    return value


def _element_tag(text):
    value = _file_id(text[2:] if text.lower().startswith("0x") else text)
    if layout.block_of_tag(value) is None:
        raise FaultError(f"0x{value:04X} is not an element of a data block")
    return value


def _aids(text):
    if text == "none":
        return []
    try:
        return [bytes.fromhex(a) for a in text.split(",")]
    except ValueError:
        raise FaultError(f"'{text}' is not a list of hex AIDs") from None


# name -> (parser of the value, default value or None when a value is required)
SWITCHES = {
    "tamper-block": (_data_block, layout.DOCUMENT),
    "bad-sod-signature": (_sod, layout.SOD_FIXED),
    "sod-not-present": (_sod, layout.SOD_FIXED),
    "wrong-aa-key": (None, True),
    "bad-aa-signature": (None, True),
    "chip-serial-mismatch": (None, True),
    "header-tag-mismatch": (_file_id, layout.DOCUMENT),
    "tiny-ef": (_file_id, layout.DOCUMENT),
    "length-overflow": (_file_id, layout.DOCUMENT),
    "missing-element": (_element_tag, 0x0611),
    "remove-after": (_count, None),
    "reset-after": (_count, None),
    "silent-after": (_count, None),
    "card-managers": (_aids, None),
}


def parse(switches):
    """['name', 'name=value', ...] -> {name: value}."""
    faults = {}
    for switch in switches:
        name, has_value, text = switch.partition("=")
        if name not in SWITCHES:
            raise FaultError(f"unknown fault '{name}' (known: {', '.join(sorted(SWITCHES))})")
        parser, default = SWITCHES[name]
        if has_value:
            if parser is None:
                raise FaultError(f"fault '{name}' takes no value")
            faults[name] = parser(text)
        elif default is None:
            raise FaultError(f"fault '{name}' needs a value: {name}=VALUE")
        else:
            faults[name] = default
    return faults
