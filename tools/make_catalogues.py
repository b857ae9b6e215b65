#!/usr/bin/env python3
"""Builds the station catalogues "station.dat" and "airport.dat" from the NOAA station lists.

    make_catalogues.py NSD_BBSSS NSD_CCCC OUTDIR

station.dat: one WMO station a line, 54 fixed columns: WMO number (0-4), ICAO (6-9), name
(14-32), latitude DDMM and N/S (37-41), longitude DDDMM and E/W (43-48), elevation in metres
(50-53, right-aligned). airport.dat: ICAO,name,elevation in feet,latitude,longitude with
decimal degrees. Both are ISO 8859-1 text with CR LF line ends; the first of duplicates is kept.
"""

import re
import sys

FEET_PER_METRE = 3.28084
NAME_WIDTH = 19
ANGLE = re.compile(r"^\s*(\d+)-(\d+)(?:-(\d+))?\s*([NSEW])\s*$")
ICAO = re.compile(r"^[A-Z]{4}$")


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


def clean_name(name):
    """Names go into comma-separated and fixed-width files: no commas, single blanks, Latin-1."""
    name = re.sub(r"\s*,\s*", " ", name)
    name = re.sub(r"\s+", " ", name).strip()
    return name.encode("latin-1", "replace").decode("latin-1")


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


def build(path, separator, make_line):
    seen, lines = set(), []
    with open(path, encoding="latin-1") as source:
        for raw in source:
            fields = raw.rstrip("\r\n").split(separator)
            if len(fields) < 13:
                continue
            made = make_line(fields)
            if made and made[0] not in seen:
                seen.add(made[0])
                lines.append(made[1])
    return lines


def write(path, lines):
    with open(path, "w", encoding="latin-1", newline="") as out:
        out.write("".join(line + "\r\n" for line in lines))


def main(argv):
    if len(argv) != 4:
        sys.stderr.write(__doc__)
        return 2
    stations = build(argv[1], ";", station_line)
    airports = build(argv[2], "|", airport_line)
    write(f"{argv[3]}/station.dat", stations)
    write(f"{argv[3]}/airport.dat", airports)
    print(f"station.dat: {len(stations)} stations, airport.dat: {len(airports)} airports")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
