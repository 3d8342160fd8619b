"""Card images: a TOML file per insured person. The [card] table holds card-wide settings;
one table per data block holds its elements by name (see layout.BLOCK_ELEMENTS), each a
text exactly as the card stores it: UTF-16 and ASCII texts as written, dates as 8 digits
DDMMYYYY, codes as their ASCII digits."""
import datetime
import os
import tomllib

from . import layout

IMAGES_DIR = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "images")


class ImageError(Exception):
    pass


def resolve(name_or_path):
    """An image NAME (a file images/NAME.toml) or a path to a .toml file."""
    if os.sep in name_or_path or name_or_path.endswith(".toml"):
        path = name_or_path
    else:
        path = os.path.join(IMAGES_DIR, name_or_path + ".toml")
    if not os.path.isfile(path):
        raise ImageError(f"no card image '{name_or_path}' ({path})")
    return path


def encode_value(kind, text):
    if kind == "utf16":
        return text.encode("utf-16-le")
    return text.encode("ascii")


def _check_value(block_id, name, tag, kind, maximum, text):
    where = f"{name} (0x{tag:04X}) of block 0x{block_id:04X}"
    if not isinstance(text, str):
        raise ImageError(f"{where}: expected a text, got {text!r}")
    if kind != "utf16" and not text.isascii():
        raise ImageError(f"{where}: '{text}' is not US-ASCII")
    size = len(encode_value(kind, text))
    if size > maximum:
        raise ImageError(f"{where}: {size} bytes, at most {maximum} allowed")
    if kind == "date":
        try:
            datetime.datetime.strptime(text, "%d%m%Y")
        except ValueError:
            raise ImageError(f"{where}: '{text}' is not a date DDMMYYYY") from None
        if len(text) != 8:
            raise ImageError(f"{where}: '{text}' is not 8 digits DDMMYYYY")
    if kind == "code" and text not in layout.CODES[tag]:
        raise ImageError(f"{where}: '{text}' is not one of {sorted(layout.CODES[tag])}")


class Image:
    """A validated card image: card settings and the element texts of each data block."""

    def __init__(self, path):
        self.path = path
        try:
            with open(path, "rb") as f:
                data = tomllib.load(f)
        except (OSError, tomllib.TOMLDecodeError) as error:
            raise ImageError(f"cannot read card image {path}: {error}") from None
        unknown = set(data) - set(layout.BLOCK_SECTIONS) - {"card"}
        if unknown:
            raise ImageError(f"{path}: unknown sections {sorted(unknown)}")
        self.card = data.get("card", {})
        self.blocks = {}
        for section, block_id in layout.BLOCK_SECTIONS.items():
            values = data.get(section, {})
            declared = {name: (tag, kind, maximum, mandatory)
                        for name, tag, kind, maximum, mandatory in layout.BLOCK_ELEMENTS[block_id]}
            extra = set(values) - set(declared)
            if extra:
                raise ImageError(f"{path}: [{section}] has unknown elements {sorted(extra)}")
            for name, (tag, kind, maximum, mandatory) in declared.items():
                if name in values:
                    _check_value(block_id, name, tag, kind, maximum, values[name])
                elif mandatory:
                    raise ImageError(f"{path}: [{section}] lacks mandatory element {name}")
            self.blocks[block_id] = values

    def elements(self, block_id, omit_tags=()):
        """(tag, value bytes) of the block's present elements in declaration order."""
        values = self.blocks[block_id]
        return [(tag, encode_value(kind, values[name]))
                for name, tag, kind, _, _ in layout.BLOCK_ELEMENTS[block_id]
                if name in values and tag not in omit_tags]

    def setting(self, key, default):
        return self.card.get(key, default)
