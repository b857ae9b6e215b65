#!/usr/bin/env python3
"""Builds the station catalogues "station.dat" and "airport.dat" from the NOAA station lists
and the pinned OurAirports rows.

    make_catalogues.py NSD_BBSSS NSD_CCCC AIRPORTS_CSV OUTDIR

station.dat: one WMO station a line, 54 fixed columns: WMO number (0-4), ICAO (6-9), name
(14-32), latitude DDMM and N/S (37-41), longitude DDDMM and E/W (43-48), elevation in metres
(50-53, right-aligned). airport.dat: ICAO,name,elevation in feet,latitude,longitude with
decimal degrees; NOAA's ICAO list first, then the airports of AIRPORTS_CSV (UTF-8,
icao,name,elevation_ft,latitude,longitude; made by pin_airport_db.py) that NOAA lacks. Where
both have a code and their positions lie more than 5 km apart, NOAA's line takes the position
and elevation of AIRPORTS_CSV. Both are ISO 8859-1 text with CR LF line ends; the first of
duplicates is kept.
"""

import csv
import math
import re
import sys
import unicodedata

FEET_PER_METRE = 3.28084
EARTH_RADIUS_KM = 6378.137  # the program's own, so that its distances and these agree
# NOAA's list often places a station at the town it is named after, or has a slip in it; the
# airfield list has the airfield, where a METAR is observed.
MOVE_BEYOND_KM = 5.0
NAME_WIDTH = 19
ANGLE = re.compile(r"^\s*(\d+)-(\d+)(?:-(\d+))?\s*([NSEW])\s*$")
ICAO = re.compile(r"^[A-Z]{4}$")
NUMBER = re.compile(r"^\s*-?\d+(\.\d*)?\s*$")


def parse_angle(text):
    """(degrees, minutes, seconds, hemisphere) of a NOAA DD-MM[-SS]H angle, or None."""
    match = ANGLE.match(text)
    if not match:
        return None
    degrees, minutes, seconds, hemisphere = match.groups()
    return int(degrees), int(minutes), int(seconds or 0), hemisphere


def whole_minutes(angle):
    """Degrees and minutes rounded to the nearest minute, carrying 60 minutes into a degree."""
    degrees, minutes, seconds, hemisphere = angle
    total = degrees * 60 + minutes + (1 if seconds >= 30 else 0)
    return total // 60, total % 60, hemisphere


def decimal_degrees(angle):
    degrees, minutes, seconds, hemisphere = angle
    value = degrees + minutes / 60.0 + seconds / 3600.0
    return -value if hemisphere in "SW" else value


def elevation_metres(*fields):
    for field in fields:
        field = field.strip()
        if re.fullmatch(r"-?\d+", field):
            return int(field)
    return 0


# Letters and marks outside Latin-1 that have no decomposition into a Latin-1 base letter.
LATIN1_SPELLING = {
    "\u0110": "D", "\u0111": "d", "\u0126": "H", "\u0127": "h", "\u0131": "i", "\u0141": "L",
    "\u0142": "l", "\u0152": "OE", "\u0153": "oe", "\u02bb": "'", "\u02bc": "'", "\u2013": "-",
    "\u2014": "-", "\u2018": "'", "\u2019": "'", "\u201a": "'", "\u201c": '"', "\u201d": '"',
    "\u201e": '"', "\u2026": "...",
}
DROPPED = "\0"


def latin1_spelling(char):
    """The Latin-1 spelling of one character: itself, its base letter without accents, or DROPPED."""
    if unicodedata.category(char) == "Cc":
        return " "
    if ord(char) < 256:
        return char
    if char in LATIN1_SPELLING:
        return LATIN1_SPELLING[char]
    base = "".join(c for c in unicodedata.normalize("NFKD", char) if not unicodedata.combining(c))
    return base if base and all(ord(c) < 256 for c in base) else DROPPED


def clean_name(name):
    """Names go into comma-separated and fixed-width files: no commas, single blanks, Latin-1.

    Letters of other scripts are dropped with the dash or slash that joined them to the name
    ("Guemar Airport - <Arabic>" becomes "Guemar Airport").
    """
    name = "".join(latin1_spelling(char) for char in name)
    name = re.sub(rf"[\s/-]*{DROPPED}[{DROPPED}\s]*", " ", name)
    name = re.sub(r"\s*,\s*", " ", name)
    return re.sub(r"\s+", " ", name).strip()


def station_line(fields):
    block, number, icao, name = fields[0], fields[1], fields[2], fields[3]
    if not (block.isdigit() and number.isdigit()):
        return None
    latitude, longitude = parse_angle(fields[7]), parse_angle(fields[8])
    if latitude is None or longitude is None:
        return None
    lat_deg, lat_min, lat_hem = whole_minutes(latitude)
    lon_deg, lon_min, lon_hem = whole_minutes(longitude)
    elevation = elevation_metres(fields[11], fields[12])
    wmo = f"{int(block):02d}{int(number):03d}"
    icao = icao if ICAO.match(icao) else ""
    line = (f"{wmo} {icao:<4}    {clean_name(name)[:NAME_WIDTH]:<{NAME_WIDTH}}    "
            f"{lat_deg:02d}{lat_min:02d}{lat_hem} {lon_deg:03d}{lon_min:02d}{lon_hem} {elevation:>4d}")
    assert len(line) == 54, line
    return wmo, line


def airport_line(fields):
    icao, name = fields[0], fields[3]
    if not ICAO.match(icao):
        return None
    latitude, longitude = parse_angle(fields[7]), parse_angle(fields[8])
    if latitude is None or longitude is None:
        return None
    feet = round(elevation_metres(fields[11], fields[12]) * FEET_PER_METRE)
    return icao, f"{icao},{clean_name(name)},{feet},{decimal_degrees(latitude):.4f},{decimal_degrees(longitude):.4f}"


def airport_db_entry(row):
    """(icao, name, feet or None when unknown, latitude, longitude) of a pinned row, or None."""
    # A short row has None for its missing columns.
    icao, name, elevation, latitude, longitude = (
        row.get(column) or "" for column in ("icao", "name", "elevation_ft", "latitude", "longitude"))
    if not ICAO.match(icao):
        return None
    try:
        latitude, longitude = float(latitude), float(longitude)
    except ValueError:
        return None
    if not (abs(latitude) <= 90 and abs(longitude) <= 180):
        return None
    feet = round(float(elevation)) if NUMBER.match(elevation) else None
    return icao, clean_name(name), feet, latitude, longitude


def airport_db_line(row):
    entry = airport_db_entry(row)
    if entry is None:
        return None
    icao, name, feet, latitude, longitude = entry
    # As in NOAA's rows, an airport without a known elevation is placed at 0 ft.
    return icao, f"{icao},{name},{feet or 0},{latitude:.4f},{longitude:.4f}"


def distance_km(latitude1, longitude1, latitude2, longitude2):
    """Great-circle distance (haversine, which stays exact for short distances)."""
    phi1, phi2 = math.radians(latitude1), math.radians(latitude2)
    dphi, dlambda = phi2 - phi1, math.radians(longitude2 - longitude1)
    h = math.sin(dphi / 2) ** 2 + math.cos(phi1) * math.cos(phi2) * math.sin(dlambda / 2) ** 2
    return 2 * EARTH_RADIUS_KM * math.asin(min(1.0, math.sqrt(h)))


def airfield_entries(rows):
    """The first valid entry of each code of the pinned rows, by code."""
    entries = {}
    for row in rows:
        entry = airport_db_entry(row)
        if entry is not None:
            entries.setdefault(entry[0], entry)
    return entries


def take_airfield_positions(lines, airfields):
    """NOAA's lines, each with the airfield's position and elevation where the two lie more than
    MOVE_BEYOND_KM apart (NOAA's name stays); also the codes so moved."""
    placed, moved = [], []
    for line in lines:
        icao, name, feet, latitude, longitude = line.split(",")
        airfield = airfields.get(icao)
        if airfield and distance_km(float(latitude), float(longitude), airfield[3], airfield[4]) > MOVE_BEYOND_KM:
            # An airfield without a known elevation keeps NOAA's.
            feet = feet if airfield[2] is None else airfield[2]
            line = f"{icao},{name},{feet},{airfield[3]:.4f},{airfield[4]:.4f}"
            moved.append(icao)
        placed.append(line)
    return placed, moved


def noaa_rows(path, separator):
    with open(path, encoding="latin-1") as source:
        for raw in source:
            fields = raw.rstrip("\r\n").split(separator)
            if len(fields) >= 13:
                yield fields


def airport_db_rows(path):
    with open(path, encoding="utf-8", newline="") as source:
        yield from csv.DictReader(source)


def build(rows, make_line, seen=None):
    """The lines made of the rows, leaving out every key already in seen (which grows)."""
    seen = set() if seen is None else seen
    lines = []
    for row in rows:
        made = make_line(row)
        if made and made[0] not in seen:
            seen.add(made[0])
            lines.append(made[1])
    return lines


def write(path, lines):
    with open(path, "w", encoding="latin-1", newline="") as out:
        out.write("".join(line + "\r\n" for line in lines))


def main(argv):
    if len(argv) != 5:
        sys.stderr.write(__doc__)
        return 2
    stations = build(noaa_rows(argv[1], ";"), station_line)
    # NOAA's entry of a code comes first and stays the only one, with the airfield's position
    # where NOAA's lies far from it.
    codes = set()
    noaa_airports, moved = take_airfield_positions(build(noaa_rows(argv[2], "|"), airport_line, codes),
                                                   airfield_entries(airport_db_rows(argv[3])))
    more_airports = build(airport_db_rows(argv[3]), airport_db_line, codes)
    write(f"{argv[4]}/station.dat", stations)
    write(f"{argv[4]}/airport.dat", noaa_airports + more_airports)
    print(f"station.dat: {len(stations)} stations, airport.dat: {len(noaa_airports)} airports from NOAA "
          f"({len(moved)} placed as {argv[3]} places them) and {len(more_airports)} from {argv[3]}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
