"""Starting and stopping the bench: exit status, signals, nothing left behind. Each
test starts new benches of its own from inside the bench that runs the tests, so every
process they start is visible here and must be gone afterwards."""
import os
import signal
import subprocess
import time
import unittest

from client import ROOT, bench

WITH_BENCH = os.path.join(ROOT, "tools", "bench", "with-bench")
CARD = os.path.join(ROOT, "tools", "bench", "card")


def bench_processes():
    """PID -> command line of every process of the bench machinery except those of the
    bench running these tests."""
    with open(os.path.join(os.environ["KAVRIN_BENCH_DIR"], "pcscd.pid")) as f:
        own_pcscd = f.read().strip()
    found = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                command = f.read().replace(b"\0", b" ").decode(errors="replace")
        except OSError:
            continue
        if pid not in (own_pcscd, "1") and any(k in command for k in ("pcscd", "vcard.py", "bench-inside", "unshare")):
            found[int(pid)] = command
    return found


def new_bench(*command, **kwargs):
    """Runs COMMAND on a new bench of its own (not the one of the tests)."""
    env = {k: v for k, v in os.environ.items() if k != "KAVRIN_BENCH_DIR"}
    # Its folder, kept when it fails on purpose, goes inside this bench's, which goes when the tests pass.
    env["TMPDIR"] = os.environ["KAVRIN_BENCH_DIR"]
    return subprocess.run([WITH_BENCH, *command], env=env, capture_output=True, text=True,
                          timeout=120, **kwargs)


class LifecycleTests(unittest.TestCase):
    def setUp(self):
        self.assertEqual(bench_processes(), {}, "processes left by an earlier test")

    def test_ten_benches_in_a_row_start_read_a_card_and_leave_nothing(self):
        script = (f'set -e; "{CARD}" insert; "{CARD}" insert --slot 1 --protocol T0; '
                  f'/usr/bin/python3 -c "from smartcard.System import readers; '
                  f'c = readers()[0].createConnection(); c.connect(); print(c.getProtocol())"; '
                  'echo "$KAVRIN_BENCH_DIR"')
        for round in range(10):
            with self.subTest(round=round):
                result = new_bench("bash", "-c", script)
                self.assertEqual(result.returncode, 0, result.stderr)
                folder = result.stdout.split()[-1]
                self.assertFalse(os.path.exists(folder), "scratch folder removed")
                self.assertEqual(bench_processes(), {})

    def test_exit_status_of_the_command_is_returned(self):
        result = new_bench("sh", "-c", "exit 7")
        self.assertEqual(result.returncode, 7)
        folder = result.stderr.split("kept in ")[-1].strip()
        self.assertTrue(os.path.isdir(folder), "a failed run keeps its files for a look")
        subprocess.run(["rm", "-rf", "--", folder], check=True)
        self.assertEqual(new_bench("false").returncode, 1)
        self.assertEqual(new_bench("/no/such/command").returncode, 127)

    def test_terminated_bench_stops_its_command_and_cards(self):
        env = {k: v for k, v in os.environ.items() if k != "KAVRIN_BENCH_DIR"}
        marker = os.path.join(os.environ["KAVRIN_BENCH_DIR"], "terminated-bench")
        process = subprocess.Popen(
            [WITH_BENCH, "bash", "-c", f'"{CARD}" insert && echo "$KAVRIN_BENCH_DIR" > {marker} && sleep 300'],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            for _ in range(600):
                if os.path.exists(marker) or process.poll() is not None:
                    break
                time.sleep(0.05)
            self.assertTrue(os.path.exists(marker), "the card was inserted")
            self.assertTrue(any("vcard.py" in c for c in bench_processes().values()))
            process.send_signal(signal.SIGTERM)
            status = process.wait(timeout=30)
        finally:
            if process.poll() is None:
                process.kill()
                process.wait()
        self.assertEqual(status, 143)
        self.assertEqual(bench_processes(), {})
        with open(marker) as f:
            subprocess.run(["rm", "-rf", "--", f.read().strip(), marker], check=True)

    def test_nested_call_uses_the_running_bench(self):
        result = subprocess.run([WITH_BENCH, "sh", "-c", 'echo "$KAVRIN_BENCH_DIR"'],
                                capture_output=True, text=True, timeout=60)
        self.assertEqual(result.stdout.strip(), os.environ["KAVRIN_BENCH_DIR"])


class CardToolTests(unittest.TestCase):
    def test_card_outside_a_bench_is_refused(self):
        env = {k: v for k, v in os.environ.items() if k != "KAVRIN_BENCH_DIR"}
        result = subprocess.run([CARD, "reader"], env=env, capture_output=True, text=True, timeout=60)
        self.assertEqual(result.returncode, 1)
        self.assertIn("not on a bench", result.stderr)

    def test_bad_images_and_double_insert_are_refused(self):
        result = bench("insert", "--image", "no-such-image", check=False)
        self.assertEqual(result.returncode, 1)
        self.assertIn("no card image 'no-such-image'", result.stderr)
        bench("insert")
        try:
            result = bench("insert", check=False)
            self.assertEqual(result.returncode, 1)
            self.assertIn("already holds a card", result.stderr)
        finally:
            bench("remove")
        bench("remove")  # an empty slot stays empty

    def test_reader_names_of_the_two_slots(self):
        self.assertEqual(bench("reader").stdout.strip(), "Virtual PCD 00 00")
        self.assertEqual(bench("reader", "--slot", "1").stdout.strip(), "Virtual PCD 00 01")


if __name__ == "__main__":
    unittest.main()
