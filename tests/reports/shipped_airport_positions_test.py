#!/usr/bin/env python3
"""The shipped airport.dat places no airport more than 5 km from where the pinned airfield list
places it, for every code both have.

    shipped_airport_positions_test.py AIRPORT_DAT AIRPORT_DB_CSV
"""

import csv
import math
import re
import sys
import unittest

LIMIT_KM = 5.0
EARTH_RADIUS_KM = 6378.137
CODE = re.compile(r"^[A-Z]{4}$")


def central_angle(lat1, lon1, lat2, lon2):
    """Central angle by the spherical law of cosines (another formula than the generator's)."""
    p1, p2, dl = math.radians(lat1), math.radians(lat2), math.radians(lon2 - lon1)
    cosine = math.sin(p1) * math.sin(p2) + math.cos(p1) * math.cos(p2) * math.cos(dl)
    return math.acos(max(-1.0, min(1.0, cosine)))


def airfields(path):
    """The first row of each four-letter code with a usable position."""
    found = {}
    with open(path, encoding="utf-8", newline="") as source:
        for row in csv.DictReader(source):
            code = row.get("icao") or ""
            try:
                latitude, longitude = float(row.get("latitude") or ""), float(row.get("longitude") or "")
            except ValueError:
                continue
            if CODE.match(code) and abs(latitude) <= 90 and abs(longitude) <= 180:
                found.setdefault(code, (latitude, longitude))
    return found


class ShippedAirportPositions(unittest.TestCase):
    def test_no_airport_lies_far_from_its_airfield(self):
        places = airfields(sys.argv[2])
        shared, far = 0, []
        with open(sys.argv[1], encoding="latin-1", newline="") as catalogue:
            for line in catalogue:
                code, _name, _feet, latitude, longitude = line.rstrip("\r\n").split(",")
                if code not in places:
                    continue
                shared += 1
                km = central_angle(float(latitude), float(longitude), *places[code]) * EARTH_RADIUS_KM
                if km > LIMIT_KM:
                    far.append(f"{code} {km:.1f} km")
        self.assertGreater(shared, 4800, "the two lists share most codes")
        self.assertEqual(far, [])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
