"""An HTTP server on 127.0.0.1 that misbehaves in one way, for trying the program by hand.

Usage: misbehaving_server.py MODE. Prints {"kind": "ready", "port": N} first, then one JSON line
per request. Modes:
  endless-head  header lines for ever, as fast as the line takes them
  silent-head   says nothing after the request
  stall         a head with a length, 4096 bytes of it, then nothing
  drip          a head without a length, then a byte a second
  reset         30,000 bytes without a length, then a reset
"""
import json
import socket
import struct
import sys
import threading
import time

MODE = sys.argv[1]


def answer(conn):
    conn.settimeout(5)
    request = b""
    while b"\r\n\r\n" not in request:
        piece = conn.recv(4096)
        if not piece:
            return
        request += piece
    print(json.dumps({"kind": "request", "line": request.split(b"\r\n")[0].decode("latin-1")}), flush=True)
    conn.settimeout(None)
    try:
        if MODE == "endless-head":
            conn.sendall(b"HTTP/1.0 200 OK\r\n")
            while True:
                conn.sendall(b"X-More: " + b"h" * 1000 + b"\r\n")
        elif MODE == "silent-head":
            time.sleep(3600)
        elif MODE == "stall":
            conn.sendall(b"HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n" + b"s" * 4096)
            time.sleep(3600)
        elif MODE == "drip":
            conn.sendall(b"HTTP/1.0 200 OK\r\n\r\n")
            while True:
                conn.sendall(b"d")
                time.sleep(1)
        elif MODE == "reset":
            conn.sendall(b"HTTP/1.0 200 OK\r\n\r\n" + b"EDDF 121150Z 27010KT 9999 FEW030 12/05 Q1015\n" * 650)
            conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        conn.close()
    except OSError:
        pass


def main():
    server = socket.socket()
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(8)
    print(json.dumps({"kind": "ready", "port": server.getsockname()[1]}), flush=True)
    while True:
        conn, _ = server.accept()
        threading.Thread(target=answer, args=(conn,), daemon=True).start()


main()
