#!/usr/bin/env python3
"""A close of the main window while a download waits on its server, as a person makes it: the
program must stop the download at once, show no box, try no other feed and end. The program, the
simulator stand-in and a misbehaving HTTP server (tools/misbehaving_server.py) run as processes of
their own on an X server of their own; the close reaches the program through the X server.

Usage: close_during_download_test.py PROGRAM SIMSTUB SOURCE_DIR [unittest args]

NUBIVANE_E2E_RUNNER, when set, is the command that runs the programs (wine with its X11 driver for
the Windows build); the wine server of the prefix NUBIVANE_E2E_WINEPREFIX is ended before and after
each test, so that its windows are drawn on this test's X server.
"""

import ctypes
import json
import os
import select
import shlex
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from json_lines import read_json_line, wait_until

PROGRAM, SIMSTUB, TOP = (os.path.abspath(a) for a in sys.argv[1:4])
del sys.argv[1:4]

RUNNER = shlex.split(os.environ.get("NUBIVANE_E2E_RUNNER", ""))
WINEPREFIX = os.environ.get("NUBIVANE_E2E_WINEPREFIX", "")
SYSTEM_PYTHON = "/usr/bin/python3"
FRAME_TITLE = b"Nubivane lite"
START_S = 120  # wine starts slowly on a busy machine
# The download's own bounds are far longer (12 s of silence, 120 s in all), and the program
# carries on after them: a close that was lost never ends it in this time.
CLOSE_S = 20


class XClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("client", XClientMessage), ("pad", ctypes.c_long * 24)]


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", ctypes.c_ulong), ("class_", ctypes.c_int), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
                ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong),
                ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


class X:
    """The few Xlib and XTest calls a person's close needs, on the test's own X server."""
    CLIENT_MESSAGE = 33
    IS_VIEWABLE = 2

    def __init__(self):
        self.lib = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        lib = self.lib
        lib.XOpenDisplay.restype = ctypes.c_void_p
        lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        lib.XDefaultRootWindow.restype = ctypes.c_ulong
        lib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        lib.XInternAtom.restype = ctypes.c_ulong
        lib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        lib.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                                   ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                                   ctypes.POINTER(ctypes.c_uint)]
        lib.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
        lib.XFree.argtypes = [ctypes.c_void_p]
        lib.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(XWindowAttributes)]
        lib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                   ctypes.POINTER(XEvent)]
        lib.XFlush.argtypes = [ctypes.c_void_p]
        lib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        lib.XStringToKeysym.restype = ctypes.c_ulong
        lib.XStringToKeysym.argtypes = [ctypes.c_char_p]
        lib.XKeysymToKeycode.restype = ctypes.c_ubyte
        lib.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        lib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.display = lib.XOpenDisplay(None)
        assert self.display, "no X server"

    def close(self):
        self.lib.XCloseDisplay(self.display)

    def children(self, window):
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        kids, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        if not self.lib.XQueryTree(self.display, window, ctypes.byref(root), ctypes.byref(parent),
                                   ctypes.byref(kids), ctypes.byref(count)):
            return []
        found = [kids[i] for i in range(count.value)]
        if kids:
            self.lib.XFree(kids)
        return found

    def name(self, window):
        text = ctypes.c_char_p()
        if not self.lib.XFetchName(self.display, window, ctypes.byref(text)) or not text.value:
            return b""
        value = text.value
        self.lib.XFree(text)
        return value

    def viewable(self, window):
        attributes = XWindowAttributes()
        return (self.lib.XGetWindowAttributes(self.display, window, ctypes.byref(attributes)) != 0
                and attributes.map_state == self.IS_VIEWABLE)

    def shown_window(self, title):
        """The viewable window with that title, searched from the root; 0 when there is none."""
        pending = [self.lib.XDefaultRootWindow(self.display)]
        while pending:
            window = pending.pop()
            if self.name(window) == title and self.viewable(window):
                return window
            pending.extend(self.children(window))
        return 0

    def ask_to_close(self, window):
        """What a window manager sends when its close box is clicked."""
        event = XEvent()
        event.client.type = self.CLIENT_MESSAGE
        event.client.window = window
        event.client.message_type = self.lib.XInternAtom(self.display, b"WM_PROTOCOLS", 0)
        event.client.format = 32
        event.client.data[0] = self.lib.XInternAtom(self.display, b"WM_DELETE_WINDOW", 0)
        event.client.data[1] = 0  # CurrentTime
        assert self.lib.XSendEvent(self.display, window, 0, 0, ctypes.byref(event))
        self.lib.XSync(self.display, 0)


def press_alt_f4(x):
    """Alt+F4 typed on the keyboard, to whichever window has it."""
    alt = x.lib.XKeysymToKeycode(x.display, x.lib.XStringToKeysym(b"Alt_L"))
    f4 = x.lib.XKeysymToKeycode(x.display, x.lib.XStringToKeysym(b"F4"))
    for code, down in ((alt, 1), (f4, 1), (f4, 0), (alt, 0)):
        x.xtst.XTestFakeKeyEvent(x.display, code, down, 0)
    x.lib.XSync(x.display, 0)


class CloseDuringDownload(unittest.TestCase):
    """Every process is ended by its own id; the wine server of the runner's prefix is ended too."""

    def setUp(self):
        self.assertTrue(os.environ.get("DISPLAY"), "no DISPLAY: run it under tests/gui_common/own_display.sh")
        self.work = tempfile.mkdtemp(prefix="nub-close-")
        self.ipc = os.path.join(self.work, "ipc")
        os.mkdir(self.ipc)
        self.processes = []
        self.end_wine_server()
        self.x = X()

    def tearDown(self):
        self.x.close()
        for process in reversed(self.processes):
            if process.poll() is None:
                process.kill()
                process.wait(timeout=10)
            for pipe in (process.stdin, process.stdout):
                if pipe is not None:
                    pipe.close()
        self.end_wine_server()
        shutil.rmtree(self.work, ignore_errors=True)

    def end_wine_server(self):
        if WINEPREFIX:
            subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=WINEPREFIX),
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)

    def start(self, argv, **options):
        process = subprocess.Popen(argv, **options)
        self.processes.append(process)
        return process

    def misbehaving_server(self, mode):
        server = self.start([SYSTEM_PYTHON, os.path.join(TOP, "tools", "misbehaving_server.py"), mode],
                            stdout=subprocess.PIPE, text=True)
        return server, "http://127.0.0.1:%d" % read_json_line(server, "ready", 20)["port"]

    def program_in_download(self, mode):
        """The program, its first download waiting on a server in that mode."""
        server, base = self.misbehaving_server(mode)
        stub = self.start(RUNNER + [SIMSTUB, "--quiet", "--lat", "50.0333", "--lon", "8.5706"],
                          stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                          env=dict(os.environ, NUBIVANE_IPC_DIR=self.ipc))
        read_json_line(stub, "ready", START_S)
        for name in ("airport.dat", "station.dat"):
            shutil.copy(os.path.join(TOP, "data", name), self.work)
        with open(os.path.join(self.work, "Nubivane.ini"), "w") as f:
            f.write("[General]\nMetar=3\nWeatherupdate=20\nDwlUpperair=0\nDwlAddWeather=0\nDwlStartup=1\n"
                    "CheckUpdateStartup=0\n")
        env = dict(os.environ, NUBIVANE_IPC_DIR=self.ipc, NUBIVANE_BOX_ANSWER="yes", NUBIVANE_TIME_SCALE="0.1",
                   ASAN_OPTIONS="detect_leaks=0", NUBIVANE_UPDATE_HOST=base, NUBIVANE_VATSIM_HOST=base)
        self.stderr_path = os.path.join(self.work, "program.err")
        with open(self.stderr_path, "w") as stderr:
            program = self.start(RUNNER + [PROGRAM], cwd=self.work, env=env, stdout=subprocess.DEVNULL,
                                 stderr=stderr)
        self.requests = [read_json_line(server, "request", START_S)["line"]]
        self.server = server
        return program

    def frame(self):
        return wait_until(lambda: self.x.shown_window(FRAME_TITLE), START_S, "the main window on the display")

    def more_requests(self):
        """The requests the server has had since the first, without waiting for more."""
        while select.select([self.server.stdout], [], [], 0)[0]:
            line = self.server.stdout.readline()
            if not line:
                break
            if '"request"' in line:
                self.requests.append(line)
        return self.requests[1:]

    def log(self):
        with open(os.path.join(self.work, "nubivane.log"), "rb") as f:
            return f.read().decode("utf-8", "replace")

    def box_lines(self):
        with open(self.stderr_path, encoding="utf-8", errors="replace") as f:
            return [line for line in f.read().splitlines() if line.startswith("[box] ")]

    def closed_in_download(self, mode, close):
        program = self.program_in_download(mode)
        frame = self.frame()
        time.sleep(1.5)  # the dripping server has sent a byte: the download shows its progress
        self.assertIsNone(program.poll(), "the program ended before the close")
        self.assertIn("Main: Download NOAA-Metar", self.log())
        sent = time.monotonic()
        close(frame)
        try:
            code = program.wait(timeout=CLOSE_S)
        except subprocess.TimeoutExpired:
            self.fail("the program was still running %d s after the close; boxes: %s; log ends: %s"
                      % (CLOSE_S, self.box_lines(), self.log().splitlines()[-3:]))
        took = time.monotonic() - sent
        print("%s server: the program ended %.2f s after the close" % (mode, took))
        self.assertEqual(code, 0)
        self.assertEqual(self.box_lines(), [])
        self.assertEqual(self.more_requests(), [], "a stopped download fell back to another feed")
        log = self.log()
        self.assertIn("Main: Nubivane Close", log.splitlines()[-1])
        # A stop is no failure of the feed: the next start must not offer to report it.
        self.assertNotIn("Error", log)
        return took

    def test_the_close_box_stops_a_download_from_a_silent_server(self):
        self.closed_in_download("silent-head", self.x.ask_to_close)

    def test_the_close_box_stops_a_download_from_a_dripping_server(self):
        self.closed_in_download("drip", self.x.ask_to_close)

    @unittest.skipUnless(RUNNER, "without a window manager Alt+F4 is no close request on Linux")
    def test_alt_f4_stops_a_download_from_a_dripping_server(self):
        self.closed_in_download("drip", lambda frame: press_alt_f4(self.x))


if __name__ == "__main__":
    unittest.main(verbosity=2)
