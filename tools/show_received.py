#!/usr/bin/env python3
"""Prints what the simulator stand-in received: one line per weather record, with the station,
its distance from the aircraft and the surface weather read back from the record's bytes.

Usage: show_received.py RECORD_FILE AIRPORT_DAT LAT LON
RECORD_FILE is the stand-in's --record file (JSON lines); a send ends with the closing command.
"""

import json
import math
import struct
import sys

EARTH_RADIUS_KM = 6378.137
KM_PER_NM = 1.852
VIS_RANGE_M = 15.92  # one unit of the record's visibility range
CLOSE_COMMAND = 256  # written 5 s after the last record of a send


def airports(path):
    found = {}
    with open(path, "rb") as f:
        for line in f.read().decode("latin-1").splitlines():
            parts = line.split(",")
            if len(parts) >= 5:
                try:
                    found.setdefault(parts[0], (float(parts[3]), float(parts[4])))
                except ValueError:
                    pass
    return found


def distance_nm(a, b):
    la1, lo1, la2, lo2 = map(math.radians, (a[0], a[1], b[0], b[1]))
    c = math.sin(la1) * math.sin(la2) + math.cos(la1) * math.cos(la2) * math.cos(lo2 - lo1)
    return EARTH_RADIUS_KM * math.acos(max(-1.0, min(1.0, c))) / KM_PER_NM


def surface(record):
    """The surface weather of a 1024-byte record, as a line."""
    pressure, = struct.unpack_from("<H", record, 40)
    vis_range, = struct.unpack_from("<H", record, 48)
    _, temperature, _, dew_point = struct.unpack_from("<Hhhh", record, 56)
    _, speed, gust, direction = struct.unpack_from("<HHHH", record, 252)
    clouds, = struct.unpack_from("<i", record, 636)
    wind = "%03d/%02d kt" % (round(direction * 360 / 65536) % 360, speed)
    if gust:
        wind += " gusts +%d" % gust
    return "wind %s, visibility %d m, %d/%d C, QNH %d hPa, %d cloud layer%s" % (
        wind, round(vis_range * VIS_RANGE_M), temperature, dew_point, pressure // 16, clouds,
        "" if clouds == 1 else "s")


def sends(path):
    """The records of each send, in order; a send that has not ended yet is left out."""
    done, current = [], []
    with open(path) as f:
        for line in f:
            event = json.loads(line)
            if event["kind"] == "record":
                current.append((event["icao"], bytes.fromhex(event["bytes"])))
            elif event["kind"] == "command" and event["value"] == CLOSE_COMMAND and current:
                done.append(current)
                current = []
    return done


def main(argv):
    if len(argv) != 5:
        sys.stderr.write(__doc__)
        return 2
    places = airports(argv[2])
    aircraft = (float(argv[3]), float(argv[4]))
    for number, records in enumerate(sends(argv[1]), 1):
        print("Send %d: %d records" % (number, len(records)))
        for icao, record in records:
            where = "%6.1f NM" % distance_nm(aircraft, places[icao]) if icao in places else "  global"
            print("  %-4s %s  %s" % (icao, where, surface(record)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
