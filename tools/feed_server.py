#!/usr/bin/env python3
"""Serves a weather feed folder over HTTP on 127.0.0.1, path by path as the program asks for it:

  /metar_VATSIM.txt, /metar_NOAA.txt   the update host's METAR mirror files  <- metar.txt
  /data/metar.php?id=ALL               the VATSIM network's METAR service    <- metar.txt
  /upperair.txt                        the update host's TEMP bulletins      <- upperair.txt
  /synop.txt                           the update host's SYNOP bulletins     <- synop.txt

Every answer carries its length. Anything else is 404. Prints one JSON line when it listens:
{"kind":"ready","port":N}, then one per request: {"kind":"get","path":...,"status":N}.

Usage: feed_server.py DIR [--port N] [--fail PATH]...   (port 0, the default: any free port;
--fail answers 503 for that path, to try the program's fallbacks)
"""

import argparse
import http.server
import json
import os
import sys

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


def make_handler(folder, failing):
    class FeedHandler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.0"

        def do_GET(self):
            name = ROUTES.get(self.path)
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
    args = parser.parse_args()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), make_handler(args.dir, set(args.fail)))
    say(kind="ready", port=server.server_address[1])
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
