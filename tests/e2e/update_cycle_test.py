#!/usr/bin/env python3
"""The weather service end to end, as separate processes: the program nubivane in a temporary
working folder with a prepared "Nubivane.ini", a local HTTP server of real feeds (and an FTP server,
pyftpdlib, for "/General/Metar" 2), and the simulator stand-in with the aircraft at a chosen
position. Every wait is bounded; every server listens on 127.0.0.1 on a free port.

Usage: update_cycle_test.py PROGRAM SIMSTUB DECODE_TOOL SOURCE_DIR SHARED_DATA_DIR [unittest args]

NUBIVANE_E2E_RUNNER, when set, is the command that runs the three programs (wine for the Windows
build); the program is then closed as Windows closes a program, through its window.
"""

import json
import math
import os
import select
import shlex
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time
import unittest

from json_lines import read_json_line, wait_until

PROGRAM, SIMSTUB, DECODE, TOP, SHARED = (os.path.abspath(a) for a in sys.argv[1:6])
del sys.argv[1:6]

RUNNER = shlex.split(os.environ.get("NUBIVANE_E2E_RUNNER", ""))
SYSTEM_PYTHON = "/usr/bin/python3"  # Debian's modules (pyftpdlib) are seen by this one
TIME_SCALE = "0.1"  # every pause of the program at a tenth; the countdown still counts ticks
WAIT_S = 90
CLOSE_COMMAND = 256
RANGE = 300

# The program's geometry, operation for operation, so that distances agree to the last bit.
RAD_PER_DEGREE = 0.017453292519
EARTH_RADIUS_KM = 6378.137
KM_PER_NM = 1.852

FRANKFURT = (50.0333, 8.5706)
HEATHROW = (51.4775, -0.4614)  # about 350 NM from Frankfurt


def distance_km(lat1, lon1, lat2, lon2):
    k = RAD_PER_DEGREE
    s = math.cos((lon2 - lon1) * k) * (math.cos(lat2 * k) * math.cos(lat1 * k)) + \
        math.sin(lat2 * k) * math.sin(lat1 * k)
    return math.acos(max(-1.0, min(1.0, s))) * EARTH_RADIUS_KM


def as_float32(value):
    """The catalogue keeps positions in single precision; the tool prints enough digits to get it back."""
    return struct.unpack("f", struct.pack("f", value))[0]


def minute_of_month(time_text):
    if len(time_text) != 7 or time_text[6] != "Z" or not time_text[:6].isdigit():
        return -1
    day, hour, minute = int(time_text[:2]), int(time_text[2:4]), int(time_text[4:6])
    if not (1 <= day <= 31 and hour <= 23 and minute <= 59):
        return -1
    return (day - 1) * 1440 + hour * 60 + minute


def later(a, b):
    """The observation time a is later than b, a feed spanning less than half a month."""
    x, y = minute_of_month(a), minute_of_month(b)
    if x < 0 or y < 0:
        return x > y
    if x - y > 15 * 1440:
        return False
    if y - x > 15 * 1440:
        return True
    return x > y


def decode(mode_args, feed):
    out = subprocess.run(RUNNER + [DECODE] + mode_args + [feed], check=True, capture_output=True,
                         timeout=120).stdout
    return [json.loads(line) for line in out.decode().splitlines()]


class ExpectedSends:
    """What the simulator must receive for a METAR-only feed, worked out from the decode tool."""

    def __init__(self, feed, airports, ini):
        stations = decode(["--airports", airports], feed)
        records = decode(["--record", "--airports", airports, "--options", ini], feed)
        assert len(stations) == len(records)
        self.reports = []
        for station, record in zip(stations, records):
            assert station["raw"] == record["raw"]
            if station["identified"]:
                self.reports.append((station, record))

    def at(self, latitude, longitude):
        """The ICAO codes and records of a send, "GLOB" first, then farthest to nearest."""
        latest = {}
        order = []
        for station, record in self.reports:
            km = distance_km(latitude, longitude, as_float32(station["latitude"]), as_float32(station["longitude"]))
            if not km < RANGE:
                continue
            icao = station["icao"]
            if icao not in latest:
                order.append(icao)
                latest[icao] = (station, record, km)
            elif not later(latest[icao][0]["time"], station["time"]):
                latest[icao] = (station, record, km)
        chosen = [(icao,) + latest[icao] for icao in order]
        chosen.sort(key=lambda c: (-int(c[3] / KM_PER_NM), -c[3]))  # stable: list order last
        passing = [(icao, record["record"]) for icao, _, record, _ in chosen if record["check"]]
        assert passing, "no station in range"
        glob = passing[-1][1]
        glob = glob[:16] + "GLOB".encode().hex() + glob[24:]
        return [("GLOB", glob)] + passing


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def sends(record_file):
    """The sends the stand-in has received completely: lists of (icao, hex bytes)."""
    done, current = [], []
    if not os.path.exists(record_file):
        return done
    with open(record_file) as f:
        for line in f:
            if not line.endswith("\n"):
                break
            event = json.loads(line)
            if event["kind"] == "record":
                current.append((event["icao"], event["bytes"].lower()))
            elif event["kind"] == "command" and event["value"] == CLOSE_COMMAND and current:
                done.append(current)
                current = []
    return done


class Service(unittest.TestCase):
    """One run of the program with its peers; every process is ended by its own id."""

    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="nub-e2e-")
        self.processes = []
        self.ipc = os.path.join(self.work, "ipc")
        os.mkdir(self.ipc)
        self.records = os.path.join(self.work, "received.jsonl")
        # CTest runs this under tests/gui_common/own_display.sh, which gives it an X server of its own.
        self.display = os.environ.get("DISPLAY")
        self.assertTrue(self.display, "no DISPLAY: run it under tests/gui_common/own_display.sh")

    def tearDown(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.kill()
                process.wait(timeout=10)
        shutil.rmtree(self.work, ignore_errors=True)

    def start(self, argv, **options):
        process = subprocess.Popen(argv, **options)
        self.processes.append(process)
        return process

    def feed_server(self, folder, failing=(), answers=None):
        argv = [SYSTEM_PYTHON, os.path.join(TOP, "tools", "feed_server.py"), folder]
        for path in failing:
            argv += ["--fail", path]
        for path, kind in (answers or {}).items():
            argv += ["--answer", path, kind]
        server = self.start(argv, stdout=subprocess.PIPE, text=True)
        return "http://127.0.0.1:%d" % read_json_line(server, "ready", 20)["port"]

    def ftp_server(self, folder):
        """pyftpdlib on a free port, anonymous and read-only; tried again when the port was taken."""
        for _ in range(5):
            port = free_port()
            server = self.start([SYSTEM_PYTHON, "-m", "pyftpdlib", "-i", "127.0.0.1", "-p", str(port), "-d", folder],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            end = time.monotonic() + 20
            while time.monotonic() < end and server.poll() is None:
                try:
                    with socket.create_connection(("127.0.0.1", port), timeout=1) as probe:
                        if probe.recv(64).startswith(b"220"):
                            return "ftp://127.0.0.1:%d" % port
                except OSError:
                    time.sleep(0.1)
        raise AssertionError("the FTP server did not start")

    def simulator(self, position):
        stub = self.start(RUNNER + [SIMSTUB, "--quiet", "--lat", str(position[0]), "--lon", str(position[1]),
                           "--record", self.records], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                          env=dict(os.environ, NUBIVANE_IPC_DIR=self.ipc))
        read_json_line(stub, "ready", 20)
        return stub

    def command(self, stub, line):
        stub.stdin.write(line + "\n")
        stub.stdin.flush()
        self.assertTrue(read_json_line(stub, "input", 20)["ok"], line)

    def program(self, ini, hosts):
        for name in ("airport.dat", "station.dat"):
            shutil.copy(os.path.join(TOP, "data", name), self.work)
        with open(os.path.join(self.work, "Nubivane.ini"), "w") as f:
            f.write(ini)
        env = dict(os.environ, DISPLAY=self.display, NUBIVANE_IPC_DIR=self.ipc, NUBIVANE_BOX_ANSWER="yes",
                   NUBIVANE_TIME_SCALE=TIME_SCALE, ASAN_OPTIONS="detect_leaks=0",
                   # A proxy nobody runs: the downloads must go straight to the servers.
                   HTTP_PROXY="http://127.0.0.1:9", http_proxy="http://127.0.0.1:9", **hosts)
        self.stderr = open(os.path.join(self.work, "program.err"), "w")
        self.addCleanup(self.stderr.close)
        return self.start(RUNNER + [PROGRAM], cwd=self.work, env=env, stdout=subprocess.DEVNULL,
                          stderr=self.stderr)

    def log(self):
        with open(os.path.join(self.work, "nubivane.log"), "rb") as f:
            return f.read().decode("utf-8", "replace")

    def box_lines(self):
        with open(os.path.join(self.work, "program.err"), encoding="utf-8", errors="replace") as f:
            return [line for line in f.read().splitlines() if line.startswith("[box] ")]

    def wait_for_sends(self, count):
        return wait_until(lambda: len(sends(self.records)) >= count and sends(self.records), WAIT_S,
                          "%d sends at the stand-in" % count)

    def stop(self, program):
        start = time.monotonic()
        if RUNNER:
            # The close a user makes: taskkill without /f asks the program's windows to close.
            subprocess.run(RUNNER + ["taskkill", "/im", os.path.basename(PROGRAM)], check=True,
                           stdout=subprocess.DEVNULL, timeout=60)
        else:
            program.send_signal(signal.SIGTERM)
        self.assertEqual(program.wait(timeout=30), 0)
        self.assertIn("Main: Nubivane Close", self.log().splitlines()[-1])
        return time.monotonic() - start


def ini(metar, upperair, synop):
    return ("[General]\nMetar=%d\nWeatherupdate=20\nDwlUpperair=%d\nDwlAddWeather=%d\nDwlStartup=1\n"
            "CheckUpdateStartup=0\n[Weather]\nwxRange=%d\n" % (metar, upperair, synop, RANGE))


def feed_folder(work, metar_source):
    folder = os.path.join(work, "feed")
    os.mkdir(folder)
    shutil.copy(metar_source, os.path.join(folder, "metar.txt"))
    for name in ("upperair.txt", "synop.txt"):
        shutil.copy(os.path.join(TOP, "data", "feed", name), folder)
    return folder


class UpdateCycle(Service):
    def test_metar_feed_over_http_sends_every_station_in_range_and_again_after_a_move(self):
        # The whole sample: two snapshots, so many stations report more than once.
        folder = feed_folder(self.work, os.path.join(SHARED, "metar-cycle-sample.txt"))
        base = self.feed_server(folder)
        stub = self.simulator(FRANKFURT)
        program = self.program(ini(3, 0, 0), {"NUBIVANE_UPDATE_HOST": base, "NUBIVANE_VATSIM_HOST": base})
        expected = ExpectedSends(os.path.join(folder, "metar.txt"), os.path.join(self.work, "airport.dat"),
                                 os.path.join(self.work, "Nubivane.ini"))

        first = self.wait_for_sends(1)[0]
        self.assertEqual(first, expected.at(*FRANKFURT))
        self.assertGreater(len(first), 30)
        log = self.log()
        for line in ("Main: Download NOAA-Metar", "InitWeather: Start WX-Splitter", "Main: Insert GLOB in Vector",
                     "Main: Start Send WX to FS"):
            self.assertIn(line, log)
        self.assertNotIn("Main: Download UpperAir", log)

        # Beyond the range of where the aircraft was: the next tick sends what is around it now.
        self.command(stub, "position %s %s" % HEATHROW)
        second = self.wait_for_sends(2)[1]
        self.assertEqual(second, expected.at(*HEATHROW))
        self.assertEqual(self.box_lines(), [])
        took = self.stop(program)
        print("program shut-down after its close: %.2f s" % took)

    def test_ftp_cycle_file_with_upper_air_and_synop(self):
        folder = feed_folder(self.work, os.path.join(TOP, "data", "feed", "metar.txt"))
        cycles = os.path.join(self.work, "ftp", "data", "observations", "metar", "cycles")
        os.makedirs(cycles)
        shutil.copy(os.path.join(folder, "metar.txt"), os.path.join(cycles, "17Z.txt"))
        base = self.feed_server(folder)
        ftp = self.ftp_server(os.path.join(self.work, "ftp"))
        self.simulator(FRANKFURT)
        program = self.program(ini(2, 1, 1), {"NUBIVANE_UPDATE_HOST": base, "NUBIVANE_VATSIM_HOST": base,
                                              "NUBIVANE_NOAA_FTP_HOST": ftp})
        expected = ExpectedSends(os.path.join(folder, "metar.txt"), os.path.join(self.work, "airport.dat"),
                                 os.path.join(self.work, "Nubivane.ini"))

        first = self.wait_for_sends(1)[0]
        log = self.log()
        for line in ("Main: Download IVAO-Metar", "Main: Download UpperAir", "Main: Download Synop"):
            self.assertIn(line, log)
        self.assertNotIn("Error: Couldn't connect", log)
        metar_only = expected.at(*FRANKFURT)
        # Upper air and SYNOP change the records, not the stations or their order.
        self.assertEqual([icao for icao, _ in first], [icao for icao, _ in metar_only])
        self.assertNotEqual(first[1][1], metar_only[1][1])
        self.assertEqual(first[0][1][:16] + first[0][1][24:], first[-1][1][:16] + first[-1][1][24:])
        self.stop(program)

    def test_failed_feed_falls_back_to_the_vatsim_service(self):
        folder = feed_folder(self.work, os.path.join(TOP, "data", "feed", "metar.txt"))
        base = self.feed_server(folder, failing=["/metar_NOAA.txt"])
        self.simulator(FRANKFURT)
        program = self.program(ini(3, 1, 1), {"NUBIVANE_UPDATE_HOST": base, "NUBIVANE_VATSIM_HOST": base})
        expected = ExpectedSends(os.path.join(folder, "metar.txt"), os.path.join(self.work, "airport.dat"),
                                 os.path.join(self.work, "Nubivane.ini"))

        first = self.wait_for_sends(1)[0]
        self.assertEqual(first, expected.at(*FRANKFURT))  # no upper air, no SYNOP after a fallback
        self.assertEqual(self.box_lines()[:1],
                         ["[box] ERROR: Couldn't connect to Weather Server ."])
        log = self.log()
        self.assertIn("Error: Couldn't connect to Weather Server", log)
        self.assertNotIn("Main: Download UpperAir", log)
        self.stop(program)

    def test_feed_whose_lengths_disagree_falls_back_to_the_vatsim_service(self):
        # The second length (100 bytes) would make a scrap of the feed look whole.
        self.fall_back_from_answer("lengths")

    def fall_back_from_answer(self, kind):
        """The chosen feed answers with a kind of feed_server.py's --answer; the fallback is whole."""
        folder = feed_folder(self.work, os.path.join(TOP, "data", "feed", "metar.txt"))
        base = self.feed_server(folder, answers={"/metar_NOAA.txt": kind})
        self.simulator(FRANKFURT)
        program = self.program(ini(3, 0, 0), {"NUBIVANE_UPDATE_HOST": base, "NUBIVANE_VATSIM_HOST": base})
        expected = ExpectedSends(os.path.join(folder, "metar.txt"), os.path.join(self.work, "airport.dat"),
                                 os.path.join(self.work, "Nubivane.ini"))

        first = self.wait_for_sends(1)[0]
        self.assertEqual(first, expected.at(*FRANKFURT))
        self.assertIn("EDDF", [icao for icao, _ in first])
        self.assertEqual(self.box_lines()[:1], ["[box] ERROR: Couldn't connect to Weather Server ."])
        self.assertIn("Error: Couldn't connect to Weather Server", self.log())
        self.stop(program)


if __name__ == "__main__":
    unittest.main(verbosity=2)
