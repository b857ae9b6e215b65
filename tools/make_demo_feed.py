#!/usr/bin/env python3
"""Makes the bundled demo feed in data/feed/ from real reports:

  metar.txt     the European reports (ICAO codes beginning with E or L) of the 2010-01-17
                snapshot of the METAR sample, in the layout of NOAA's cycle files (a date line,
                the report, an empty line), in the sample's order;
  upperair.txt  the TEMP bulletins of the test fixtures (German stations first);
  synop.txt     the broadcast SYNOP texts of the SYNOP sample, whole, junk included.

Usage: make_demo_feed.py METAR_SAMPLE SYNOP_SAMPLE FIXTURES_DIR OUT_DIR
"""

import os
import sys

SNAPSHOT = "2010/01/17"
REGIONS = ("E", "L")
TEMP_FIXTURES = ("temp_bulletin_german_metres_per_second.txt", "temp_bulletin_us_knots.txt")


def read_latin1(path):
    with open(path, "rb") as f:
        return f.read().decode("latin-1")


def is_date_line(line):
    return len(line) == 16 and line[4] == "/" and line[7] == "/" and line[10] == " "


def metar_extract(text):
    out = []
    date = None
    for line in text.split("\n"):
        line = line.rstrip("\r")
        if is_date_line(line):
            date = line
            continue
        if date is None or not date.startswith(SNAPSHOT):
            continue
        code = line[:4]
        if len(line) > 12 and line[4] == " " and code.isalpha() and code.isupper() and code[0] in REGIONS:
            out.append(date + "\n" + line + "\n\n")
    return "".join(out)


def main(argv):
    if len(argv) != 5:
        sys.stderr.write(__doc__)
        return 2
    metar_sample, synop_sample, fixtures, out_dir = argv[1:]
    os.makedirs(out_dir, exist_ok=True)
    files = {
        "metar.txt": metar_extract(read_latin1(metar_sample)),
        "upperair.txt": "\n".join(read_latin1(os.path.join(fixtures, name)) for name in TEMP_FIXTURES),
        "synop.txt": read_latin1(synop_sample),
    }
    for name, text in files.items():
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(text.encode("latin-1"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
