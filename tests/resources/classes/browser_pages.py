"""The class folder's JavaScript in headless Chromium, one scenario a run:

    browser_pages.py SCENARIO SITE

SITE is a folder prepared by the C++ test (pages, encoded files, the class
folder's files taken from the program's resources, manifest.json). Prints
what went wrong and exits 1, or exits 0; exits 77 when no browser can run.

Scenarios: decode, published, load-failed, preview (file: page, Chromium
allowed to read local files), preview-refused (same page, not allowed),
and bench (decode timing on request, for the benchmark).
"""

import functools
import hashlib
import http.server
import json
import os
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
import browser  # noqa: E402

FALLBACK = "requires a Java-capable browser"
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
    return ok


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class Site:
    """SITE served over HTTP on loopback while the `with` block runs."""

    def __init__(self, root):
        handler = functools.partial(Quiet, directory=root)
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.url = "http://127.0.0.1:%d/" % self.server.server_address[1]

    def __enter__(self):
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        return self

    def __exit__(self, *exc):
        self.server.shutdown()
        self.server.server_close()


def no_alert(b):
    from selenium.common.exceptions import NoAlertPresentException
    try:
        text = b.driver.switch_to.alert.text
        failures.append("an alert was shown: %r" % text)
    except NoAlertPresentException:
        pass


def boxes(b):
    return b.js("""
      return Array.from(document.querySelectorAll('div.tillon-salebox')).map(function (d) {
        var q = function (s) { var e = d.querySelector(s); return e ? e.textContent : null; };
        var r = d.getBoundingClientRect();
        var buy = d.querySelector('button.tillon-buy');
        var img = d.querySelector('img.tillon-teaser');
        return {label: d.getAttribute('aria-label'), role: d.getAttribute('role'),
                product: d.getAttribute('data-product-id'), applet: d.getAttribute('data-applet-name'),
                state: d.getAttribute('data-state'), name: q('.tillon-name'),
                description: q('.tillon-description'), price: q('.tillon-price'),
                message: q('.tillon-message'), mark: q('.tillon-preview-mark'),
                width: r.width, height: r.height, styleWidth: d.style.width,
                buyType: buy && buy.type, buyDisabled: buy ? buy.disabled : null,
                teaserAlt: img && img.alt, teaserSrc: img && img.src,
                textInside: Array.from(d.querySelectorAll('.tillon-name, .tillon-description')).every(
                  function (e) { return e.getBoundingClientRect().right <= r.right + 0.5; })};
      });""")


def visible_text(b):
    return b.js("return document.body.innerText")


def manifest(site):
    with open(os.path.join(site, "manifest.json")) as f:
        return json.load(f)


def sha256_of(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


DECODE_PAGE = """<!DOCTYPE html><html><head><meta charset="utf-8"><link rel="icon" href="data:,">
<script src="classes/tillon-cipher.js"></script>
<script>
async function hex(bytes) {
  const d = new Uint8Array(await crypto.subtle.digest('SHA-256', bytes));
  return Array.from(d, b => b.toString(16).padStart(2, '0')).join('');
}
async function decodeOne(file, keyHex) {
  const data = new Uint8Array(await (await fetch(file, {cache: 'no-store'})).arrayBuffer());
  const t0 = performance.now();
  const plain = TillonCipher.decode(TillonCipher.hexToKey(keyHex), data);
  const ms = performance.now() - t0;
  // Piece by piece in uneven chunks: the key stream must run on across them.
  let streamed = null;
  if (data.length <= 65536) {
    const c = new TillonCipher.Cipher(TillonCipher.hexToKey(keyHex));
    const parts = new Uint8Array(data.length);
    for (let at = 0, n = 1; at < data.length; at += n, n = n * 3 + 1)
      parts.set(c.process(data.subarray(at, at + n)), at);
    streamed = await hex(parts);
  }
  return {size: plain.length, sha: await hex(plain), streamed: streamed, ms: ms, encodedUntouched:
          (await hex(data)) === (await hex(new Uint8Array(await (await fetch(file)).arrayBuffer())))};
}
function refusal(f) { try { f(); return null; } catch (e) { return e.message; } }
</script></head><body>decode</body></html>"""


def scenario_decode(site):
    m = manifest(site)
    with open(os.path.join(site, "decode.html"), "w") as f:
        f.write(DECODE_PAGE)
    with Site(site) as s, browser.Browser() as b:
        b.driver.set_script_timeout(60)
        b.driver.get(s.url + "decode.html")
        for case in m["files"]:
            got = b.driver.execute_async_script(
                "decodeOne(arguments[0], arguments[1]).then(arguments[2], e => arguments[2]({error: String(e)}))",
                case["encoded"], case["key"])
            want = sha256_of(os.path.join(site, case["source"]))
            name = "%s (key of %d bytes)" % (case["source"], len(case["key"]) // 2)
            if not check("error" not in got, "%s: %s" % (name, got.get("error"))):
                continue
            check(got["sha"] == want, "%s: decoded in the browser differs from the source" % name)
            check(got["size"] == os.path.getsize(os.path.join(site, case["source"])), "%s: size" % name)
            check(got["encodedUntouched"], "%s: decode changed its input" % name)
            if got["streamed"] is not None:
                check(got["streamed"] == want, "%s: decoded in pieces differs from the source" % name)
            print("%s: %.1f ms" % (name, got["ms"]))
        for case in m["refusals"]:
            got = b.js("return refusal(() => TillonCipher.hexToKey(arguments[0]))", case["text"])
            check(got == case["message"], "hexToKey(%r): %r, the program says %r" % (case["text"], got, case["message"]))
        for case in m["keyRefusals"]:
            got = b.js("return refusal(() => TillonCipher.decode(new Uint8Array(arguments[0]), new Uint8Array(4)))",
                       case["length"])
            check(got == case["message"], "a %d-byte key: %r, the program says %r" % (case["length"], got, case["message"]))
        check(not b.severe(), "console errors: %s" % b.severe())


def scenario_bench(site):
    """Answers each line "decode" on stdin with the page-side milliseconds
    of one decode of manifest's first file; ends at end of input."""
    m = manifest(site)
    case = m["files"][0]
    with open(os.path.join(site, "decode.html"), "w") as f:
        f.write(DECODE_PAGE)
    with Site(site) as s, browser.Browser() as b:
        b.driver.set_script_timeout(120)
        b.driver.get(s.url + "decode.html")
        b.driver.execute_async_script(
            "fetch(arguments[0]).then(r => r.arrayBuffer()).then(a => { window.benchData = new Uint8Array(a);"
            " window.benchKey = TillonCipher.hexToKey(arguments[1]); arguments[2](); })",
            case["encoded"], case["key"])
        print("ready", flush=True)
        for line in sys.stdin:
            if line.strip() != "decode":
                break
            ms = b.js("const t0 = performance.now(); const p = TillonCipher.decode(window.benchKey, window.benchData);"
                      " const ms = performance.now() - t0; window.benchSink = p[p.length - 1]; return ms;")
            print("%.3f" % ms, flush=True)


def published_checks(b):
    got = boxes(b)
    if not check(len(got) == 4, "%d Saleboxes, want 4: %s" % (len(got), got)):
        return
    report, broken, teased, unsized = got
    check(report["name"] == "<script>window.tillonRan = 1</script>", "name shown: %r" % report["name"])
    check(b.js("return window.tillonRan === undefined"), "the script in a name ran")
    check(report["label"] == "Salebox: " + report["name"] and report["role"] == "group", "label/role: %s" % report)
    check(report["description"] == "A short report" and report["price"] == "$1.50", "texts: %s" % report)
    check((report["product"], report["applet"], report["state"]) == ("5001", "Tillon1", "ready"), "%s" % report)
    check(report["buyType"] == "button" and report["buyDisabled"] is False, "Buy of a good Salebox: %s" % report)
    check(abs(report["width"] - 300) < 0.5 and report["height"] >= 199.5, "size %sx%s" % (report["width"], report["height"]))
    check(report["mark"] is None and report["teaserAlt"] is None, "no preview mark, no teaser: %s" % report)
    check(broken["state"] == "failed" and broken["message"] == "This Salebox is incomplete and cannot sell."
          and broken["buyDisabled"] is True, "the broken tag: %s" % broken)
    check(broken["applet"] == "Tillon2", "the broken tag keeps its name: %s" % broken)
    check(teased["state"] == "ready" and teased["price"] == "1.50 cents", "cost as typed: %s" % teased)
    check(teased["teaserAlt"] == "Preview of Teased" and teased["teaserSrc"].endswith("/teaser.gif"), "%s" % teased)
    check(b.js("var i = document.querySelector('img.tillon-teaser'); return i.complete && i.naturalWidth > 0"),
          "the teaser image did not load")
    check(abs(teased["width"] - 120) < 0.5 and teased["textInside"], "a long text wraps inside: %s" % teased)
    check(unsized["styleWidth"] == "" and unsized["price"] == "$0.05", "no size given: %s" % unsized)
    check(b.js("return document.querySelectorAll('applet').length") == 1, "applets left (want the comms one only)")
    check(b.js("return document.querySelector('applet').getAttribute('name')") == "tilloncommsapplet", "comms gone")
    check(FALLBACK not in visible_text(b), "a fallback sentence is visible")
    check(b.js("return document.querySelectorAll('#tillon-salebox-style').length") == 1, "one stylesheet")
    # The Buy button is reached with the keyboard.
    check(b.js("var x = document.querySelector('button.tillon-buy'); x.focus(); return document.activeElement === x"),
          "Buy cannot take the focus")


def scenario_published(site):
    with Site(site) as s, browser.Browser() as b:
        b.driver.get(s.url + "published.html")
        b.wait_css("div.tillon-salebox[data-applet-name='Tillon4']")
        time.sleep(0.3)
        no_alert(b)
        published_checks(b)
        # The runtime loaded again changes nothing: the applets are gone.
        b.js("TillonSalebox.start()")
        check(len(boxes(b)) == 4, "a second start made more Saleboxes")
        check(not b.severe(), "console errors: %s" % b.severe())


def scenario_load_failed(site):
    with Site(site) as s, browser.Browser() as b:
        b.driver.get(s.url + "load-failed.html")
        el = b.wait_css("div.tillon-salebox[data-state='failed']")
        time.sleep(0.3)
        no_alert(b)
        want = "The Salebox could not be loaded from %snowhere/tillon-cipher.js." % s.url
        texts = b.js("return Array.from(document.querySelectorAll('.tillon-salebox')).map(d => d.textContent)")
        check(texts == [want, want], "messages: %s" % texts)
        check(el.is_displayed(), "the message is not shown")
        check(FALLBACK not in visible_text(b), "a fallback sentence is visible")


def buy(b, applet, state="done", timeout=20):
    b.js("document.querySelector(\"div.tillon-salebox[data-applet-name='%s'] button.tillon-buy\").click()" % applet)
    return b.wait_css("div.tillon-salebox[data-applet-name='%s']" % applet, "data-state", state, timeout=timeout)


def scenario_preview(site):
    m = manifest(site)
    page = "file://" + os.path.join(site, "preview.html")
    with browser.Browser(["--allow-file-access-from-files"]) as b:
        b.driver.get(page)
        b.wait_css("div.tillon-salebox[data-applet-name='Tillon5']")
        no_alert(b)
        got = boxes(b)
        check([g["mark"] for g in got] == ["Preview"] * 5, "preview marks: %s" % got)
        check(all(g["description"].startswith("PREVIEW ONLY ! ") for g in got), "descriptions: %s" % got)
        check(FALLBACK not in visible_text(b), "a fallback sentence is visible")
        check(b.js("var i = document.querySelector('img.tillon-teaser'); return !!i && i.naturalWidth > 0"),
              "the teaser beside the preview page did not load")

        buy(b, "Tillon1")
        text = b.js("var p = document.querySelector(\"[data-applet-name='Tillon1'] pre.tillon-text\");"
                    " return p && p.textContent")
        with open(os.path.join(site, m["text"]), encoding="utf-8") as f:
            check(text == f.read(), "the bought text: %r" % text)
        check(b.js("return document.querySelector(\"[data-applet-name='Tillon1'] .tillon-message\").textContent")
              == "Thank you for your purchase.", "thanks")

        buy(b, "Tillon2")
        img = b.js("var i = document.querySelector(\"[data-applet-name='Tillon2'] img.tillon-image\");"
                   " return i && {w: i.naturalWidth, alt: i.alt, src: i.src}")
        check(img and img["w"] == 1 and img["alt"] == "Picture" and img["src"].startswith("blob:"), "image: %s" % img)

        buy(b, "Tillon3")
        frame = b.js("var f = document.querySelector(\"[data-applet-name='Tillon3'] iframe.tillon-frame\");"
                     " return f && {sandbox: f.getAttribute('sandbox'), srcdoc: f.srcdoc}")
        with open(os.path.join(site, m["html"]), encoding="utf-8") as f:
            html = f.read()
        check(frame and frame["sandbox"] == "" and frame["srcdoc"] == html, "frame: %s" % frame)
        # The page in the frame may run no script.
        check(b.js("return window.tillonFrameRan === undefined"), "the bought page's script reached the Salebox page")

        windows = len(b.driver.window_handles)
        buy(b, "Tillon4")
        check(b.js("return document.querySelector(\"[data-applet-name='Tillon4'] .tillon-message\").textContent")
              == "Your purchase opened in a new window.", "new window message")
        check(b.js("return !document.querySelector(\"[data-applet-name='Tillon4'] iframe\")"), "frame in the page")
        check(len(b.driver.window_handles) == windows + 1, "no new window")
        if len(b.driver.window_handles) == windows + 1:
            main = b.driver.current_window_handle
            b.driver.switch_to.window(b.driver.window_handles[-1])
            sandbox = b.js("var f = document.querySelector('iframe.tillon-frame'); return f && f.getAttribute('sandbox')")
            check(sandbox == "", "the new window's frame: %r" % sandbox)
            check(b.js("return window.opener") is None, "the new window knows its opener")
            b.driver.close()
            b.driver.switch_to.window(main)

        # Bytes that are no picture.
        buy(b, "Tillon5", "failed")
        check(b.js("return document.querySelector(\"[data-applet-name='Tillon5'] .tillon-message\").textContent")
              == "The product could not be shown.", "not a picture")
        check(b.js("return !document.querySelector(\"[data-applet-name='Tillon5'] img.tillon-image\")"),
              "a broken picture is shown")
        check(not b.severe(), "console errors: %s" % b.severe())


def scenario_preview_refused(site):
    page = "file://" + os.path.join(site, "preview.html")
    with browser.Browser() as b:
        b.driver.get(page)
        b.wait_css("div.tillon-salebox[data-applet-name='Tillon1']")
        buy(b, "Tillon1", "failed")
        message = b.js("return document.querySelector(\"[data-applet-name='Tillon1'] .tillon-message\").textContent")
        check(message.startswith("This browser does not let a page read files on your disk")
              and "--allow-file-access-from-files" in message, "message: %r" % message)
        check(b.js("return !document.querySelector(\"[data-applet-name='Tillon1'] pre\")"), "something was shown")
        no_alert(b)


SCENARIOS = {"decode": scenario_decode, "bench": scenario_bench, "published": scenario_published,
             "load-failed": scenario_load_failed, "preview": scenario_preview,
             "preview-refused": scenario_preview_refused}


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in SCENARIOS:
        print(__doc__)
        return 2
    why = browser.available()
    if why:
        print(why)
        return 77
    SCENARIOS[sys.argv[1]](sys.argv[2])
    for f in failures:
        print("FAILED: " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
