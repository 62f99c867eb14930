#!/usr/bin/python3
"""Drives headless Chromium through a page of Saleboxes and reports what it saw.

    salebox_driver.py CONFIG.json REPORT.json

CONFIG says which page to open and what to do there ("mode": "published" or
"preview"); REPORT gets what the browser showed, raw: the test program that
wrote CONFIG judges it. Nothing here decides whether the page is right,
except where a step cannot go on (a missing window, a Salebox that never
settles): then REPORT holds "error" with the step that failed.

With the environment variable SALEBOX_SCREENSHOTS naming a folder, the
page is photographed there before and after the purchases.
"""
import base64
import json
import os
import ssl
import sys
import time
import traceback
import urllib.parse
import urllib.request

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "support"))
import browser  # noqa: E402

SETTLED = ("done", "failed")
# Generous: the machine running the tests may be busy.
WAIT = 30

# What one Salebox shows, read in the page.
READ_BOX = """
const box = arguments[0];
const text = (sel) => { const e = box.querySelector(sel); return e ? e.textContent : null; };
const teaser = box.querySelector('img.tillon-teaser');
const buy = box.querySelector('button.tillon-buy');
return {
  applet: box.getAttribute('data-applet-name'),
  product_id: box.getAttribute('data-product-id'),
  state: box.getAttribute('data-state'),
  role: box.getAttribute('role'),
  label: box.getAttribute('aria-label'),
  style_width: box.style.width,
  style_min_height: box.style.minHeight,
  name: text('.tillon-name'),
  description: text('.tillon-description'),
  price: text('.tillon-price'),
  message: text('.tillon-message'),
  preview_mark: text('.tillon-preview-mark'),
  teaser_src: teaser ? teaser.src : null,
  teaser_alt: teaser ? teaser.alt : null,
  teaser_loaded: teaser ? (teaser.complete && teaser.naturalWidth > 0) : null,
  buy_text: buy ? buy.textContent : null,
  buy_enabled: buy ? !buy.disabled : null,
};
"""

# What a settled Salebox's content area holds.
READ_CONTENT = """
const box = arguments[0];
const content = box.querySelector('.tillon-content');
const pre = box.querySelector('pre.tillon-text');
const img = box.querySelector('img.tillon-image');
const frame = box.querySelector('iframe.tillon-frame');
const link = box.querySelector('a.tillon-download');
return {
  text: pre ? pre.textContent : null,
  image_alt: img ? img.alt : null,
  image_src_scheme: img ? img.src.split(':')[0] : null,
  frame_srcdoc: frame ? frame.getAttribute('srcdoc') : null,
  frame_sandbox: frame ? frame.getAttribute('sandbox') : null,
  download: link ? link.getAttribute('download') : null,
  children: content ? Array.from(content.children).map((e) => e.tagName.toLowerCase() + '.' + e.className) : null,
};
"""

# The shown image against the source file decoded by the same browser: the
# pixel data of both, drawn on canvases, compared byte for byte.
COMPARE_IMAGE = """
const [box, b64, type, done] = arguments;
const img = box.querySelector('img.tillon-image');
if (!img) { done({error: 'no image shown'}); return; }
function pixels(image) {
  const c = document.createElement('canvas');
  c.width = image.naturalWidth; c.height = image.naturalHeight;
  const g = c.getContext('2d');
  g.drawImage(image, 0, 0);
  return g.getImageData(0, 0, c.width, c.height).data;
}
function compare() {
  const ref = new Image();
  ref.onload = () => {
    try {
      const a = pixels(img), b = pixels(ref);
      let diff = a.length === b.length ? 0 : -1;
      if (diff === 0) for (let i = 0; i < a.length; i++) if (a[i] !== b[i]) diff++;
      const w = img.naturalWidth, h = img.naturalHeight;
      const at = (x, y) => Array.from(a.slice((y * w + x) * 4, (y * w + x) * 4 + 4));
      const points = [[0, 0], [w - 1, 0], [Math.floor(w / 2), Math.floor(h / 2)], [w - 1, h - 1]];
      done({width: w, height: h, ref_width: ref.naturalWidth, ref_height: ref.naturalHeight, differing_bytes: diff,
            samples: points.map(([x, y]) => [x, y].concat(at(x, y)))});
    } catch (e) { done({error: String(e)}); }
  };
  ref.onerror = () => done({error: 'the source did not decode'});
  ref.src = 'data:' + type + ';base64,' + b64;
}
if (img.complete && img.naturalWidth > 0) compare();
else { img.onload = compare; img.onerror = () => done({error: 'the shown image did not decode'}); }
"""


class StepFailed(Exception):
    pass


def boxes(b):
    from selenium.webdriver.common.by import By
    return b.driver.find_elements(By.CSS_SELECTOR, "div.tillon-salebox")


def box_of(b, applet):
    for el in boxes(b):
        if el.get_attribute("data-applet-name") == applet:
            return el
    raise StepFailed("no Salebox for " + applet)


def load(b, url, count):
    """Opens the page and waits until `count` Saleboxes are there, each settled
    in a state of its own."""
    b.driver.get(url)
    try:
        b.wait_for(lambda: len(boxes(b)) == count and all(e.get_attribute("data-state") for e in boxes(b)),
                   timeout=WAIT, what="%d Saleboxes" % count)
    except TimeoutError as e:
        raise StepFailed("%s; the page shows: %s" % (e, b.js("return document.body.innerText")[:2000]))


def page_facts(b):
    return {
        "boxes": [b.js(READ_BOX, e) for e in boxes(b)],
        "vendor_applets_left": b.js("return Array.from(document.getElementsByTagName('applet'))"
                                    ".filter((a) => /^vendorapplet$/i.test(a.getAttribute('code') || '')).length"),
        "body_text": b.js("return document.body.innerText"),
        # The page's browser object, and the height it takes up on the page.
        "browser_objects": b.js("return Array.from(document.getElementsByTagName('object'))"
                                ".filter((o) => /saleboxlib\\.cab/i.test(o.getAttribute('codebase') || ''))"
                                ".map((o) => o.getBoundingClientRect().height)"),
    }


def wait_settled(b, applet, states=SETTLED, timeout=WAIT):
    def settled():
        return box_of(b, applet).get_attribute("data-state") in states
    try:
        b.wait_for(settled, timeout=timeout, what=applet + " settling")
    except TimeoutError as e:
        raise StepFailed("%s; it shows %r" % (e, b.js(READ_BOX, box_of(b, applet))))
    return b.js(READ_BOX, box_of(b, applet))


def open_purchase_window(b, applet):
    """Presses the Salebox's Buy and switches to the purchase window it opens."""
    main = b.driver.current_window_handle
    before = set(b.driver.window_handles)
    box_of(b, applet).find_element("css selector", "button.tillon-buy").click()
    try:
        b.wait_for(lambda: set(b.driver.window_handles) - before, timeout=WAIT, what="the purchase window")
    except TimeoutError:
        raise StepFailed("Buy on %s opened no window; it shows %r" % (applet, b.js(READ_BOX, box_of(b, applet))))
    (popup,) = set(b.driver.window_handles) - before
    b.driver.switch_to.window(popup)
    b.wait_css("#cancel", timeout=WAIT)
    return main, popup


def back_to(b, main, popup, what):
    """Waits for the purchase window to close itself and returns to the page."""
    try:
        b.wait_for(lambda: popup not in b.driver.window_handles, timeout=WAIT, what=what)
        closed = True
    except TimeoutError:
        closed = False
    b.driver.switch_to.window(main)
    return closed


def purchase_window_facts(b):
    return {"title": b.driver.title,
            "text": b.js("return document.body.innerText"),
            "card_label": b.js("const l = document.querySelector('label[for=card]'); return l ? l.textContent : null"),
            "pay": b.js("const p = document.getElementById('pay'); return p ? p.textContent : null")}


def buy(b, applet, card="4242 4242 4242 4242"):
    main, popup = open_purchase_window(b, applet)
    window = purchase_window_facts(b)
    b.driver.find_element("id", "card").send_keys(card)
    b.driver.find_element("id", "pay").click()
    window["closed_itself"] = back_to(b, main, popup, "the purchase window closing")
    result = wait_settled(b, applet)
    result["window"] = window
    result["content"] = b.js(READ_CONTENT, box_of(b, applet))
    return result


def compare_image(b, applet, source, media_type):
    with open(source, "rb") as f:
        data = base64.b64encode(f.read()).decode("ascii")
    b.driver.set_script_timeout(WAIT)
    return b.driver.execute_async_script(COMPARE_IMAGE, box_of(b, applet), data, media_type)


def settle_content(b, product, result):
    """Adds what the content area shows beyond its markup: the image's pixels."""
    if product["media"].startswith("image/") and result["state"] == "done":
        result["image"] = compare_image(b, product["applet"], product["source"], product["media"])


def severe(b, seen):
    """The SEVERE console entries since the last call."""
    entries = [e for e in b.logs() if e.get("level") == "SEVERE"]
    fresh = [e.get("message", "") for e in entries]
    seen.extend(fresh)
    return fresh


def screenshot(b, folder, name):
    """The whole page: the window is made as tall as the page for the shot
    (a shot beyond the window leaves sandboxed frames blank)."""
    if not folder:
        return
    os.makedirs(folder, exist_ok=True)
    for _ in range(4):
        short = b.js("return document.documentElement.scrollHeight - window.innerHeight")
        if short <= 0:
            break
        size = b.driver.get_window_size()
        b.driver.set_window_size(size["width"], size["height"] + short + 8)
    time.sleep(0.3)
    b.driver.save_screenshot(os.path.join(folder, name))
    b.driver.set_window_size(1000, 900)


def service_purchases(config):
    context = ssl.create_default_context(cafile=config["ca_file"])
    with urllib.request.urlopen(config["service"] + "/buyer/Purchases", context=context, timeout=WAIT) as r:
        return json.loads(r.read().decode("utf-8"))


def published(config, report):
    spki = browser.spki_of_pem(config["tls_cert"])
    args = ["--ignore-certificate-errors-spki-list=" + spki, "--window-size=1000,900"]
    shots = os.environ.get("SALEBOX_SCREENSHOTS", "")
    count = config["box_count"]
    logs = report["severe"] = {}
    with browser.Browser(extra_args=args) as b:
        report["step"] = "first look"
        load(b, config["page_url"], count)
        report["initial"] = page_facts(b)
        screenshot(b, shots, "published-before.png")
        logs["first_look"] = severe(b, [])

        report["step"] = "cancel"
        first = config["products"][0]["applet"]
        main, popup = open_purchase_window(b, first)
        report["cancel_window"] = purchase_window_facts(b)
        b.driver.find_element("id", "cancel").click()
        closed = back_to(b, main, popup, "the purchase window closing after Cancel")
        b.wait_for(lambda: b.js(READ_BOX, box_of(b, first))["message"], timeout=WAIT, what="the cancel message")
        report["cancel"] = b.js(READ_BOX, box_of(b, first))
        report["cancel"]["closed_itself"] = closed

        # The purchase window closed by the buyer, with no answer given.
        report["step"] = "window closed"
        main, popup = open_purchase_window(b, first)
        b.driver.close()
        b.driver.switch_to.window(main)
        b.wait_for(lambda: b.js(READ_BOX, box_of(b, first))["state"] != "buying", timeout=WAIT,
                   what="the Salebox noticing the closed window")
        report["window_closed"] = b.js(READ_BOX, box_of(b, first))

        report["purchases"] = {}
        for product in config["products"]:
            report["step"] = "buy " + product["applet"]
            result = buy(b, product["applet"])
            settle_content(b, product, result)
            report["purchases"][product["applet"]] = result
        screenshot(b, shots, "published-after.png")
        report["after"] = page_facts(b)
        with open(config["dom_out"], "w", encoding="utf-8") as f:
            f.write(b.js("return document.documentElement.outerHTML"))
        logs["purchases"] = severe(b, [])

        # A token already exchanged for the key, handed to the page once more.
        report["step"] = "reused token"
        records = service_purchases(config)
        report["service_purchases"] = records
        first_id = box_of(b, first).get_attribute("data-product-id")
        used = [r for r in records if r["product_id"] == first_id and r["redeemed"]]
        if not used:
            raise StepFailed("the service recorded no collected purchase of " + first_id)
        report["reused_token"] = used[0]["token"]
        load(b, config["page_url"], count)
        logs["reused_load"] = severe(b, [])
        main, popup = open_purchase_window(b, first)
        page_origin = urllib.parse.urlsplit(config["page_url"])
        origin = "%s://%s" % (page_origin.scheme, page_origin.netloc)
        b.driver.get(config["service"] + "/buyer/Done?" + urllib.parse.urlencode(
            {"token": used[0]["token"], "vendor_id": used[0]["vendor_id"], "product_id": first_id,
             "origin": origin}))
        back_to(b, main, popup, "the purchase window closing after Done")
        report["reused"] = wait_settled(b, first)
        logs["reused"] = severe(b, [])

    # A fresh browser, so nothing of the product's file is in its cache.
    with browser.Browser(extra_args=args) as b:
        missing = config["missing"]
        report["step"] = "missing file"
        os.remove(missing["file"])
        load(b, config["page_url"], count)
        logs["missing_load"] = severe(b, [])
        report["missing"] = buy(b, missing["applet"])
        logs["missing"] = severe(b, [])
    report["step"] = "finished"


def preview(config, report):
    args = ["--allow-file-access-from-files"] if config["allow_files"] else []
    args.append("--window-size=1000,900")
    shots = os.environ.get("SALEBOX_SCREENSHOTS", "")
    name = "preview" if config["allow_files"] else "preview-no-file-access"
    logs = report["severe"] = {}
    with browser.Browser(extra_args=args) as b:
        report["step"] = "first look"
        load(b, config["page_url"], config["box_count"])
        report["initial"] = page_facts(b)
        screenshot(b, shots, name + "-before.png")
        logs["first_look"] = severe(b, [])
        report["purchases"] = {}
        for product in config["products"]:
            applet = product["applet"]
            report["step"] = "buy " + applet
            handles = len(b.driver.window_handles)
            box_of(b, applet).find_element("css selector", "button.tillon-buy").click()
            result = wait_settled(b, applet)
            result["windows_opened"] = len(b.driver.window_handles) - handles
            result["content"] = b.js(READ_CONTENT, box_of(b, applet))
            settle_content(b, product, result)
            report["purchases"][applet] = result
        screenshot(b, shots, name + "-after.png")
        logs["purchases"] = severe(b, [])
    report["step"] = "finished"


def main():
    config_path, report_path = sys.argv[1:3]
    with open(config_path, encoding="utf-8") as f:
        config = json.load(f)
    report = {}
    why_not = browser.available()
    if why_not:
        report["skip"] = why_not
    else:
        try:
            {"published": published, "preview": preview}[config["mode"]](config, report)
        except Exception as e:  # the report names the step; the test fails on it
            report["error"] = "%s: %s" % (type(e).__name__, e)
            report["traceback"] = traceback.format_exc()
    with open(report_path, "w", encoding="utf-8") as f:
        json.dump(report, f, indent=1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
