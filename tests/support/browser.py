"""Headless Chromium for the browser tests, driven through selenium.

Use it as a context manager so the browser always quits:

    from browser import Browser, available
    with Browser(extra_args=["--allow-file-access-from-files"]) as b:
        b.driver.get(url)
        b.wait_css("div.tillon-salebox[data-state='ready']")
        assert not b.severe()

Run by the system's Python (/usr/bin/python3), where Debian's python3-selenium
lives.
"""

import base64
import os
import shutil
import subprocess
import tempfile
import time

CHROMIUM = os.environ.get("TENDREL_CHROMIUM", "/usr/bin/chromium")
CHROMEDRIVER = os.environ.get("TENDREL_CHROMEDRIVER", "/usr/bin/chromedriver")


def available():
    """None when a browser test can run, else the reason it cannot."""
    for path in (CHROMIUM, CHROMEDRIVER):
        if not os.access(path, os.X_OK):
            return "%s is not installed" % path
    try:
        import selenium  # noqa: F401
    except ImportError:
        return "python3-selenium is not installed"
    return None


def spki_of_pem(path):
    """The base64 SHA-256 of the public key of a PEM certificate or key, as
    Chromium's --ignore-certificate-errors-spki-list wants it."""
    with open(path, "rb") as f:
        pem = f.read()
    if b"CERTIFICATE" in pem:
        pub = subprocess.run(["openssl", "x509", "-pubkey", "-noout"], input=pem,
                             capture_output=True, check=True).stdout
    else:
        pub = subprocess.run(["openssl", "pkey", "-pubout"], input=pem,
                             capture_output=True, check=True).stdout
    der = subprocess.run(["openssl", "pkey", "-pubin", "-outform", "DER"], input=pub,
                         capture_output=True, check=True).stdout
    digest = subprocess.run(["openssl", "dgst", "-sha256", "-binary"], input=der,
                            capture_output=True, check=True).stdout
    return base64.b64encode(digest).decode("ascii")


class Browser:
    """A headless Chromium with a private profile; quits on leaving the
    `with` block, even after an error."""

    def __init__(self, extra_args=None, page_load_timeout=30):
        self.extra_args = list(extra_args or [])
        self.page_load_timeout = page_load_timeout
        self.driver = None
        self._profile = None

    def __enter__(self):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service

        self._profile = tempfile.mkdtemp(prefix="tendrel-chromium-")
        opts = webdriver.ChromeOptions()
        opts.binary_location = CHROMIUM
        for arg in ["--headless=new", "--no-sandbox", "--disable-gpu",
                    "--disable-dev-shm-usage", "--no-first-run",
                    "--user-data-dir=" + self._profile] + self.extra_args:
            opts.add_argument(arg)
        opts.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        try:
            self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=opts)
            self.driver.set_page_load_timeout(self.page_load_timeout)
        except Exception:
            shutil.rmtree(self._profile, ignore_errors=True)
            raise
        return self

    def __exit__(self, *exc):
        try:
            if self.driver is not None:
                self.driver.quit()
        finally:
            self.driver = None
            shutil.rmtree(self._profile, ignore_errors=True)
        return False

    # Console -----------------------------------------------------------
    def logs(self):
        """Console entries since the last call (the browser forgets them once
        read); each a dict with level, message, source."""
        entries = self.driver.get_log("browser")
        self._seen = getattr(self, "_seen", []) + entries
        return entries

    def severe(self):
        """All SEVERE console entries seen so far (errors, uncaught
        exceptions, failed loads), but for the browser's own request of a
        missing favicon.ico, which no page asks for."""
        self.logs()
        return [e for e in self._seen
                if e.get("level") == "SEVERE" and "/favicon.ico " not in e.get("message", "")]

    # Waiting -----------------------------------------------------------
    def wait_css(self, selector, attribute=None, value=None, timeout=10):
        """Waits for an element matching `selector`; with `attribute`, for it
        to have that attribute (and with `value`, that value). Returns the
        element; raises TimeoutError naming what it waited for."""
        from selenium.common.exceptions import StaleElementReferenceException
        from selenium.webdriver.common.by import By

        deadline = time.monotonic() + timeout
        while True:
            try:
                for el in self.driver.find_elements(By.CSS_SELECTOR, selector):
                    if attribute is None:
                        return el
                    got = el.get_attribute(attribute)
                    if got is not None and (value is None or got == value):
                        return el
            except StaleElementReferenceException:
                pass
            if time.monotonic() > deadline:
                raise TimeoutError("no %s%s within %ss" % (
                    selector, "" if attribute is None else " with %s=%r" % (attribute, value), timeout))
            time.sleep(0.05)

    def wait_for(self, predicate, timeout=10, what="condition"):
        """Waits until predicate() is truthy and returns its value."""
        deadline = time.monotonic() + timeout
        while True:
            got = predicate()
            if got:
                return got
            if time.monotonic() > deadline:
                raise TimeoutError("%s not met within %ss" % (what, timeout))
            time.sleep(0.05)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)
