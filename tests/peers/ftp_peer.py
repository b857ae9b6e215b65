"""A real FTP server (Debian's python3-pyftpdlib) on 127.0.0.1 with a free port.

Serves the folder given as its first argument to anonymous users, prints the port on the first
line (and into the file named by the third argument, when given) and ends after the number of
seconds given as its second argument, or as soon as the folder is gone. Besides the folder's
files it serves three kinds of file that never end in order, by name:
  endless-<bytes>-<pause ms>  <bytes> per piece, a pause between pieces, for ever;
  stall-<bytes>               <bytes>, then nothing more while the connection stays open;
  broken-<bytes>              <bytes>, then a read error: the data connection closes as after a
                              whole file, and the reply is "426 ...; transfer aborted."
and two kinds of the folder's files that it serves otherwise:
  cut-<name>                  only its first half, the transfer then confirmed as whole (226),
                              while SIZE gives the whole file's size;
  nosize-<name>               whole, but SIZE is refused (550), as some servers do;
  grown-<name>                whole, while SIZE gives half its size: the file grew after SIZE.
"""
import errno
import logging
import os
import re
import subprocess
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.log import config_logging
from pyftpdlib.servers import ThreadedFTPServer

STALL_S = 3600


class Endless:
    def __init__(self, piece, pause_ms):
        self.piece = b"e" * piece
        self.pause = pause_ms / 1000.0
        self.name = "endless"
        self.closed = False

    def read(self, size=-1):
        if self.pause:
            time.sleep(self.pause)
        return self.piece

    def close(self):
        self.closed = True


class Stall:
    def __init__(self, head):
        self.head = b"s" * head
        self.name = "stall"
        self.closed = False

    def read(self, size=-1):
        if self.head:
            head, self.head = self.head, b""
            return head
        # Each connection has a thread of its own: this one holds its data connection silent.
        time.sleep(STALL_S)
        return b""

    def close(self):
        self.closed = True


class Broken:
    def __init__(self, head):
        self.head = b"b" * head
        self.name = "broken"
        self.closed = False

    def read(self, size=-1):
        if self.head:
            head, self.head = self.head, b""
            return head
        raise OSError(errno.EIO, "disk read failed")

    def close(self):
        self.closed = True


class Cut:
    def __init__(self, path):
        with open(path, "rb") as f:
            whole = f.read()
        self.rest = whole[:len(whole) // 2]
        self.name = path
        self.closed = False

    def read(self, size=-1):
        size = len(self.rest) if size < 0 else size
        piece, self.rest = self.rest[:size], self.rest[size:]
        return piece

    def close(self):
        self.closed = True


class ScriptedFS(AbstractedFS):
    def getsize(self, path):
        if os.path.basename(path).startswith("nosize-"):
            raise OSError(errno.EPERM, "no size given for this file")
        if os.path.basename(path).startswith("grown-"):
            return super().getsize(path) // 2
        return super().getsize(path)

    def open(self, filename, mode):
        name = os.path.basename(filename)
        if name.startswith("cut-"):
            return Cut(filename)
        endless = re.fullmatch(r"endless-(\d+)-(\d+)", name)
        if endless:
            return Endless(int(endless.group(1)), int(endless.group(2)))
        stall = re.fullmatch(r"stall-(\d+)", name)
        if stall:
            return Stall(int(stall.group(1)))
        broken = re.fullmatch(r"broken-(\d+)", name)
        if broken:
            return Broken(int(broken.group(1)))
        return super().open(filename, mode)


def unix_path(path):
    """A test program running under wine names its folder as Windows does."""
    if re.match(r"[A-Za-z]:[\\/]", path):
        return subprocess.run(["winepath", "-u", path], check=True, capture_output=True, text=True,
                              timeout=60).stdout.strip()
    return path


def write_port(path, port):
    with open(path + ".part", "w") as f:
        f.write("%d\n" % port)
    os.replace(path + ".part", path)


def end_with_the_folder(root):
    """A Windows parent under wine cannot end a Unix child: the peer ends once its folder is gone."""
    while os.path.isdir(root):
        time.sleep(0.1)
    os._exit(0)


def main(root, limit_s, port_file):
    config_logging(level=logging.ERROR)
    root = unix_path(root)
    authorizer = DummyAuthorizer()
    authorizer.add_anonymous(root)
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.abstracted_fs = ScriptedFS
    server = ThreadedFTPServer(("127.0.0.1", 0), handler)
    print(server.address[1], flush=True)
    if port_file:
        write_port(unix_path(port_file), server.address[1])
    threading.Timer(limit_s, lambda: os._exit(0)).start()
    threading.Thread(target=end_with_the_folder, args=(root,), daemon=True).start()
    server.serve_forever(timeout=0.1)


main(sys.argv[1], float(sys.argv[2]) if len(sys.argv) > 2 else 60.0, sys.argv[3] if len(sys.argv) > 3 else "")
