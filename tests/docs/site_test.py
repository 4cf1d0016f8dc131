#!/usr/bin/python3
"""site_test.py HTML_DIR SCREENSHOT: the reference site in headless Chromium."""
import functools
import pathlib
import re
import sys
import tempfile
import threading
from http.server import SimpleHTTPRequestHandler, ThreadingHTTPServer

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait


def broken_links(site):
    pages = {path: path.read_text(encoding="utf-8") for path in site.rglob("*.html")}
    anchors = {path: set(re.findall(r' (?:id|name)="([^"]+)"', text))
               for path, text in pages.items()}
    for path, text in pages.items():
        for href in re.findall(r'<a [^>]*href="([^":#][^":]*|#[^"]*)"', text):
            target, _, anchor = href.partition("#")
            page = (path.parent / target).resolve() if target else path
            if page not in pages or (anchor and anchor not in anchors[page]):
                yield f"{path.name}: {href}"


def documentation(browser, wait):
    """The text of the member that the current URL's anchor names."""
    anchor = wait.until(lambda b: b.find_element(By.ID, b.current_url.split("#")[-1]))
    return anchor.find_element(By.XPATH, "following::div[@class='memdoc']").text


def main(site, screenshot):
    broken = list(broken_links(site))
    assert not broken, "broken links:\n" + "\n".join(broken)
    handler = type("Quiet", (SimpleHTTPRequestHandler,), {"log_message": lambda *_: None})
    server = ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(handler, directory=site))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    root = f"http://127.0.0.1:{server.server_port}"
    options = webdriver.ChromeOptions()
    for flag in ("headless", "no-sandbox", "disable-gpu", "disable-quic", "no-first-run",
                 "disable-background-networking", "disable-component-update", "disable-sync",
                 "window-size=1280,900", "user-data-dir=" + tempfile.mkdtemp()):
        options.add_argument("--" + flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    wait = WebDriverWait(browser, 10)
    try:
        browser.get(root + "/index.html")
        browser.save_screenshot(str(screenshot))
        browser.get(root + "/namespaceVelUt.html")
        browser.find_element(By.LINK_TEXT, "ParseDelimitedString").click()
        text = documentation(browser, wait)
        assert "PDS_QUOTES" in text and "Example" in text, f"ParseDelimitedString: {text}"
        # The search box of the page just read.
        browser.find_element(By.ID, "MSearchField").send_keys("FormatMessageW")
        wait.until(lambda b: b.find_element(By.ID, "MSearchResultsWindow").is_displayed())
        results = browser.find_element(By.ID, "MSearchResults")  # an iframe before Doxygen 1.9.5
        if results.tag_name == "iframe":
            browser.switch_to.frame(results)
        wait.until(lambda b: b.find_element(By.LINK_TEXT, "FormatMessageW")).click()
        browser.switch_to.default_content()
        text = documentation(browser, wait)
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
