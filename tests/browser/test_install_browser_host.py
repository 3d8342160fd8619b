"""scripts/install-browser-host: the host manifests where each browser looks, admitting
only this repository's extension."""
import json
import os
import subprocess
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCRIPT = os.path.join(ROOT, "scripts", "install-browser-host")
CHROMIUM_ORIGIN = "chrome-extension://pmhpcenihdogaadjnibealonkpofemkf/"


def run(*args, home):
    return subprocess.run([SCRIPT, *args], env={**os.environ, "HOME": home}, capture_output=True, text=True)


class InstallBrowserHostTest(unittest.TestCase):
    def setUp(self):
        self.home = self.enterContext(tempfile.TemporaryDirectory())
        self.host = os.path.join(self.home, "kavrin-hc-host")
        with open(self.host, "w") as f:
            f.write("#!/bin/sh\n")
        os.chmod(self.host, 0o755)

    def load(self, *parts):
        with open(os.path.join(self.home, *parts), encoding="utf-8") as f:
            return json.load(f)

    def test_per_user_manifests_for_each_browser_and_their_removal(self):
        self.assertEqual(run("--host", self.host, home=self.home).returncode, 0)
        expected = {
            (".config", "chromium", "NativeMessagingHosts"): ("allowed_origins", CHROMIUM_ORIGIN),
            (".config", "google-chrome", "NativeMessagingHosts"): ("allowed_origins", CHROMIUM_ORIGIN),
            (".mozilla", "native-messaging-hosts"): ("allowed_extensions", "health-card@kavrin.org"),
        }
        for folder, (key, extension) in expected.items():
            with self.subTest(folder=folder):
                manifest = self.load(*folder, "org.kavrin.hc.json")
                manifest.pop("description", None)
                self.assertEqual(manifest, {"name": "org.kavrin.hc", "path": self.host, "type": "stdio",
                                            key: [extension]})

        self.assertEqual(run("--uninstall", home=self.home).returncode, 0)
        for folder in expected:
            self.assertFalse(os.path.exists(os.path.join(self.home, *folder, "org.kavrin.hc.json")))

    def test_a_profile_gets_its_own_manifest_and_nothing_else_is_written(self):
        profile = os.path.join(self.home, "profile")
        self.assertEqual(run("--profile", profile, "--host", self.host, home=self.home).returncode, 0)
        self.assertEqual(self.load("profile", "NativeMessagingHosts", "org.kavrin.hc.json")["allowed_origins"],
                         [CHROMIUM_ORIGIN])
        self.assertFalse(os.path.exists(os.path.join(self.home, ".config")))
        self.assertFalse(os.path.exists(os.path.join(self.home, ".mozilla")))

    def test_no_host_program_is_an_error(self):
        result = run("--host", os.path.join(self.home, "missing"), home=self.home)
        self.assertEqual(result.returncode, 1)
        self.assertIn("no host program", result.stderr)
        self.assertEqual(os.listdir(self.home), ["kavrin-hc-host"])

    def test_windows_manifests_and_registry_keys(self):
        out = os.path.join(self.home, "windows")
        self.assertEqual(run("--windows", out, "--install-dir", "D:\\Apps\\Health Card\\", home=self.home).returncode, 0)
        self.assertEqual(self.load("windows", "org.kavrin.hc.chromium.json")["path"], "kavrin-hc-host.exe")
        self.assertEqual(self.load("windows", "org.kavrin.hc.firefox.json")["allowed_extensions"],
                         ["health-card@kavrin.org"])
        manifest = '@="D:\\\\Apps\\\\Health Card\\\\org.kavrin.hc.%s.json"'
        for scope, hive in (("user", "HKEY_CURRENT_USER"), ("machine", "HKEY_LOCAL_MACHINE")):
            with self.subTest(scope=scope), open(os.path.join(out, f"register-{scope}.reg"), "rb") as f:
                raw = f.read()
                self.assertTrue(raw.startswith(b"\xff\xfe"), "regedit reads UTF-16 with its byte order mark")
                text = raw.decode("utf-16")
                self.assertTrue(text.startswith("Windows Registry Editor Version 5.00\r\n"))
                for key, browser in ((r"Software\Chromium", "chromium"), (r"Software\Google\Chrome", "chromium"),
                                     (r"Software\Mozilla", "firefox")):
                    entry = f"[{hive}\\{key}\\NativeMessagingHosts\\org.kavrin.hc]\r\n{manifest % browser}\r\n"
                    self.assertIn(entry, text)


if __name__ == "__main__":
    unittest.main()
