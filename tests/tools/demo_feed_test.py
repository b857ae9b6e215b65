#!/usr/bin/env python3
"""The bundled demo feed is what tools/make_demo_feed.py makes of the real samples, and it holds
enough identified stations for a send (the program sends nothing below 100 reports).

Usage: demo_feed_test.py SHARED_DATA_DIR"""

import os
import subprocess
import sys
import tempfile
import unittest

TOP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
SHARED = sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(TOP, "..", "shared", "data")


def airport_codes():
    codes = set()
    with open(os.path.join(TOP, "data", "airport.dat"), "rb") as f:
        for line in f.read().decode("latin-1").splitlines():
            if line.count(",") >= 4:
                codes.add(line.split(",", 1)[0])
    return codes


class DemoFeed(unittest.TestCase):
    def test_regenerates_byte_for_byte(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run(
                [sys.executable, os.path.join(TOP, "tools", "make_demo_feed.py"),
                 os.path.join(SHARED, "metar-cycle-sample.txt"), os.path.join(SHARED, "fldigi_synop_samples.txt"),
                 os.path.join(TOP, "tests", "fixtures"), out],
                check=True)
            for name in ("metar.txt", "upperair.txt", "synop.txt"):
                with open(os.path.join(out, name), "rb") as made, \
                        open(os.path.join(TOP, "data", "feed", name), "rb") as shipped:
                    self.assertEqual(made.read(), shipped.read(), name)

    def test_holds_several_hundred_identified_stations(self):
        codes = airport_codes()
        with open(os.path.join(TOP, "data", "feed", "metar.txt"), "rb") as f:
            reports = [l for l in f.read().decode("latin-1").splitlines() if len(l) > 12 and l[4] == " "]
        identified = {r[:4] for r in reports if r[:4] in codes}
        self.assertGreater(len(identified), 700)


if __name__ == "__main__":
    unittest.main()
