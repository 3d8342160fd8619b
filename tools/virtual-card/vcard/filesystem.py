"""The card's files, built from an image, the bench keys and the fault switches: per
card application the elementary files and the present-block list, plus the card-wide
production data (CPLC) and keys."""
import hashlib

from . import layout, pki, tlv

# CPLC fields before the chip serial (IC fabricator, IC type, OS ID, OS release date and
# level) and after it (module and personalisation data); values are arbitrary.
_CPLC_HEAD = bytes.fromhex("4790 5040 4700 9133 0300")
_CPLC_TAIL = bytes.fromhex("4812 0000 4812 9012 0000 0000 00000000 0000 0000 00000000")


def cplc_response(chip_serial):
    """GET DATA 9F7F answer data: tag, length, 42 CPLC bytes; the 8 chip serial bytes
    (IC fabrication date, IC serial number, IC batch) sit at offsets 13 to 20."""
    body = _CPLC_HEAD + chip_serial + _CPLC_TAIL
    assert len(body) == 42 and len(chip_serial) == 8
    return b"\x9f\x7f" + bytes([len(body)]) + body


def _tampered(block_id, elements):
    """Changes the last character of the block's first ASCII text element (a digit
    counts up, anything else becomes X, or Y if it was X): the block still decodes but
    no longer has the hash that was signed."""
    ascii_tags = [t for _, t, kind, _, _ in layout.BLOCK_ELEMENTS[block_id] if kind == "ascii"]
    for i, (tag, value) in enumerate(elements):
        if tag in ascii_tags and value:
            last = chr(value[-1])
            new = str((int(last) + 1) % 10) if last.isdigit() else ("Y" if last == "X" else "X")
            elements = list(elements)
            elements[i] = (tag, value[:-1] + new.encode())
            return elements
    raise ValueError(f"block 0x{block_id:04X} has no ASCII element to tamper with")


class Application:
    """The files of one card application (card ID 1 or 7)."""

    def __init__(self, card_id, image, keys, faults):
        self.card_id = card_id
        self.aid = layout.APPLICATION_AIDS[card_id]
        omit = {faults["missing-element"]} if "missing-element" in faults else set()

        files = {}
        signed = {}
        for block_id in layout.BLOCK_ELEMENTS:
            elements = image.elements(block_id, omit)
            signed[block_id] = tlv.block(block_id, elements)
            if faults.get("tamper-block") == block_id:
                files[block_id] = tlv.block(block_id, _tampered(block_id, elements))
            else:
                files[block_id] = signed[block_id]

        key_type = int(image.setting("key_type", 2))
        aa_key = keys.other_aa_key if "wrong-aa-key" in faults else keys.aa_key
        files[layout.AA_PUBLIC_KEY] = signed[layout.AA_PUBLIC_KEY] = pki.public_key_file(
            aa_key, key_type)
        if "cloned-chip" in faults:
            # A copy of the genuine card on a chip with a key pair of its own: the SOD
            # still signs the genuine key, the file and the signatures are the clone's.
            files[layout.AA_PUBLIC_KEY] = pki.public_key_file(keys.other_aa_key, key_type)

        present = [layout.HEADER, *layout.BLOCK_ELEMENTS, layout.SOD_FIXED,
                   layout.SOD_VARIABLE_PERSO, layout.AA_PUBLIC_KEY, layout.SOD_VARIABLE_ADMIN]
        if "sod-not-present" in faults:
            present.remove(faults["sod-not-present"])
        document_id = f"{card_id:02d}".encode()
        files[layout.HEADER] = signed[layout.HEADER] = tlv.block(layout.HEADER, [
            (0x0601, document_id), (0x0602, b"01"), (0x0603, tlv.block_id_list(present))])

        for sod_id, (element_tag, covered) in layout.SODS.items():
            content = b"".join(hashlib.sha256(signed[b]).digest() for b in covered)
            message = pki.sign_content(content, keys.document_signer(faults))
            if faults.get("bad-sod-signature") == sod_id:
                # The signature value ends the DER message; its last byte flipped keeps
                # the structure intact and breaks only the signature.
                message = message[:-1] + bytes([message[-1] ^ 0x01])
            files[sod_id] = tlv.block(sod_id, [(element_tag, message)])

        self._apply_framing_faults(files, faults)
        self.files = files
        self.present = present

    @staticmethod
    def _apply_framing_faults(files, faults):
        for name in ("header-tag-mismatch", "tiny-ef", "length-overflow"):
            file_id = faults.get(name)
            if file_id is None:
                continue
            if file_id not in files:
                raise ValueError(f"fault {name}: the card has no file 0x{file_id:04X}")
            data = bytearray(files[file_id])
            if name == "header-tag-mismatch":
                data[0:2] = ((file_id + 1) & 0xFFFF).to_bytes(2, "little")
            elif name == "tiny-ef":
                data = data[:3]
            else:
                data[2:4] = (len(data) + 1).to_bytes(2, "little")
            files[file_id] = bytes(data)


class CardContents:
    """Everything the applet serves."""

    def __init__(self, image, card_ids, keys, faults):
        self.applications = {cid: Application(cid, image, keys, faults) for cid in card_ids}
        document_serial = image.blocks[layout.DOCUMENT].get("ChipSerialNumber", "")
        serial_text = image.setting("chip_serial", document_serial)
        try:
            serial = bytes.fromhex(serial_text)
        except ValueError:
            serial = b""
        if len(serial) != 8:
            raise ValueError(f"chip serial '{serial_text}' is not 16 hex digits")
        if "chip-serial-mismatch" in faults:
            serial = serial[:-1] + bytes([serial[-1] ^ 0xFF])
        self.chip_serial = serial
        self.cplc = cplc_response(serial)
        managers = faults.get("card-managers")
        if managers is None:
            managers = [bytes.fromhex(a) for a in image.setting("card_managers", ["A000000003000000"])]
        self.card_managers = managers
        self.aa_key = keys.other_aa_key if "cloned-chip" in faults else keys.aa_key
        self.bad_aa_signature = "bad-aa-signature" in faults
