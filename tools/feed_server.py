#!/usr/bin/env python3
"""Serves a weather feed folder over HTTP on 127.0.0.1, path by path as the program asks for it:

  /metar_VATSIM.txt, /metar_NOAA.txt   the update host's METAR mirror files  <- metar.txt
  /data/metar.php?id=ALL               the VATSIM network's METAR service    <- metar.txt
  /upperair.txt                        the update host's TEMP bulletins      <- upperair.txt
  /synop.txt                           the update host's SYNOP bulletins     <- synop.txt

Every answer carries its length, but those --answer changes. Anything else is 404. Prints one
JSON line when it listens: {"kind":"ready","port":N}, then one per request:
{"kind":"get","path":...,"status":N} ("answer":KIND instead of the status for an --answer path).

Usage: feed_server.py DIR [--port N] [--fail PATH]... [--answer PATH KIND]...
(port 0, the default: any free port; --fail answers 503 for that path, to try the program's
fallbacks; --answer gives that path an answer of one of these kinds instead:
  lengths      two Content-Length headers that disagree: the file's, then 100
  chunked      the file in chunks of 1000 bytes, as some servers answer even an HTTP/1.0 request
  chunked-cut  the first half of the file in chunks, then the end of the connection
  gzip         the file compressed, as Transfer-Encoding: gzip
  status       an error page with the status 4294967496, which is 200 past 32 bits
  empty        200 with an empty body)
"""

import argparse
import gzip
import http.server
import json
import os
import sys

CHUNK_BYTES = 1000

ROUTES = {
    "/metar_VATSIM.txt": "metar.txt",
    "/metar_NOAA.txt": "metar.txt",
    "/data/metar.php?id=ALL": "metar.txt",
    "/upperair.txt": "upperair.txt",
    "/synop.txt": "synop.txt",
}


def say(**fields):
    sys.stdout.write(json.dumps(fields) + "\n")
    sys.stdout.flush()


def chunked(body):
    pieces = [body[i:i + CHUNK_BYTES] for i in range(0, len(body), CHUNK_BYTES)]
    return b"".join(b"%x\r\n%s\r\n" % (len(piece), piece) for piece in pieces)


def odd_answer(kind, body):
    """The whole answer, head and body, of one of the --answer kinds."""
    if kind == "lengths":
        return b"HTTP/1.0 200 OK\r\nContent-Length: %d\r\nContent-Length: 100\r\n\r\n" % len(body) + body
    if kind == "chunked":
        return b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + chunked(body) + b"0\r\n\r\n"
    if kind == "chunked-cut":
        return b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + chunked(body[:len(body) // 2])
    if kind == "gzip":
        return b"HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\n\r\n" + gzip.compress(body)
    if kind == "status":
        page = b"<html><body>not here</body></html>"
        return b"HTTP/1.0 4294967496 Not Here\r\nContent-Length: %d\r\n\r\n" % len(page) + page
    if kind == "empty":
        return b"HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n"
    raise ValueError("no answer of the kind " + kind)


def make_handler(folder, failing, odd):
    class FeedHandler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.0"

        def do_GET(self):
            name = ROUTES.get(self.path)
            if self.path in odd and name is not None:
                with open(os.path.join(folder, name), "rb") as f:
                    self.wfile.write(odd_answer(odd[self.path], f.read()))
                say(kind="get", path=self.path, answer=odd[self.path])
                return
            if self.path in failing or name is None:
                status = 503 if self.path in failing else 404
                body = b"<html><body>not here</body></html>"
            else:
                status = 200
                with open(os.path.join(folder, name), "rb") as f:
                    body = f.read()
            self.send_response(status)
            self.send_header("Content-Type", "text/plain; charset=iso-8859-1")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            say(kind="get", path=self.path, status=status)

        def log_message(self, *args):
            pass

    return FeedHandler


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("dir")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--fail", action="append", default=[])
    parser.add_argument("--answer", action="append", nargs=2, default=[], metavar=("PATH", "KIND"))
    args = parser.parse_args()
    odd = dict(args.answer)
    for kind in odd.values():
        odd_answer(kind, b"")  # an unknown kind ends the server before it listens
    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port),
                                             make_handler(args.dir, set(args.fail), odd))
    say(kind="ready", port=server.server_address[1])
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
