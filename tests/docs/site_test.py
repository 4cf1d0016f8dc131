#!/usr/bin/python3
"""Opens the reference site in headless Chromium, as a reader would.

    site_test.py HTML_DIR SCREENSHOT

Fails on a link to a file or anchor the site lacks, a JavaScript error, a
page of VelUt::ParseDelimitedString without its example, or a search for
FormatMessageW that does not lead to its Windows namesake. Saves the index
page to SCREENSHOT.
"""
import functools
import html.parser
import pathlib
import sys
import tempfile
import threading
from http.server import SimpleHTTPRequestHandler, ThreadingHTTPServer

from selenium import webdriver
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait


class Links(html.parser.HTMLParser):
    """The hrefs and the anchor names of one page."""

    def __init__(self):
        super().__init__()
        self.hrefs, self.anchors = [], set()

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        self.anchors.update(v for k, v in attrs.items() if k in ("id", "name") and v)
        if tag == "a" and attrs.get("href"):
            self.hrefs.append(attrs["href"])


class QuietHandler(SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def broken_links(site):
    pages = {}
    for path in site.rglob("*.html"):
        pages[path] = Links()
        pages[path].feed(path.read_text(encoding="utf-8"))
    for path, links in pages.items():
        for href in links.hrefs:
            if ":" in href or href.startswith("#"):  # other sites, scripts, same page
                continue
            target, _, anchor = href.partition("#")
            page = (path.parent / target).resolve()
            if not page.exists() or (anchor and anchor not in pages[page].anchors):
                yield f"{path.name}: {href}"


def main(site, screenshot):
    broken = list(broken_links(site))
    assert not broken, "broken links:\n" + "\n".join(broken)

    handler = functools.partial(QuietHandler, directory=str(site))
    server = ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    root = f"http://127.0.0.1:{server.server_port}"

    options = webdriver.ChromeOptions()
    for flag in ("headless", "no-sandbox", "disable-gpu", "disable-quic", "no-first-run",
                 "disable-background-networking", "disable-component-update", "disable-sync",
                 "window-size=1280,900", "user-data-dir=" + tempfile.mkdtemp()):
        options.add_argument("--" + flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    browser = webdriver.Chrome(options=options)
    wait = WebDriverWait(browser, 10)
    try:
        browser.get(root + "/index.html")
        browser.save_screenshot(str(screenshot))
        assert "libVelUt" in browser.title, f"index title: {browser.title}"

        browser.get(root + "/namespaceVelUt.html")
        browser.find_element(By.LINK_TEXT, "ParseDelimitedString").click()
        doc = wait.until(lambda b: b.find_element(By.ID, browser.current_url.split("#")[1]))
        text = doc.find_element(By.XPATH, "following::div[@class='memdoc']").text
        assert "PDS_QUOTES" in text and "Example" in text, f"ParseDelimitedString: {text}"

        browser.get(root + "/index.html")
        browser.find_element(By.ID, "MSearchField").send_keys("FormatMessageW")
        frames = browser.find_elements(By.ID, "MSearchResults")  # an iframe before 1.9.5
        wait.until(lambda b: b.find_element(By.ID, "MSearchResultsWindow").is_displayed())
        if frames and frames[0].tag_name == "iframe":
            browser.switch_to.frame(frames[0])
        wait.until(lambda b: b.find_element(By.LINK_TEXT, "FormatMessageW")).click()
        browser.switch_to.default_content()
        wait.until(lambda b: "#" in b.current_url)
        anchor = browser.find_element(By.ID, browser.current_url.split("#")[1])
        text = anchor.find_element(By.XPATH, "following::div[@class='memdoc']").text
        assert "Windows namesake:\nFormatMessageW" in text, f"FormatMessageW: {text}"

        # The browser asks every site for /favicon.ico, which Doxygen does not make.
        errors = [e["message"] for e in browser.get_log("browser")
                  if e["level"] == "SEVERE" and "/favicon.ico " not in e["message"]]
        assert not errors, "JavaScript errors:\n" + "\n".join(errors)
    finally:
        browser.quit()
        server.shutdown()


if __name__ == "__main__":
    main(pathlib.Path(sys.argv[1]).resolve(), pathlib.Path(sys.argv[2]).resolve())
    print("site_test: passed")
