#!/usr/bin/python3
"""Stand-in for the vendor's FTP server, for tests and the demo: pyftpdlib on loopback.

One user with a password, whose home folder is the FTP root the login lands in
(Debian's python3-pyftpdlib; run it with /usr/bin/python3). With --http-port
the same folder is also served over plain HTTP, so it doubles as the web root
whose address goes into a server definition's HTTP Base.

With --port 0 a free port is taken and printed as the first line of output;
with --http-port 0 likewise, printed as the second line ("http://HOST:PORT/").
The server ends by itself after --lifetime seconds, or on SIGTERM or SIGINT.

Every command received is appended to --record as "<connection number> <line>"
(the password masked), so tests can tell a kept connection from a new one.

Misbehaviour for tests:
  --refuse                 take the port but accept no connection
  --cut-upload BYTES       close the data connection of an upload once this many bytes came
  --stall-upload BYTES     stop reading an upload once this many bytes came (the sender blocks)
  --stall-command CMD      never answer this command (e.g. MKD, CWD, STOR, PASS)
  --read-only              the user may list and enter folders but not write
"""
import argparse
import functools
import http.server
import os
import socket
import sys
import threading
import time

import standin_serve

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer


def make_handlers(options):
    record_lock = threading.Lock()
    counter = {"next": 0}

    class StandInDTP(DTPHandler):
        def handle_read(self):
            super().handle_read()
            if not self.receive or self._closed:
                return
            got = self.tot_bytes_received
            if options.cut_upload is not None and got >= options.cut_upload:
                self._resp = ("426 Connection closed; transfer aborted.", lambda *_: None)
                self.close()
            elif options.stall_upload is not None and got >= options.stall_upload:
                # Leave the socket open but unread: the client's sending stops dead.
                self.del_channel()

        handle_read_event = handle_read  # the base class calls this name

    class StandInFTP(FTPHandler):
        dtp_handler = StandInDTP
        auth_failed_timeout = 0.1  # a wrong password is answered at once

        def on_connect(self):
            counter["next"] += 1
            self.connection_number = counter["next"]

        def pre_process_command(self, line, cmd, arg):
            if options.record:
                shown = line if cmd != "PASS" else "PASS ******"
                with record_lock, open(options.record, "a", encoding="utf-8") as f:
                    f.write("%d %s\n" % (getattr(self, "connection_number", 0), shown))
            if options.stall_command and cmd == options.stall_command.upper():
                return  # no answer, ever
            super().pre_process_command(line, cmd, arg)

    return StandInFTP


def serve_http(host, port, home):
    class Quiet(http.server.SimpleHTTPRequestHandler):
        def log_message(self, *args):
            pass

    http.server.ThreadingHTTPServer.address_family = socket.AF_INET6 if ":" in host else socket.AF_INET
    server = http.server.ThreadingHTTPServer((host, port), functools.partial(Quiet, directory=home))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def main():
    ap = argparse.ArgumentParser(description="Stand-in FTP server (pyftpdlib, loopback only).")
    ap.add_argument("--host", default="127.0.0.1", help="loopback address to bind (default 127.0.0.1)")
    ap.add_argument("--port", type=int, default=0, help="port; 0 takes a free one and prints it")
    ap.add_argument("--home", required=True, help="the user's home folder (created when missing)")
    ap.add_argument("--user", default="vendor", help="login name (default vendor)")
    ap.add_argument("--password", default="secret", help="password (default secret)")
    ap.add_argument("--http-port", type=int, default=None, help="also serve the home folder over HTTP")
    ap.add_argument("--record", default="", help="file to append every command to")
    ap.add_argument("--lifetime", type=float, default=120.0, help="seconds before the server ends itself")
    ap.add_argument("--refuse", action="store_true", help="accept no connection")
    ap.add_argument("--cut-upload", type=int, default=None, help="cut an upload off after this many bytes")
    ap.add_argument("--stall-upload", type=int, default=None, help="stop reading an upload after this many bytes")
    ap.add_argument("--stall-command", default="", help="never answer this command")
    ap.add_argument("--read-only", action="store_true", help="no writing")
    ap.add_argument("--verbose", action="store_true", help="log the FTP session to stderr")
    options = standin_serve.checked_options(ap)

    done = standin_serve.stop_event()
    family = socket.AF_INET6 if ":" in options.host else socket.AF_INET
    if options.refuse:
        return standin_serve.refuse(options.host, options.port, family, options.lifetime, done)

    os.makedirs(options.home, exist_ok=True)
    authorizer = DummyAuthorizer()
    authorizer.add_user(options.user, options.password, options.home,
                        perm="elr" if options.read_only else "elradfmwMT")
    handler = make_handlers(options)
    handler.authorizer = authorizer
    handler.banner = "Stand-in FTP server ready."
    if not options.verbose:
        import logging
        logging.basicConfig(level=logging.CRITICAL)
    server = FTPServer((options.host, options.port), handler)
    print(server.address[1], flush=True)
    web = None
    if options.http_port is not None:
        web = serve_http(options.host, options.http_port, options.home)
        print("http://%s:%d/" % (options.host, web.server_address[1]), flush=True)

    deadline = time.monotonic() + options.lifetime
    while not done.is_set() and time.monotonic() < deadline:
        server.serve_forever(timeout=0.1, blocking=False, handle_exit=False)
    server.close_all()
    if web:
        web.shutdown()
    return 0


if __name__ == "__main__":
    sys.exit(main())
