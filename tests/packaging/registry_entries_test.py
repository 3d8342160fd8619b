#!/usr/bin/env python3
"""packaging/windows/registry-entries: registrar script reading, the shared/own key split
and the type library's keys of each package."""

import os
import tempfile
import types
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.join(HERE, "..", "..", "packaging", "windows", "registry-entries")
# The generator is a script without a .py name: load its text as a module.
entries = types.ModuleType("registry_entries")
with open(SOURCE, encoding="utf-8") as source:
    exec(compile(source.read(), SOURCE, "exec"), entries.__dict__)


def parse(text, replacements=None):
    return entries.Script(entries.tokenize(entries.substitute(text, replacements or {}))).parse()


class ScriptReading(unittest.TestCase):
    def test_values_and_empty_keys(self):
        script = parse("""HKCR {
            NoRemove CLSID {
              ForceRemove '{C}' = s 'Described' {
                ForceRemove Programmable
                InprocServer32 = s '%MODULE%' { val ThreadingModel = s 'Apartment' }
              }
            }
            NoRemove AppID { 'x.DLL' { val AppID = s 'id' } }
            'It''s' = s 'quote ''inside'' 100%%'
          }""", {"MODULE": "[#Dll]"})
        self.assertEqual(script.values, [
            (["CLSID", "{C}"], "", "Described"),
            (["CLSID", "{C}", "InprocServer32"], "", "[#Dll]"),
            (["CLSID", "{C}", "InprocServer32"], "ThreadingModel", "Apartment"),
            (["AppID", "x.DLL"], "AppID", "id"),
            (["It's"], "", "quote 'inside' 100%"),
        ])
        self.assertEqual(script.empty_keys, [["CLSID", "{C}", "Programmable"]])

    def test_malformed_scripts_are_refused(self):
        cases = {
            "unknown root": "HKLM { A = s 'b' }",
            "unterminated quote": "HKCR { 'A = s 'b' }",
            "missing brace": "HKCR { A = s 'b'",
            "non-string value": "HKCR { A = d '1' }",
            "unknown replacement": "HKCR { A = s '%NOPE%' }",
            "unterminated replacement": "HKCR { A = s '%MODULE' }",
        }
        for name, text in cases.items():
            with self.subTest(name):
                with self.assertRaises(entries.ScriptError):
                    parse(text, {"MODULE": "m"})


class KeySplit(unittest.TestCase):
    # Removing the x86 package checks this too, where 32-bit programs run.
    def test_shared_keys_are_application_ids_and_type_library_versions(self):
        shared = [["AppID", "{A}"], ["TypeLib", "{L}", "1.0"], ["TypeLib", "{L}", "1.0", "FLAGS"]]
        own = [["TypeLib", "{L}", "1.0", "0", "win32"], ["CLSID", "{C}"], ["Interface", "{I}"], ["KAVRIN.HC.DocRead"]]
        self.assertEqual([entries.is_shared(path) for path in shared + own], [True] * len(shared) + [False] * len(own))


class TypeLibrary(unittest.TestCase):
    IDL = """
    [ uuid(11111111-2222-3333-4444-555555555555), dual, oleautomation, helpstring("IA Interface") ]
    interface IA : IDispatch { };
    [ uuid(66666666-2222-3333-4444-555555555555), object ]
    interface INotAutomation : IUnknown { };
    // [ uuid(77777777-2222-3333-4444-555555555555), dual ] interface ICommented : IDispatch { };
    [ uuid(aaaaaaaa-2222-3333-4444-555555555555), version(2.1), hidden, helpstring("The Library") ]
    library L { coclass C { [default] interface IA; }; };
    """

    def test_library_and_automation_interface_keys_of_each_package(self):
        with tempfile.TemporaryDirectory() as folder:
            idl = os.path.join(folder, "l.idl")
            with open(idl, "w") as f:
                f.write(self.IDL)
            results = {arch: entries.type_library_entries(idl, arch, "[#Dll]", "[Folder]kavrin")
                       for arch in ("x86", "x64")}
        lib = "{AAAAAAAA-2222-3333-4444-555555555555}"
        iid = "{11111111-2222-3333-4444-555555555555}"
        interface = [(["Interface", iid], "", "IA"),
                     (["Interface", iid, "ProxyStubClsid"], "", entries.AUTOMATION_PROXY),
                     (["Interface", iid, "ProxyStubClsid32"], "", entries.AUTOMATION_PROXY),
                     (["Interface", iid, "TypeLib"], "", lib),
                     (["Interface", iid, "TypeLib"], "Version", "2.1")]
        # Only the x64 package can write the 64-bit view of the interfaces.
        for arch, platform, own_interfaces in (("x86", "win32", []), ("x64", "win64", interface)):
            with self.subTest(arch=arch):
                shared, own = results[arch]
                self.assertEqual(shared[:3], [(["TypeLib", lib, "2.1"], "", "The Library"),
                                              (["TypeLib", lib, "2.1", "FLAGS"], "", "12"),
                                              (["TypeLib", lib, "2.1", "HELPDIR"], "", "[Folder]kavrin")])
                self.assertEqual(own[0], (["TypeLib", lib, "2.1", "0", platform], "", "[#Dll]"))
                self.assertEqual([e for e in shared if e[0][0] == "Interface"], interface)
                self.assertEqual([e for e in own if e[0][0] == "Interface"], own_interfaces)

if __name__ == "__main__":
    unittest.main()
