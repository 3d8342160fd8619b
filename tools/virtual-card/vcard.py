#!/usr/bin/python3
"""The virtual health card: connects to the vpcd reader driver and answers it until the
reader goes away or the process is told to stop.

    vcard.py --port 35963 [--image NAME|PATH] [--protocol T0|T1] [--card-id 1|7|both]
             [--fault NAME[=VALUE]]... [--log FILE] [--keys DIR] [--reader NAME]
"""
import argparse
import os
import signal
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from vcard import faults as fault_switches  # noqa: E402
from vcard.applet import Applet  # noqa: E402
from vcard.filesystem import CardContents  # noqa: E402
from vcard.image import Image, ImageError, resolve  # noqa: E402
from vcard.pki import BenchKeys  # noqa: E402
from vcard.session import Session  # noqa: E402


def parse_args(argv):
    parser = argparse.ArgumentParser(prog="vcard.py", description="virtual health card for vpcd")
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--image", default="default")
    parser.add_argument("--protocol", choices=["T0", "T1"])
    parser.add_argument("--card-id", choices=["1", "7", "both"])
    parser.add_argument("--fault", action="append", default=[])
    parser.add_argument("--log", help="APDU log file (appended)")
    parser.add_argument("--keys", help="folder of the bench keys (made when missing)")
    parser.add_argument("--reader", help="PC/SC reader name, needed by reset-after")
    parser.add_argument("--check", action="store_true",
                        help="build the card's files and exit without connecting")
    return parser.parse_args(argv)


def build(args):
    image = Image(resolve(args.image))
    faults = fault_switches.parse(args.fault)
    card_id = args.card_id or str(image.setting("card_id", 1))
    card_ids = {"1": [1], "7": [7], "both": [1, 7]}.get(card_id)
    if card_ids is None:
        raise ImageError(f"card ID must be 1, 7 or both, not {card_id}")
    protocol = args.protocol or image.setting("protocol", "T1")
    keys_dir = args.keys or os.path.join(os.environ.get("KAVRIN_BENCH_DIR", "."), "keys")
    contents = CardContents(image, card_ids, BenchKeys(keys_dir), faults)
    return Applet(contents, protocol), faults


def main(argv):
    args = parse_args(argv)
    try:
        applet, faults = build(args)
    except (ImageError, fault_switches.FaultError, ValueError) as error:
        print(f"vcard: {error}", file=sys.stderr)
        return 2
    if args.check:
        return 0
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    session = Session(applet, faults, args.port, args.log, args.reader)
    return session.run()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
