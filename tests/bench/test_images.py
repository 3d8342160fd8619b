"""Card images are checked against the card's element rules before a card starts."""
import os
import re
import subprocess
import tempfile
import unittest

from client import ROOT

VCARD = os.path.join(ROOT, "tools", "virtual-card", "vcard.py")
DEFAULT = os.path.join(ROOT, "tools", "virtual-card", "images", "default.toml")


def check_image(text):
    with tempfile.NamedTemporaryFile("w", suffix=".toml", encoding="utf-8", delete=False) as f:
        f.write(text)
    try:
        return subprocess.run(["/usr/bin/python3", VCARD, "--port", "1", "--check",
                               "--image", f.name], capture_output=True, text=True, timeout=60)
    finally:
        os.remove(f.name)


def default_with(field, value):
    """The default image with FIELD set to VALUE (None: removed), in every block."""
    with open(DEFAULT, encoding="utf-8") as f:
        text = f.read()
    pattern = re.compile(rf"^{field} = .*$\n?", re.M)
    assert pattern.search(text), field
    return pattern.sub("" if value is None else f'{field} = "{value}"\n', text)


class ImageTests(unittest.TestCase):
    def test_default_and_minimal_images_are_valid(self):
        for name in ("default", "minimal"):
            with self.subTest(image=name):
                result = subprocess.run(["/usr/bin/python3", VCARD, "--port", "1", "--check",
                                         "--image", name], capture_output=True, text=True, timeout=60)
                self.assertEqual(result.returncode, 0, result.stderr)

    def test_values_that_break_the_element_rules_are_refused(self):
        cases = [
            ("InsurerName", "Ф" * 50, "InsurerName (0x0611) of block 0x0D01: 100 bytes, at most 98 allowed"),
            ("InsurerName", "Ф" * 49, None),
            ("InsurerID", "12Ф45", "is not US-ASCII"),
            ("DateOfBirth", "31022021", "is not a date DDMMYYYY"),
            ("DateOfBirth", "1021985", "is not 8 digits DDMMYYYY"),
            ("Gender", "03", "is not one of ['00', '01', '02']"),
            ("PostNumber", "210000", "6 bytes, at most 5 allowed"),
            ("LastName", None, "lacks mandatory element LastName"),
            ("ParentName", None, None),
        ]
        for field, value, message in cases:
            with self.subTest(field=field, value=value):
                result = check_image(default_with(field, value))
                if message is None:
                    self.assertEqual(result.returncode, 0, result.stderr)
                else:
                    self.assertEqual(result.returncode, 2)
                    self.assertIn(message, result.stderr)

    def test_unknown_elements_and_sections_are_refused(self):
        result = check_image(default_with("InsurerID", "1") + '\n[document_extra]\nX = "1"\n')
        self.assertIn("unknown sections ['document_extra']", result.stderr)
        result = check_image(default_with("InsurerID", "1").replace("[fixed_perso]", 'Nickname = "x"\n[fixed_perso]'))
        self.assertIn("unknown elements ['Nickname']", result.stderr)
        result = check_image("this is = not toml [")
        self.assertIn("cannot read card image", result.stderr)


if __name__ == "__main__":
    unittest.main()
