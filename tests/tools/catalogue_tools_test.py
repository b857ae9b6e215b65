#!/usr/bin/env python3
"""The catalogue tools' rules: which OurAirports rows are pinned, how names are cleaned, and how
the pinned rows are merged after NOAA's."""

import os
import sqlite3
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools"))
import make_catalogues  # noqa: E402
import pin_airport_db  # noqa: E402

NOAA_CCCC = (
    "EDDF|10|637|Frankfurt / M-Flughafen||Germany|6|50-03N|008-36E|||111|111|P\n"
    "KLAS|72|386|MCCARRAN INTERNATIONAL AIRPORT|NV|United States|4|36-07N|115-16W|||663|663|P\n"
    "PAOR|70|291|NORTHWAY AIRPORT|AK|United States|4|62-58N|141-56N|62-57-44N|141-56-10W|523|522|\n"
)
AIRPORT_DB = (
    "icao,name,elevation_ft,latitude,longitude\n"
    "EDDF,Frankfurt Main Airport,364,50.026706,8.558350\n"
    "KLAS,Harry Reid International Airport,2181,36.083361,-115.151817\n"
    "PAOR,Northway Airport,,62.961300,-141.929001\n"
    "UTAT,Daşoguz Airport,272,41.759900,59.836100\n"
    'ZZNC,"Mangole Airport, Falabisahaya",10,-1.782300,125.482200\n'
    "UTAT,Second row of a code,1,1.0,1.0\n"
    "00AA,Aero B Ranch Airport,3435,38.704022,-101.473911\n"
    "US-1,Local Field,10,40.0,-75.0\n"
    "ZZLA,Latitude out of range,10,91.0,10.0\n"
    "ZZEL,No elevation,,10.0,10.0\n"
    "ZZLO,Longitude missing,10,10.0,\n"
    "ZZSH,Short row\n"
    "ZZNA,Not a number,10,nan,10.0\n"
    'ZZCT,"Tab\tand\x85control",5,1.5,-2.25\n'
)


class CleanName(unittest.TestCase):
    def test_names_become_latin1_without_commas(self):
        cases = [
            ("Frankfurt / M-Flughafen", "Frankfurt / M-Flughafen"),
            ("Nairobi ACC/FIC/RCC/MET/COM/", "Nairobi ACC/FIC/RCC/MET/COM/"),
            ("Froðba Heliport", "Froðba Heliport"),  # Latin-1 letters stay
            ("Daşoguz Airport", "Dasoguz Airport"),
            ("Phú Quốc International Airport", "Phú Quoc International Airport"),
            ("Kȩtrzyn-Wilamowo Airfield", "Ketrzyn-Wilamowo Airfield"),
            ("Piła Airfield", "Pila Airfield"),
            ("Bandırma Airport", "Bandirma Airport"),
            ("Lomé–Tokoin International Airport", "Lomé-Tokoin International Airport"),
            ("Flugplatz „Graner Berg“", 'Flugplatz "Graner Berg"'),
            ("Guemar Airport - مطار قمار بالوادي", "Guemar Airport"),
            ("مطار", ""),
            ("Mangole Airport, Falabisahaya", "Mangole Airport Falabisahaya"),
            ("  Two   blanks ", "Two blanks"),
        ]
        for raw, expected in cases:
            with self.subTest(raw=raw):
                cleaned = make_catalogues.clean_name(raw)
                self.assertEqual(cleaned, expected)
                cleaned.encode("latin-1")


class MergedAirports(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)

    def source(self, name, text):
        path = os.path.join(self.folder.name, name)
        with open(path, "w", encoding="utf-8" if name.endswith(".csv") else "latin-1", newline="") as f:
            f.write(text)
        return path

    def generate(self):
        bbsss = self.source("nsd_bbsss.txt", "")
        cccc = self.source("nsd_cccc.txt", NOAA_CCCC)
        csv_path = self.source("airport-db.csv", AIRPORT_DB)
        out = os.path.join(self.folder.name, "out")
        os.mkdir(out)
        with open(os.devnull, "w") as quiet:
            stdout, sys.stdout = sys.stdout, quiet
            try:
                self.assertEqual(make_catalogues.main(["make_catalogues.py", bbsss, cccc, csv_path, out]), 0)
            finally:
                sys.stdout = stdout
        with open(os.path.join(out, "airport.dat"), "rb") as f:
            return f.read()

    # EDDF lies 3.9 km from its airfield and stays as NOAA has it; KLAS, 11 km away, takes the
    # airfield's place and elevation; PAOR (NOAA: east for west) takes its place and, as the
    # airfield row has no elevation, keeps NOAA's.
    def test_noaa_first_then_new_codes_once(self):
        self.assertEqual(
            self.generate(),
            b"EDDF,Frankfurt / M-Flughafen,364,50.0500,8.6000\r\n"
            b"KLAS,MCCARRAN INTERNATIONAL AIRPORT,2181,36.0834,-115.1518\r\n"
            b"PAOR,NORTHWAY AIRPORT,1716,62.9613,-141.9290\r\n"
            b"UTAT,Dasoguz Airport,272,41.7599,59.8361\r\n"
            b"ZZNC,Mangole Airport Falabisahaya,10,-1.7823,125.4822\r\n"
            b"ZZEL,No elevation,0,10.0000,10.0000\r\n"
            b"ZZCT,Tab and control,5,1.5000,-2.2500\r\n",
        )


class PinnedRows(unittest.TestCase):
    def test_four_letter_codes_of_airports_still_open(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "airports.sqlite")
            with sqlite3.connect(path) as db:
                db.execute("CREATE TABLE airports (icao TEXT, faa TEXT, name TEXT, type TEXT, latitude REAL,"
                           " longitude REAL, elevation_ft INTEGER)")
                db.executemany("INSERT INTO airports VALUES (?, ?, ?, ?, ?, ?, ?)", [
                    ("UTAT", "UTAT", "Daşoguz Airport", "medium_airport", 41.7599, 59.83612345, 272),
                    ("EHSA", "EHSA", "Europlatform Heliport", "heliport", 51.99792, 3.27481, 62),
                    ("00AA", "K00A", "Aero B Ranch Airport", "small_airport", 38.704022, -101.473911, 3435),
                    ("US-0005", None, "Staten Island Airport", "closed", 40.5803, -74.1662, 0),
                    ("FAHS", None, "Non-Existent Airport", "closed", -46.1819, -12.1148, 1743),
                    ("IQ-0032", "KQMG", "Mudaysis Air Base", "small_airport", 29.2, 44.8, 890),  # faa unused
                    ("ABCD", "ABCD", "Balloons", "balloonport", 1.0, 1.0, 1),
                ])
            db.close()
            self.assertEqual(list(pin_airport_db.rows(path)), [
                ["EHSA", "Europlatform Heliport", 62, "51.997920", "3.274810"],
                ["UTAT", "Daşoguz Airport", 272, "41.759900", "59.836123"],
            ])


if __name__ == "__main__":
    unittest.main()
