"""Benches started from inside the tests' own: the command's exit status comes back and
nothing is left behind."""
import os
import subprocess
import unittest

from client import ROOT

WITH_BENCH = os.path.join(ROOT, "tools", "bench", "with-bench")
CARD = os.path.join(ROOT, "tools", "bench", "card")
OWN_BENCH = os.environ["KAVRIN_BENCH_DIR"]


def bench_processes():
    """PID -> command line of every bench process but those of the tests' own bench."""
    with open(os.path.join(OWN_BENCH, "pcscd.pid")) as f:
        own_pcscd = f.read().strip()
    listing = subprocess.run(["ps", "-eo", "pid=,args="], capture_output=True, text=True).stdout
    return {int(pid): command for pid, command in (line.split(None, 1) for line in listing.splitlines())
            if pid not in (own_pcscd, "1")
            and any(k in command for k in ("pcscd", "vcard.py", "bench-inside", "unshare"))}


def new_bench(*command):
    """COMMAND on a new bench whose folder goes inside the tests' own bench."""
    env = {k: v for k, v in os.environ.items() if k != "KAVRIN_BENCH_DIR"}
    env["TMPDIR"] = OWN_BENCH
    return subprocess.run([WITH_BENCH, *command], env=env, capture_output=True, text=True, timeout=120)


class LifecycleTests(unittest.TestCase):
    def setUp(self):
        self.assertEqual(bench_processes(), {}, "processes left by an earlier test")

    def test_benches_in_a_row_read_a_card_return_the_status_and_leave_nothing(self):
        script = (f'"{CARD}" insert && "{CARD}" insert --slot 1 --protocol T0 && '
                  '/usr/bin/python3 -c "from smartcard.System import readers; '
                  'c = readers()[1].createConnection(); c.connect(); print(c.getProtocol())" && '
                  'echo "$KAVRIN_BENCH_DIR" && exit "$STATUS"')
        for status in (0, 0, 7):
            with self.subTest(status=status):
                result = new_bench("env", f"STATUS={status}", "bash", "-c", script)
                self.assertEqual(result.returncode, status, result.stderr)
                folder = result.stdout.split()[-1]
                self.assertEqual(os.path.exists(folder), status != 0, "kept only after a failure")
                self.assertEqual(bench_processes(), {})
        self.assertEqual(new_bench("/no/such/command").returncode, 127)


if __name__ == "__main__":
    unittest.main()
