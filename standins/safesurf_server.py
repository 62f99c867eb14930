#!/usr/bin/env python3
"""Stand-in for SafeSurf's registration server, for tests and the demo.

Plain HTTP on loopback. POST /cgi-bin/super.pl records the request body to
<record-dir>/body-<n>.txt (n counts from 1, each file written whole) and
answers a short page. With --port 0 a free port is taken and printed as the
first line of output. The server ends by itself after --lifetime seconds, or
on SIGTERM or SIGINT.

Misbehaviour for tests:
  --refuse            take the port but accept no connection (connects are refused)
  --slow SECONDS      wait this long after reading a request before answering
  --close-mid-reply   promise a longer reply than is sent, then close
  --error             answer the body "ERROR"
"""
import argparse
import http.server
import os
import socket
import sys
import threading
import time

import standin_serve

PAGE = (b"<html><head><title>SafeSurf</title></head>"
        b"<body><p>Thank you. Your rating has been received.</p></body></html>")
MAX_BODY = 1 << 20


class Handler(http.server.BaseHTTPRequestHandler):
    server_version = "SafeSurfStandIn/1.0"

    def log_message(self, fmt, *args):
        if self.server.verbose:
            sys.stderr.write("safesurf: " + (fmt % args) + "\n")

    def do_GET(self):
        self.answer(405, b"<html><body>Only POST is served here.</body></html>")

    def do_POST(self):
        if self.path != "/cgi-bin/super.pl":
            self.answer(404, b"<html><body>Not found.</body></html>")
            return
        try:
            length = int(self.headers.get("Content-Length", "0"))
        except ValueError:
            length = -1
        if length < 0 or length > MAX_BODY:
            self.answer(400, b"<html><body>Bad length.</body></html>")
            return
        body = self.rfile.read(length)
        self.server.record(body)
        if self.server.slow > 0:
            self.server.stopping.wait(self.server.slow)
        if self.server.close_mid_reply:
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(PAGE)))
            self.end_headers()
            self.wfile.write(PAGE[: len(PAGE) // 3])
            self.wfile.flush()
            self.close_connection = True
            self.connection.shutdown(socket.SHUT_RDWR)
            return
        self.answer(200, b"ERROR" if self.server.error else PAGE)

    def answer(self, status, payload):
        self.send_response(status)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(payload)))
        self.end_headers()
        self.wfile.write(payload)


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, address, options):
        super().__init__(address, Handler)
        self.record_dir = options.record_dir
        self.slow = options.slow
        self.close_mid_reply = options.close_mid_reply
        self.error = options.error
        self.verbose = options.verbose
        self.stopping = threading.Event()
        self.count = 0
        self.lock = threading.Lock()

    def record(self, body):
        if not self.record_dir:
            return
        with self.lock:
            self.count += 1
            n = self.count
        os.makedirs(self.record_dir, exist_ok=True)
        final = os.path.join(self.record_dir, "body-%d.txt" % n)
        temp = final + ".part"
        with open(temp, "wb") as f:
            f.write(body)
        os.replace(temp, final)


def main():
    ap = argparse.ArgumentParser(description="Stand-in SafeSurf registration server (loopback only).")
    ap.add_argument("--host", default="127.0.0.1", help="loopback address to bind (default 127.0.0.1)")
    ap.add_argument("--port", type=int, default=0, help="port; 0 takes a free one and prints it")
    ap.add_argument("--record-dir", default="", help="folder for the bodies received")
    ap.add_argument("--lifetime", type=float, default=120.0, help="seconds before the server ends itself")
    ap.add_argument("--refuse", action="store_true", help="accept no connection")
    ap.add_argument("--slow", type=float, default=0.0, help="seconds to wait before answering")
    ap.add_argument("--close-mid-reply", action="store_true", help="close the connection halfway through the reply")
    ap.add_argument("--error", action="store_true", help='answer "ERROR"')
    ap.add_argument("--verbose", action="store_true", help="log each request to stderr")
    options = standin_serve.checked_options(ap)
    done = standin_serve.stop_event()

    if options.refuse:
        family = socket.AF_INET6 if ":" in options.host else socket.AF_INET
        return standin_serve.refuse(options.host, options.port, family, options.lifetime, done)

    if ":" in options.host:
        Server.address_family = socket.AF_INET6
    server = Server((options.host, options.port), options)
    return standin_serve.serve(server, options.lifetime, done)


if __name__ == "__main__":
    sys.exit(main())
