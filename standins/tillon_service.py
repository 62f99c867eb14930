#!/usr/bin/env python3
"""Stand-in for the Tillon service's web server, for tests and the demo.

HTTPS on loopback, HTTP/1.1 with kept-alive connections. Serves four paths:

  /vendor/VendorRegisterUpdate.html   enrol a vendor (empty vendor_id) or update one
  /vendor/VendorProductReplace.html   register a product (empty product_id) or replace one
  /vendor/VendorProductDetails.html   list the vendor's products
  /vendor/VendorProductDelete.html    delete one of the vendor's products

and the buyer's side, which the Salebox runtime of a published page uses:

  GET  /buyer/Purchase.html   the purchase page of a product (a test card, no real payment)
  POST /buyer/Pay             takes the test card 4242 4242 4242 4242, issues a token
  GET  /buyer/Done            hands the token to the page that opened the purchase window
  GET  /buyer/Cancelled       tells that page the purchase was cancelled
  GET  /buyer/KeyExchange     the product's key and address for a token (CORS; good once,
                              expires after --token-lifetime seconds)
  GET  /buyer/Purchases       the purchases as JSON (for tests)

Vendors, products and purchases live in the JSON file --state (written whole through a
temporary file, so a crash leaves the old or the new state). Passwords are
checked on every request but enrolment.

TLS: the certificate comes from --tls-dir. When that folder holds no
server.pem, a test CA (ca.pem) and a server certificate for localhost and
127.0.0.1 signed by it are made there with openssl; clients trust ca.pem
(Bravant through TENDREL_CA_FILE).

Every request line is appended, byte for byte, to <record-dir>/requests.log
as "<connection number> <request line>" before the answer goes out, so tests
can tell a kept connection from a new one. With --port 0 a free port is taken
and printed as the first line of output. The server ends by itself after
--lifetime seconds, or on SIGTERM or SIGINT.

Misbehaviour for tests:
  --refuse                    take the port but accept no connection
  --html-error                answer every request with an HTML error page (status 500)
  --no-token                  answer without the success token
  --token-without-id          answer "{SUCCESS};" (nothing between token and ";")
  --token-without-semicolon   answer the token and the ID without the ";"
  --slow SECONDS              wait this long after reading a request before answering
  --reset-mid-body            promise a longer reply, send part of it, reset the connection
  --spaced-id                 answer the ID with blanks and a tab around it
  --pad BYTES                 add this many blanks behind every reply (large replies)

Checking an upload: with the product's key as registered,

  tillon_service.py --decode-product STATE_JSON PRODUCT_ID INFILE OUTFILE

decodes INFILE (an encoded file as uploaded) into OUTFILE (tillon_cipher.py).
"""
import argparse
import html
import http.server
import json
import os
import re
import secrets
import socket
import ssl
import struct
import subprocess
import sys
import threading
import time
import urllib.parse

import standin_serve
import tillon_cipher

HTML_ERROR = (b"<HTML><HEAD><TITLE>500 Internal Server Error</TITLE></HEAD>\r\n"
              b"<BODY><H1>Internal Server Error</H1>\r\n"
              b"<P>The Tillon database is not available {DB-DOWN}.</P></BODY></HTML>\r\n")


TEST_CARD = "4242424242424242"

# Why the key exchange refused a token.
REFUSALS = {
    "unknown": "this purchase is not known",
    "used": "this purchase has already been collected",
    "expired": "this purchase has expired",
    "mismatch": "this purchase is for another product",
}


def price_text(cost):
    """A price in whole cents as dollars ("150" -> "$1.50"); anything else as typed, in cents."""
    if cost.isdigit() and cost.isascii():
        return "$%d.%02d" % divmod(int(cost), 100)
    return cost + " cents"


def make_certificates(folder):
    """A test CA and a server certificate signed by it, made once per folder."""
    os.makedirs(folder, exist_ok=True)
    if os.path.exists(os.path.join(folder, "server.pem")):
        return

    def run(*args):
        subprocess.run(["openssl"] + list(args), cwd=folder, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    ec = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"]
    run("req", "-x509", *ec, "-keyout", "ca.key", "-out", "ca.pem", "-days", "2",
        "-subj", "/CN=Tillon Test CA",
        "-addext", "basicConstraints=critical,CA:TRUE",
        "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    run("req", *ec, "-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=localhost")
    with open(os.path.join(folder, "server.ext"), "w") as f:
        f.write("basicConstraints=CA:FALSE\n"
                "keyUsage=critical,digitalSignature,keyEncipherment\n"
                "extendedKeyUsage=serverAuth\n"
                "subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1\n")
    run("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
        "-CAcreateserial", "-out", "server.part", "-days", "2", "-extfile", "server.ext")
    os.replace(os.path.join(folder, "server.part"), os.path.join(folder, "server.pem"))


class State:
    """Vendors and products, kept in a JSON file written whole."""

    def __init__(self, path):
        self.path = path
        self.lock = threading.Lock()
        self.data = {"next_vendor": 1001, "next_product": 5001, "vendors": {}, "products": {}}
        if path and os.path.exists(path):
            with open(path, encoding="utf-8") as f:
                self.data.update(json.load(f))
        self.data.setdefault("purchases", [])

    def save(self):
        if not self.path:
            return
        temp = self.path + ".part"
        with open(temp, "w", encoding="utf-8") as f:
            json.dump(self.data, f, indent=1, sort_keys=True)
            f.flush()
            os.fsync(f.fileno())
        os.replace(temp, self.path)

    def vendor(self, vendor_id, password):
        v = self.data["vendors"].get(vendor_id)
        return v if v is not None and v.get("vendor_password") == password else None


def parse_query(query):
    """Keys and values in order; values %-decoded (a "+" stays a "+")."""
    fields = []
    for piece in query.split("&") if query else []:
        key, _, value = piece.partition("=")
        fields.append((key, urllib.parse.unquote(value, errors="surrogateescape")))
    return dict(fields)


class Handler(http.server.BaseHTTPRequestHandler):
    server_version = "TillonStandIn/1.0"
    protocol_version = "HTTP/1.1"
    timeout = 60

    def log_message(self, fmt, *args):
        if self.server.options.verbose:
            sys.stderr.write("tillon: " + (fmt % args) + "\n")

    def setup(self):
        super().setup()
        self.connection_number = self.server.next_connection()

    def do_GET(self):
        self.server.record(self.connection_number, self.raw_requestline.rstrip(b"\r\n"))
        options = self.server.options
        if options.slow > 0:
            self.server.stopping.wait(options.slow)
        if options.html_error:
            self.answer(HTML_ERROR, status=500, content_type="text/html")
            return
        path, _, query = self.path.partition("?")
        if path.startswith("/buyer/"):
            self.buyer_get(path, parse_query(query))
            return
        routes = {
            "/vendor/VendorRegisterUpdate.html": self.register_update,
            "/vendor/VendorProductReplace.html": self.product_replace,
            "/vendor/VendorProductDetails.html": self.product_details,
            "/vendor/VendorProductDelete.html": self.product_delete,
        }
        route = routes.get(path)
        if route is None:
            self.answer(b"<HTML><HEAD><TITLE>404 Not Found</TITLE></HEAD><BODY>Not found.</BODY></HTML>",
                        status=404, content_type="text/html")
            return
        with self.server.state.lock:
            text = route(parse_query(query))
        self.answer(text.encode("utf-8", errors="surrogateescape") + b" " * self.server.options.pad)

    # ---- the four services ----

    def issued(self, new_id):
        """The success reply carrying an ID, shaped by the misbehaviour switches."""
        options = self.server.options
        if options.no_token:
            return "Thank you. Your request was received as " + new_id + ";"
        if options.token_without_id:
            return "{SUCCESS};"
        if options.token_without_semicolon:
            return "{SUCCESS}" + new_id
        if options.spaced_id:
            return "{SUCCESS}  " + new_id + " \t;"
        return "{SUCCESS}" + new_id + ";"

    def register_update(self, q):
        state = self.server.state
        vendor_id = q.get("vendor_id", "")
        password = q.get("vendor_password", "")
        if not vendor_id:
            if not password:
                return "{ERROR}A password is required;"
            vendor_id = str(state.data["next_vendor"])
            state.data["next_vendor"] += 1
            state.data["vendors"][vendor_id] = dict(q, vendor_id=vendor_id)
            state.save()
            return self.issued(vendor_id)
        vendor = state.vendor(vendor_id, password)
        if vendor is None:
            return "{ERROR}Unknown vendor or wrong password;"
        for key, value in q.items():
            if key.startswith("cc_") and not value:
                continue  # updates send the card fields empty
            vendor[key] = value
        state.save()
        return self.issued(vendor_id)

    def product_replace(self, q):
        state = self.server.state
        vendor_id = q.get("vendor_id", "")
        if state.vendor(vendor_id, q.get("vendor_password", "")) is None:
            return "{ERROR}Unknown vendor or wrong password;"
        product_id = q.get("product_id", "")
        products = state.data["products"]
        if product_id and product_id in products and products[product_id]["vendor_id"] != vendor_id:
            return "{ERROR}The product belongs to another vendor;"
        if not product_id:
            product_id = str(state.data["next_product"])
            state.data["next_product"] += 1
        old_key = products.get(product_id, {}).get("product_key", "")
        products[product_id] = {
            "vendor_id": vendor_id,
            "product_name": q.get("product_name", ""),
            "product_description": q.get("product_description", ""),
            "product_price": q.get("product_price", ""),
            "product_url": q.get("product_url", ""),
            "product_mime_type": q.get("product_mime_type", ""),
            # A change without a key keeps the product's key.
            "product_key": q.get("product_key", old_key),
        }
        state.save()
        return self.issued(product_id)

    def product_details(self, q):
        state = self.server.state
        vendor_id = q.get("vendor_id", "")
        if state.vendor(vendor_id, q.get("vendor_password", "")) is None:
            return "{ERROR}Unknown vendor or wrong password;"
        if self.server.options.no_token:
            return "Your products:\n{ENDALL}"
        text = "{SUCCESS}\n"
        for product_id in sorted(state.data["products"]):
            p = state.data["products"][product_id]
            if p["vendor_id"] != vendor_id:
                continue
            text += "{PRODUCT}" + ";".join([product_id, p["product_name"], p["product_price"],
                                            p["product_description"], p["product_mime_type"],
                                            p["product_url"], p["product_key"]]) + "{END}\n"
        return text + "{ENDALL}"

    def product_delete(self, q):
        state = self.server.state
        vendor_id = q.get("vendor_id", "")
        if state.vendor(vendor_id, q.get("vendor_password", "")) is None:
            return "{ERROR}Unknown vendor or wrong password;"
        product = state.data["products"].get(q.get("product_id", ""))
        if product is None or product["vendor_id"] != vendor_id:
            return "{ERROR}No such product;"
        del state.data["products"][q["product_id"]]
        state.save()
        return "Deleted." if self.server.options.no_token else "{SUCCESS}"

    # ---- the buyer's side ----

    def do_POST(self):
        self.server.record(self.connection_number, self.raw_requestline.rstrip(b"\r\n"))
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length).decode("utf-8", errors="replace") if length > 0 else ""
        path = self.path.partition("?")[0]
        if path != "/buyer/Pay":
            self.not_found()
            return
        self.pay(dict(urllib.parse.parse_qsl(body, keep_blank_values=True)))

    def do_OPTIONS(self):
        # The preflight a cross-origin fetch of the key exchange may send.
        self.server.record(self.connection_number, self.raw_requestline.rstrip(b"\r\n"))
        if self.path.partition("?")[0] != "/buyer/KeyExchange":
            self.not_found()
            return
        headers = self.cors_headers()
        headers["Access-Control-Allow-Methods"] = "GET, OPTIONS"
        wanted = self.headers.get("Access-Control-Request-Headers")
        if wanted:
            headers["Access-Control-Allow-Headers"] = wanted
        headers["Access-Control-Max-Age"] = "600"
        self.answer(b"", status=204, headers=headers)

    def not_found(self):
        self.answer(b"<HTML><HEAD><TITLE>404 Not Found</TITLE></HEAD><BODY>Not found.</BODY></HTML>",
                    status=404, content_type="text/html")

    def buyer_get(self, path, q):
        if path == "/buyer/Purchase.html":
            self.purchase_page(q)
        elif path == "/buyer/Done":
            self.hand_over(q, {"token": q.get("token", "")},
                           "Thank you. Your purchase is on its way to the page.")
        elif path == "/buyer/Cancelled":
            self.hand_over(q, {"cancelled": True}, "The purchase was cancelled. Nothing was charged.")
        elif path == "/buyer/KeyExchange":
            self.key_exchange(q)
        elif path == "/buyer/Purchases":
            with self.server.state.lock:
                records = json.dumps(self.server.state.data["purchases"], indent=1)
            self.answer(records.encode("utf-8"), content_type="application/json",
                        headers={"Cache-Control": "no-store"})
        else:
            self.not_found()

    def product_for_sale(self, vendor_id, product_id):
        product = self.server.state.data["products"].get(product_id)
        return product if product is not None and product["vendor_id"] == vendor_id else None

    def page(self, title, body, status=200):
        # The empty icon keeps the browser from asking for /favicon.ico.
        text = ("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><link rel=\"icon\" href=\"data:,\"><title>" +
                html.escape(title) + "</title>\n<style>body{font:15px sans-serif;margin:24px;max-width:420px}"
                "label,input,button{display:block;margin:6px 0}input{width:100%;padding:4px}"
                ".declined{color:#a00000}.card{white-space:nowrap}</style></head>\n<body>\n" + body + "\n</body></html>\n")
        self.answer(text.encode("utf-8"), status=status, content_type="text/html; charset=utf-8",
                    headers={"Cache-Control": "no-store"})

    def purchase_page(self, q, declined=False):
        vendor_id, product_id, origin = q.get("vendor_id", ""), q.get("product_id", ""), q.get("origin", "")
        with self.server.state.lock:
            product = self.product_for_sale(vendor_id, product_id)
            product = dict(product) if product else None
        hidden = "".join('<input type="hidden" name="%s" value="%s">' % (k, html.escape(v))
                         for k, v in (("vendor_id", vendor_id), ("product_id", product_id), ("origin", origin)))
        cancel = ('<form method="get" action="/buyer/Cancelled">' + hidden +
                  '<button type="submit" id="cancel">Cancel</button></form>')
        if product is None:
            self.page("Tillon - Not for sale", "<p>This product is not for sale.</p>\n" + cancel, status=404)
            return
        name = product["product_name"]
        body = ("<h1>" + html.escape(name) + "</h1>\n<p>" + html.escape(product["product_description"]) + "</p>\n"
                '<p>Price: <span id="price">' + html.escape(price_text(product["product_price"])) + "</span></p>\n")
        if declined:
            body += '<p class="declined" role="alert">The card was declined. Use the test card 4242 4242 4242 4242.</p>\n'
        body += ('<form method="post" action="/buyer/Pay">' + hidden +
                 '<label for="card">Card number</label><input id="card" name="card" autocomplete="off">'
                 "<p>This is a test service: no money moves. Use the test card "
                 '<span class="card">4242 4242 4242 4242</span>.</p>'
                 '<button type="submit" id="pay">Pay</button></form>\n' + cancel)
        self.page("Tillon - Buy " + name, body)

    def pay(self, q):
        vendor_id, product_id, origin = q.get("vendor_id", ""), q.get("product_id", ""), q.get("origin", "")
        card = re.sub(r"\s", "", q.get("card", ""))
        state = self.server.state
        with state.lock:
            known = self.product_for_sale(vendor_id, product_id) is not None
            token = None
            if known and card == TEST_CARD:
                token = secrets.token_hex(16)
                state.data["purchases"].append({"vendor_id": vendor_id, "product_id": product_id, "token": token,
                                                "time": time.time(), "redeemed": False})
                state.save()
        if token is None:
            self.purchase_page(q, declined=known)
            return
        done = "/buyer/Done?" + urllib.parse.urlencode(
            {"token": token, "vendor_id": vendor_id, "product_id": product_id, "origin": origin})
        self.answer(b"", status=303, headers={"Location": done, "Cache-Control": "no-store"})

    def hand_over(self, q, news, closing_text):
        """A page that posts the purchase's outcome to the page that opened its window and closes."""
        message = dict({"tillon": "purchase", "vendorID": q.get("vendor_id", ""),
                        "productID": q.get("product_id", "")}, **news)
        # JSON inside a script element: nothing in it may close the element.
        def script_json(value):
            return json.dumps(value).replace("<", "\\u003c").replace(">", "\\u003e").replace("&", "\\u0026")
        script = ("<script>\n(function () {\n  if (!window.opener) return;\n"
                  "  try { window.opener.postMessage(%s, %s); } catch (e) { return; }\n"
                  "  window.close();\n})();\n</script>" % (script_json(message), script_json(q.get("origin", ""))))
        self.page("Tillon", "<p>" + html.escape(closing_text) + "</p>\n" + script)

    def cors_headers(self):
        return {"Access-Control-Allow-Origin": self.headers.get("Origin") or "*", "Vary": "Origin",
                "Cache-Control": "no-store"}

    def key_exchange(self, q):
        token, product_id = q.get("token", ""), q.get("product_id", "")
        state = self.server.state
        with state.lock:
            purchase = next((p for p in state.data["purchases"] if token and p["token"] == token), None)
            product = state.data["products"].get(purchase["product_id"]) if purchase else None
            refusal = None
            if purchase is None or product is None:
                refusal = "unknown"
            elif purchase["product_id"] != product_id:
                refusal = "mismatch"
            elif purchase["redeemed"]:
                refusal = "used"
            elif time.time() - purchase["time"] > self.server.options.token_lifetime:
                refusal = "expired"
            else:
                purchase["redeemed"] = True
                state.save()
                reply = {"product_id": purchase["product_id"], "vendor_id": purchase["vendor_id"],
                         "key": product["product_key"], "product_url": product["product_url"],
                         "media_type": product["product_mime_type"]}
        if refusal:
            status, reply = 403, {"error": refusal, "message": REFUSALS[refusal]}
        else:
            status = 200
        self.answer(json.dumps(reply).encode("utf-8"), status=status, content_type="application/json",
                    headers=self.cors_headers())

    # ---- answering ----

    def answer(self, payload, status=200, content_type="text/plain", headers=None):
        if self.server.options.reset_mid_body:
            self.send_response(status)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(payload) + 100000))
            self.end_headers()
            self.wfile.write(payload + b" " * 20000)
            self.wfile.flush()
            # Let the client take in what was sent: a reset discards data
            # still waiting to be read on its side.
            self.server.stopping.wait(0.5)
            # Linger 0: the close resets the connection instead of ending it.
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.close_connection = True
            self.connection.close()
            return
        self.send_response(status)
        if status != 204:
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(payload)))
        for key, value in (headers or {}).items():
            self.send_header(key, value)
        self.end_headers()
        if status != 204:
            self.wfile.write(payload)


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, address, options, context):
        super().__init__(address, Handler)
        self.options = options
        self.context = context
        self.state = State(options.state)
        self.stopping = threading.Event()
        self.lock = threading.Lock()
        self.connections = 0

    def finish_request(self, request, client_address):
        # The TLS handshake runs in the connection's own thread, so a client
        # that never completes it holds up nobody else.
        request.settimeout(30)
        # Headers and body go out in separate writes: without this the body
        # would wait for the client's delayed acknowledgement of the headers.
        request.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        try:
            tls = self.context.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError):
            return
        super().finish_request(tls, client_address)

    def next_connection(self):
        with self.lock:
            self.connections += 1
            return self.connections

    def record(self, connection, line):
        if not self.options.record_dir:
            return
        with self.lock:
            os.makedirs(self.options.record_dir, exist_ok=True)
            with open(os.path.join(self.options.record_dir, "requests.log"), "ab") as f:
                f.write(str(connection).encode() + b" " + line + b"\n")


def decode_product(argv):
    """--decode-product STATE_JSON PRODUCT_ID INFILE OUTFILE: decodes with the product's key."""
    if len(argv) != 4:
        sys.stderr.write("usage: tillon_service.py --decode-product STATE_JSON PRODUCT_ID INFILE OUTFILE\n")
        return 2
    state_path, product_id, source, target = argv
    try:
        product = State(state_path).data["products"].get(product_id)
        if product is None:
            raise ValueError("no product " + product_id)
        tillon_cipher.decode_file(product.get("product_key", ""), source, target)
    except (ValueError, OSError) as error:
        sys.stderr.write("tillon: %s\n" % error)
        return 1
    return 0


def main():
    if sys.argv[1:2] == ["--decode-product"]:
        return decode_product(sys.argv[2:])
    ap = argparse.ArgumentParser(description="Stand-in Tillon service (HTTPS, loopback only).")
    ap.add_argument("--host", default="127.0.0.1", help="loopback address to bind (default 127.0.0.1)")
    ap.add_argument("--port", type=int, default=0, help="port; 0 takes a free one and prints it")
    ap.add_argument("--tls-dir", required=True, help="folder of the test CA and the server certificate")
    ap.add_argument("--state", default="", help="JSON file of vendors and products")
    ap.add_argument("--record-dir", default="", help="folder for requests.log")
    ap.add_argument("--lifetime", type=float, default=120.0, help="seconds before the server ends itself")
    ap.add_argument("--refuse", action="store_true", help="accept no connection")
    ap.add_argument("--html-error", action="store_true", help="answer an HTML error page")
    ap.add_argument("--no-token", action="store_true", help="answer without the success token")
    ap.add_argument("--token-without-id", action="store_true", help='answer "{SUCCESS};"')
    ap.add_argument("--token-without-semicolon", action="store_true", help="answer the token and ID without ';'")
    ap.add_argument("--spaced-id", action="store_true", help="answer the ID with blanks around it")
    ap.add_argument("--slow", type=float, default=0.0, help="seconds to wait before answering")
    ap.add_argument("--reset-mid-body", action="store_true", help="reset the connection halfway through the reply")
    ap.add_argument("--pad", type=int, default=0, help="blanks added behind every reply")
    ap.add_argument("--token-lifetime", type=float, default=300.0,
                    help="seconds a purchase's token can be exchanged for the key (default 300)")
    ap.add_argument("--verbose", action="store_true", help="log each request to stderr")
    options = standin_serve.checked_options(ap)
    done = standin_serve.stop_event()

    family = socket.AF_INET6 if ":" in options.host else socket.AF_INET
    if options.refuse:
        return standin_serve.refuse(options.host, options.port, family, options.lifetime, done)

    make_certificates(options.tls_dir)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(options.tls_dir, "server.pem"), os.path.join(options.tls_dir, "server.key"))
    Server.address_family = family
    server = Server((options.host, options.port), options, context)
    return standin_serve.serve(server, options.lifetime, done)


if __name__ == "__main__":
    sys.exit(main())
