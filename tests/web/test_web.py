#!/usr/bin/python3
"""The browser program in Debian's headless chromium, driven as the desktop
end-to-end tests drive the desktop programs. Serves the site folder on
127.0.0.1 itself. Usage: test_web.py SITE_FOLDER"""

import functools
import http.server
import os
import re
import subprocess
import sys
import tempfile
import threading
import time
import base64

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

DEADLINE_S = 30
TWIPS_PER_PIXEL = 15
RED = (255, 0, 0)
GRID = (10, 10, 10)

# Hashes the canvas as the module hashes its raster: FNV-1a, 64 bits, over
# the bytes red, green, blue, alpha; and counts pixels of a colour.
CANVAS_JS = """
const canvas = document.querySelector('#PicPianoCart canvas');
const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
const colour = arguments[0];
let lo = 0x84222325, hi = 0xcbf29ce4, count = 0;
for (let i = 0; i < data.length; ++i) {
    lo = (lo ^ data[i]) >>> 0;
    const t = lo * 0x1b3;
    const carry = Math.floor(t / 4294967296);
    hi = (hi * 0x1b3 + carry + ((lo << 8) >>> 0)) % 4294967296;
    lo = t >>> 0;
}
for (let i = 0; i < data.length; i += 4) {
    if (data[i] === colour[0] && data[i + 1] === colour[1] && data[i + 2] === colour[2]) ++count;
}
const hex = (n) => n.toString(16).padStart(8, '0');
return {hash: hex(hi) + hex(lo), count: count, width: canvas.width, height: canvas.height,
        expected: LumivarPage.planeHash()};
"""


def wait_for(check, awaited, timeout=DEADLINE_S):
    """Polls until check() gives a true value; fails saying what was awaited."""
    end = time.monotonic() + timeout
    last = None
    while time.monotonic() < end:
        last = check()
        if last:
            return last
        time.sleep(0.05)
    raise AssertionError(f"after {timeout} s still awaiting {awaited} (last seen: {last!r})")


class Page:
    def __init__(self, driver, url):
        self.driver = driver
        self.url = url

    def js(self, script, *arguments):
        return self.driver.execute_script(script, *arguments)

    def load(self):
        self.driver.get(self.url)
        self.await_ready()

    def await_ready(self):
        wait_for(lambda: self.js("return document.body.dataset.ready === 'true'"), "the page ready")

    def control(self, name):
        return self.driver.find_element(By.ID, name)

    def type_into(self, name, text):
        box = self.control(name)
        box.clear()
        box.send_keys(text)

    def click(self, name):
        self.control(name).click()

    def canvas(self, colour=RED):
        return self.js(CANVAS_JS, list(colour))

    def await_plane(self, check, awaited, colour=RED):
        """Waits until the canvas holds the raster and passes the check."""
        def seen():
            state = self.canvas(colour)
            return state if state["hash"] == state["expected"] and check(state) else None
        return wait_for(seen, awaited)

    def message(self):
        return wait_for(lambda: self.js(
            "const d = document.getElementById('message');"
            "return d.open ? document.getElementById('message-text').textContent : null"), "a message")

    def cdp(self, command, **parameters):
        return self.driver.execute_cdp_cmd(command, parameters)


def window_follows_the_table(page):
    assert page.driver.title == "Lumivar 1.0", page.driver.title
    assert page.js("return document.documentElement.lang") == "it"
    design = page.js("return LumivarPage.design")
    for control in design["controls"]:
        left, top, width, height = (v / TWIPS_PER_PIXEL for v in control["place"])
        box = page.js("const r = document.getElementById(arguments[0]).getBoundingClientRect();"
                      "return [r.left, r.top, r.width, r.height]", control["name"])
        assert all(abs(a - b) < 0.5 for a, b in zip(box, (left, top, width, height))), (control["name"], box)
    # The tab order is the table's: the plane first, "Aiuto" last.
    order = []
    page.js("document.querySelector('#PicPianoCart canvas').focus()")
    for _ in range(11):
        page.driver.switch_to.active_element.send_keys(Keys.TAB)
        order.append(page.js("const a = document.activeElement;"
                             "return a.id || a.closest('[id]').id"))
    assert order == ["Check1", "Command1", "Command2", "Command4", "Text1", "Command3", "Text2", "Text3",
                     "Text4", "Command5", "PicPianoCart"], order


def curves_match_the_raster(page):
    page.type_into("Text2", "1")
    page.type_into("Text3", "5")
    page.control("Check1").find_element(By.TAG_NAME, "input").click()
    page.click("Command1")
    first = page.await_plane(lambda s: s["count"] > 500, "the first curve, as the raster holds it")
    page.type_into("Text3", "-9")
    page.type_into("Text4", "2,5")
    # Enter on the focused button, as on the desktop.
    page.control("Command1").send_keys(Keys.ENTER)
    page.await_plane(lambda s: s["count"] > first["count"] + 500, "a second curve over the first")


def fault_keeps_the_points(page):
    before = page.canvas()["count"]
    page.type_into("Text3", "1E39")
    page.click("Command1")
    text = page.message()
    assert text.startswith("Errore di calcolo (overflow"), text
    page.await_plane(lambda s: s["count"] > before // 2, "the earlier curves kept")
    page.click("message-ok")
    wait_for(lambda: not page.js("return document.getElementById('message').open"), "the message closed")


def reset_clears_the_curves(page):
    page.click("Command2")
    page.await_plane(lambda s: s["count"] == 0, "a fresh grid with no curve")


def grid_lines_one_thickness(page):
    """At each ratio every grid line is max(1, round(ratio)) device pixels."""
    try:
        for ratio in (1, 1.25, 1.5, 2):
            # The page's own ratio first, then each screen it is told of,
            # from its own ratio again.
            if ratio != 1:
                page.cdp("Emulation.clearDeviceMetricsOverride")
                wait_for(lambda: page.js("return LumivarPage.ratio") == 1, "the plane back at ratio 1")
                page.cdp("Emulation.setDeviceMetricsOverride", width=800, height=800, deviceScaleFactor=ratio,
                         mobile=False)
            wait_for(lambda: page.js("return LumivarPage.ratio") == ratio, f"the plane drawn at ratio {ratio}")
            page.await_plane(lambda s: s["count"] > 0, f"the grid at ratio {ratio}", GRID)
            # Between two horizontal lines, across every vertical one.
            row = page.js("const c = document.querySelector('#PicPianoCart canvas');"
                          "return Array.from(c.getContext('2d').getImageData(0, Math.floor(c.height * 8.5 / 36),"
                          " c.width, 1).data)")
            runs, run = [], 0
            for i in range(0, len(row), 4):
                if tuple(row[i:i + 3]) == GRID:
                    run += 1
                elif run:
                    runs.append(run)
                    run = 0
            assert len(runs) >= 18 and set(runs) == {max(1, round(ratio))}, (ratio, runs)
    finally:
        page.cdp("Emulation.clearDeviceMetricsOverride")
    wait_for(lambda: page.js("return LumivarPage.ratio") == 1, "the plane back at ratio 1")


def help_windows_open(page):
    main = page.driver.current_window_handle
    page.click("Command5")
    page.click("Command5")
    wait_for(lambda: len(page.driver.window_handles) == 3, "two help windows")
    for handle in page.driver.window_handles:
        if handle != main:
            page.driver.switch_to.window(handle)
            wait_for(lambda: "Questo programma simula" in page.js(
                "return document.getElementById('help-text').textContent"), "the help text")
            assert page.driver.title == "Aiuto"
    page.driver.switch_to.window(main)


def prints_whole_and_sharp(page):
    page.type_into("Text3", "5")
    page.type_into("Text4", "")
    page.click("Command1")
    page.await_plane(lambda s: s["count"] > 500, "a curve to print")
    pdf = base64.b64decode(page.cdp("Page.printToPDF", printBackground=True)["data"])
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "page.pdf")
        with open(path, "wb") as out:
            out.write(pdf)
        info = subprocess.run(["pdfinfo", path], capture_output=True, text=True, check=True).stdout
        assert re.search(r"^Pages:\s+1$", info, re.M), info
        fonts = subprocess.run(["pdffonts", path], capture_output=True, text=True, check=True).stdout
        assert len(fonts.splitlines()) > 2, fonts
        images = subprocess.run(["pdfimages", "-list", path], capture_output=True, text=True,
                                check=True).stdout.splitlines()[2:]
        widths = [int(line.split()[3]) for line in images]
        assert widths and max(widths) >= 741 * 3, images
    # Afterwards, the screen is as it was.
    page.await_plane(lambda s: s["width"] == 741, "the plane back at the screen's ratio")


def starts_offline(page):
    wait_for(lambda: page.js("return navigator.serviceWorker.controller !== null"), "the service worker")
    page.cdp("Network.enable")
    page.cdp("Network.emulateNetworkConditions", offline=True, latency=0, downloadThroughput=-1,
             uploadThroughput=-1)
    try:
        page.driver.refresh()
        page.await_ready()
        page.click("Command2")
        page.await_plane(lambda s: s["count"] > 741 * 30, "the grid, drawn offline", GRID)
    finally:
        page.cdp("Network.emulateNetworkConditions", offline=False, latency=0, downloadThroughput=-1,
                 uploadThroughput=-1)


def chiudi_ends_everything(page):
    # Help windows a page opened before the reload are not this page's.
    main = page.driver.current_window_handle
    before = len(page.driver.window_handles)
    page.click("Command5")
    wait_for(lambda: len(page.driver.window_handles) == before + 1, "one more help window")
    page.driver.switch_to.window(main)
    page.click("Command4")
    wait_for(lambda: len(page.driver.window_handles) == before, "the help window it opened closed")
    assert "Lumivar è terminato" in page.js("return document.body.textContent")


CASES = [window_follows_the_table, curves_match_the_raster, fault_keeps_the_points, reset_clears_the_curves,
         grid_lines_one_thickness, help_windows_open, prints_whole_and_sharp, starts_offline,
         chiudi_ends_everything]


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript",
                      ".webmanifest": "application/manifest+json"}

    def log_message(self, *arguments):
        pass


def main():
    site = os.path.abspath(sys.argv[1])
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0),
                                             functools.partial(QuietHandler, directory=site))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage", "--disable-gpu",
                     "--window-size=800,800", "--disable-popup-blocking"):
        options.add_argument(argument)
    profile = tempfile.TemporaryDirectory()
    options.add_argument(f"--user-data-dir={profile.name}")
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    passed = failed = 0
    try:
        page = Page(driver, f"http://127.0.0.1:{server.server_address[1]}/index.html")
        page.load()
        for case in CASES:
            try:
                case(page)
                passed += 1
                print(f"PASS   : {case.__name__}")
            except Exception as problem:  # one case's failure is reported, the rest still run
                failed += 1
                print(f"FAIL!  : {case.__name__}: {problem}")
                driver.switch_to.window(driver.window_handles[0])
    finally:
        driver.quit()
        server.shutdown()
        profile.cleanup()
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
