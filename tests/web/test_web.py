#!/usr/bin/python3
"""The browser program driven as the desktop end-to-end tests drive the
desktop programs, the same cases in each engine through one thin adapter per
engine. Serves the site folder on 127.0.0.1 itself.
Usage: test_web.py chromium|webkit|firefox SITE_FOLDER"""

import base64
import functools
import glob
import http.server
import inspect
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

DEADLINE_S = 30
RED = (255, 0, 0)
GRID = (10, 10, 10)
HERE = os.path.dirname(os.path.abspath(__file__))

# Hashes the canvas and the module's raster alike, FNV-1a over the bytes red,
# green, blue, alpha, and counts the canvas's pixels of a colour.
CANVAS_JS = """
const canvas = document.querySelector('#PicPianoCart canvas');
const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
const raster = HEAPU8.subarray(Module._lumivarPixels(), Module._lumivarPixels() + data.length);
const colour = arguments[0];
const hash = (bytes) => bytes.reduce((h, byte) => Math.imul(h ^ byte, 0x01000193) >>> 0, 0x811c9dc5);
let count = 0;
for (let i = 0; i < data.length; i += 4) {
    if (data[i] === colour[0] && data[i + 1] === colour[1] && data[i + 2] === colour[2]) ++count;
}
return {hash: hash(data), count: count, width: canvas.width, height: canvas.height, expected: hash(raster)};
"""

# The window's place on the screen, and whether the canvas lies on whole
# device pixels, so that it is shown as drawn, not resampled.
FIT_JS = """
const form = document.getElementById('form1').getBoundingClientRect();
const canvas = document.querySelector('#PicPianoCart canvas');
const box = canvas.getBoundingClientRect();
const ratio = window.devicePixelRatio;
const whole = (v) => Math.abs(v * ratio - Math.round(v * ratio)) < 0.05;
return {right: form.right, bottom: form.bottom, width: document.documentElement.clientWidth,
        height: document.documentElement.clientHeight, scale: Fitting.scale,
        chiudi: document.getElementById('Command4').getBoundingClientRect().bottom,
        crisp: whole(box.left) && whole(box.top) && Math.abs(box.width * ratio - canvas.width) < 0.02
               && Math.abs(box.height * ratio - canvas.height) < 0.02};
"""

# Each label's enclosed holes (background four-connected) and pieces of ink
# (eight-connected), at each ratio.
LABELS_JS = """
const [ratios, texts] = arguments;
// Regions of ink or of background; for background, those not at the edge.
const regions = (mask, width, height, ink, neighbours) => {
    const seen = new Uint8Array(width * height);
    let counted = 0;
    for (let start = 0; start < width * height; ++start) {
        if (seen[start] || mask[start] !== ink) continue;
        let open = false;
        const stack = [start];
        for (seen[start] = 1; stack.length;) {
            const at = stack.pop(), x = at % width, y = (at - x) / width;
            open = open || x === 0 || y === 0 || x === width - 1 || y === height - 1;
            for (const [nx, ny] of neighbours.map(([dx, dy]) => [x + dx, y + dy])) {
                const next = ny * width + nx;
                if (nx >= 0 && ny >= 0 && nx < width && ny < height && !seen[next] && mask[next] === ink) {
                    seen[next] = 1;
                    stack.push(next);
                }
            }
        }
        counted += ink || !open ? 1 : 0;
    }
    return counted;
};
const four = [[1, 0], [-1, 0], [0, 1], [0, -1]];
const eight = four.concat([[1, 1], [1, -1], [-1, 1], [-1, -1]]);
const found = {};
for (const ratio of ratios) {
    found[ratio] = texts.map((text) => {
        const {ink, width, height} = Labels.mask(text, ratio);
        return [regions(ink, width, height, 0, four), regions(ink, width, height, 1, eight)];
    });
}
return found;
"""

# A help window's text, size, and the text's font families and size.
HELP_JS = """
const text = document.getElementById('help-text');
const style = text ? getComputedStyle(text) : {fontFamily: '', fontSize: ''};
return [text ? text.textContent : '', window.innerWidth, window.innerHeight, style.fontFamily, style.fontSize];
"""

LABEL_TEXTS = [str(n) for n in range(-18, 19)]
HOLES = {"0": 1, "4": 1, "6": 1, "8": 2, "9": 1}


class Skipped(Exception):
    """What this engine cannot do, said instead of a pass."""


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


class Engine:
    """What only some engines' drivers do: print to PDF, read the
    accessibility tree, cut the network."""

    def help_texts(self):
        return self.in_help_windows(HELP_JS)

    @staticmethod
    def pdf(paper, landscape):
        return None

    @staticmethod
    def accessible(selector):
        return None

    @staticmethod
    def offline(cut):
        return False


class Selenium(Engine):
    """What Chromium and WebKit share: a WebDriver session through Selenium."""

    def __init__(self, driver):
        self.driver = driver
        self.main = driver.current_window_handle

    def load(self, url):
        self.driver.get(url)

    def js(self, body, *arguments):
        return self.driver.execute_script(body, *arguments)

    def click(self, selector):
        from selenium.webdriver.common.by import By
        self.driver.find_element(By.CSS_SELECTOR, selector).click()

    def type(self, selector, text):
        from selenium.webdriver.common.by import By
        box = self.driver.find_element(By.CSS_SELECTOR, selector)
        box.clear()
        if text:
            box.send_keys(text)

    def press(self, selector, key):
        from selenium.webdriver.common.by import By
        from selenium.webdriver.common.keys import Keys
        element = (self.driver.find_element(By.CSS_SELECTOR, selector) if selector
                   else self.driver.switch_to.active_element)
        element.send_keys({"Tab": Keys.TAB, "Enter": Keys.ENTER}[key])

    def heard_as(self, selector, role, name):
        from selenium.webdriver.common.by import By
        element = self.driver.find_element(By.CSS_SELECTOR, selector)
        return (element.aria_role, element.accessible_name) == (role, name)

    def windows(self):
        return len(self.driver.window_handles)

    def in_help_windows(self, body):
        results = []
        for handle in self.driver.window_handles:
            if handle != self.main:
                self.driver.switch_to.window(handle)
                results.append(self.js(body))
        self.driver.switch_to.window(self.main)
        return results

    def to_main(self):
        for handle in self.driver.window_handles:
            if handle != self.main:
                self.driver.switch_to.window(handle)
                self.driver.close()
        self.driver.switch_to.window(self.main)

    def quit(self):
        self.driver.quit()


class Profile:
    """A browser's profile folder: a fresh one, removed at the end, or one
    kept across browser starts by the caller."""

    def __init__(self, kept=None):
        self.owned = None if kept else tempfile.TemporaryDirectory()
        self.name = kept or self.owned.name

    def cleanup(self):
        if self.owned:
            self.owned.cleanup()


class Chromium(Selenium):
    KEEPS_PROFILE = True

    def __init__(self, profile=None):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        self.profile = Profile(profile)
        for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage", "--disable-gpu",
                         "--window-size=800,800", "--disable-popup-blocking", "--disable-background-networking",
                         "--disable-component-update", "--disable-sync", "--no-first-run",
                         "--disable-features=Translate", f"--user-data-dir={self.profile.name}"):
            options.add_argument(argument)
        super().__init__(webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options))

    def cdp(self, command, **parameters):
        return self.driver.execute_cdp_cmd(command, parameters)

    def screen(self, width, height, ratio, touch=False):
        self.cdp("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=ratio,
                 mobile=touch)
        self.cdp("Emulation.setTouchEmulationEnabled", enabled=touch, maxTouchPoints=5)
        return True

    def reset_screen(self):
        self.cdp("Emulation.clearDeviceMetricsOverride")
        self.cdp("Emulation.setTouchEmulationEnabled", enabled=False)

    def pdf(self, paper, landscape):
        width, height = PAPERS_IN[paper]
        return base64.b64decode(self.cdp("Page.printToPDF", printBackground=True, landscape=landscape,
                                         paperWidth=width, paperHeight=height)["data"])

    def accessible(self, selector):
        """The name and description assistive technology is given."""
        root = self.cdp("DOM.getDocument", depth=0)["root"]["nodeId"]
        node = self.cdp("DOM.querySelector", nodeId=root, selector=selector)["nodeId"]
        found = self.cdp("Accessibility.getPartialAXTree", nodeId=node, fetchRelatives=False)["nodes"][0]
        return [found.get(field, {}).get("value", "") for field in ("name", "description")]

    def offline(self, cut):
        self.cdp("Network.enable")
        self.cdp("Network.emulateNetworkConditions", offline=cut, latency=0, downloadThroughput=-1,
                 uploadThroughput=-1)
        return True

    def quit(self):
        super().quit()
        self.profile.cleanup()


class WebKit(Selenium):
    """WebKitGTK's MiniBrowser under a private Xvfb. It reports no zoom and
    no other ratio than the display's, and prints only through its dialog.
    Its automation sessions keep nothing between starts."""

    KEEPS_PROFILE = False

    def __init__(self):
        from selenium import webdriver
        from selenium.webdriver.webkitgtk.service import Service
        options = webdriver.WebKitGTKOptions()
        # Debian 13 ships it with WebKitGTK 6, Debian 12 with 4.1.
        browsers = sorted(glob.glob("/usr/lib/*/webkitgtk-6.0/MiniBrowser")) + \
            sorted(glob.glob("/usr/lib/*/webkit2gtk-4.1/MiniBrowser"))
        if not browsers:
            raise AssertionError("no MiniBrowser: is webkit2gtk-driver installed?")
        options.binary_location = browsers[0]
        options.add_argument("--automation")
        self.xvfb = start_xvfb()
        try:
            # Selenium before 4.10 takes the driver's path, later ones a service.
            if "service" in inspect.signature(webdriver.WebKitGTK.__init__).parameters:
                driver = webdriver.WebKitGTK(options=options, service=Service("/usr/bin/WebKitWebDriver"))
            else:
                driver = webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver", options=options,
                                             service_log_path=os.devnull)
            super().__init__(driver)
        except Exception:
            self.xvfb.kill()
            raise

    def screen(self, width, height, ratio, touch=False):
        if ratio != 1 or touch:
            return False
        outer = self.js("return [window.outerWidth - window.innerWidth, window.outerHeight - window.innerHeight]")
        self.driver.set_window_size(width + outer[0], height + outer[1])
        return True

    def reset_screen(self):
        self.screen(800, 800, 1)

    def quit(self):
        super().quit()
        self.xvfb.terminate()
        self.xvfb.wait()


def to_bidi(value):
    """A Python value as WebDriver BiDi's local value."""
    if value is None:
        return {"type": "null"}
    if isinstance(value, bool):
        return {"type": "boolean", "value": value}
    if isinstance(value, (int, float)):
        return {"type": "number", "value": value}
    if isinstance(value, str):
        return {"type": "string", "value": value}
    return {"type": "array", "value": [to_bidi(v) for v in value]}


def from_bidi(remote):
    """WebDriver BiDi's remote value as a Python value."""
    kind, value = remote["type"], remote.get("value")
    if kind in ("array", "set"):
        return [from_bidi(v) for v in value]
    if kind == "object":
        return {key if isinstance(key, str) else from_bidi(key): from_bidi(v) for key, v in value}
    return None if kind in ("null", "undefined") else value


class Firefox(Engine):
    """Debian's Firefox ESR over WebDriver BiDi, which it speaks itself."""

    KEYS = {"Tab": "\ue004", "Enter": "\ue007"}
    KEEPS_PROFILE = True

    def __init__(self, profile=None):
        import websocket
        self.profile = Profile(profile)
        with open(os.path.join(self.profile.name, "user.js"), "w") as prefs:
            for pref in ('"dom.disable_open_during_load", false', '"browser.translations.enable", false',
                         '"browser.shell.checkDefaultBrowser", false', '"datareporting.policy.dataSubmissionEnabled", false'):
                prefs.write(f"user_pref({pref});\n")
        self.process = subprocess.Popen(["firefox-esr", "--headless", "--no-remote", "--profile", self.profile.name,
                                         "--remote-debugging-port=0", "about:blank"],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        for line in self.process.stderr:
            found = re.search(r"WebDriver BiDi listening on (ws://\S+)", line)
            if found:
                break
        else:
            raise AssertionError("Firefox did not start its WebDriver BiDi server")
        threading.Thread(target=self.process.stderr.read, daemon=True).start()  # never a full pipe
        # Firefox refuses a connection that names an origin.
        self.socket = websocket.create_connection(found.group(1) + "/session", timeout=DEADLINE_S * 4,
                                                  suppress_origin=True)
        self.sent = 0
        self.send("session.new", capabilities={})
        self.main = self.contexts()[0]["context"]

    def send(self, method, **params):
        self.sent += 1
        self.socket.send(json.dumps({"id": self.sent, "method": method, "params": params}))
        while True:
            answer = json.loads(self.socket.recv())
            if answer.get("id") == self.sent:
                break
        if answer.get("type") == "error":
            raise AssertionError(f"{method}: {answer.get('error')}: {answer.get('message')}")
        return answer["result"]

    def contexts(self):
        return self.send("browsingContext.getTree", maxDepth=0)["contexts"]

    def load(self, url):
        self.send("browsingContext.navigate", context=self.main, url=url, wait="complete")

    def js(self, body, *arguments, context=None):
        result = self.send("script.callFunction", functionDeclaration=f"function () {{ {body} }}",
                           arguments=[to_bidi(a) for a in arguments], target={"context": context or self.main},
                           awaitPromise=True, resultOwnership="none")
        if result["type"] == "exception":
            raise AssertionError(f"js: {result['exceptionDetails']['text']}")
        return from_bidi(result["result"])

    def keys(self, text):
        actions = [{"type": kind, "value": key} for key in text for kind in ("keyDown", "keyUp")]
        self.send("input.performActions", context=self.main, actions=[{"type": "key", "id": "keys", "actions": actions}])

    def click(self, selector):
        x, y = self.js("const r = document.querySelector(arguments[0]).getBoundingClientRect();"
                       "return [Math.round(r.left + r.width / 2), Math.round(r.top + r.height / 2)]", selector)
        actions = [{"type": "pointerMove", "x": x, "y": y}, {"type": "pointerDown", "button": 0},
                   {"type": "pointerUp", "button": 0}]
        self.send("input.performActions", context=self.main,
                  actions=[{"type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"}, "actions": actions}])

    def type(self, selector, text):
        self.js("const box = document.querySelector(arguments[0]); box.value = ''; box.focus()", selector)
        self.keys(text)

    def press(self, selector, key):
        if selector:
            self.js("document.querySelector(arguments[0]).focus()", selector)
        self.keys(self.KEYS[key])

    def heard_as(self, selector, role, name):
        found = [self.send("browsingContext.locateNodes", context=self.main, locator=locator)["nodes"]
                 for locator in ({"type": "css", "value": selector},
                                 {"type": "accessibility", "value": {"role": role, "name": name}})]
        return found[0][0]["sharedId"] in [node["sharedId"] for node in found[1]]

    def windows(self):
        return len(self.contexts())

    def in_help_windows(self, body):
        return [self.js(body, context=c["context"]) for c in self.contexts() if c["url"].endswith("help.html")]

    def to_main(self):
        for context in self.contexts():
            if context["context"] != self.main:
                self.send("browsingContext.close", context=context["context"])

    def screen(self, width, height, ratio, touch=False):
        # Firefox here emulates no touch screen: no coarse pointer.
        if touch:
            return False
        self.send("browsingContext.setViewport", context=self.main, viewport={"width": width, "height": height},
                  devicePixelRatio=ratio)
        return True

    def reset_screen(self):
        self.screen(800, 800, 1)

    def pdf(self, paper, landscape):
        width, height = PAPERS_IN[paper]
        return base64.b64decode(self.send("browsingContext.print", context=self.main, background=True,
                                          orientation="landscape" if landscape else "portrait",
                                          page={"width": width * 2.54, "height": height * 2.54})["data"])

    def quit(self):
        try:
            self.send("session.end")
        finally:
            self.socket.close()
            self.process.terminate()
            self.process.wait()
            self.profile.cleanup()


PAPERS_IN = {"A4": (8.27, 11.69), "A5": (5.83, 8.27), "Letter": (8.5, 11)}
ENGINES = {"chromium": Chromium, "webkit": WebKit, "firefox": Firefox}


def start_xvfb():
    """A private X server. It keeps running as clients come and go: by
    default an X server resets when its last client leaves, and refuses
    connections meanwhile."""
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                             "-noreset"],
                            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as display:
        number = display.readline().strip()
    if not number:
        raise AssertionError("Xvfb gave no display")
    os.environ["DISPLAY"] = f":{number}"
    return xvfb


class Page:
    """The cases' view of the page, whatever engine shows it."""

    def __init__(self, engine, url):
        self.engine = engine
        self.url = url

    def js(self, body, *arguments):
        return self.engine.js(body, *arguments)

    def load(self, url=None):
        self.engine.load(url or self.url)
        self.await_ready()

    def await_ready(self):
        wait_for(lambda: self.js("return document.body.dataset.ready === 'true'"), "the page ready")

    def type_into(self, name, text):
        self.engine.type(f"#{name}", text)

    def click(self, name):
        self.engine.click(f"#{name}")

    def canvas(self, colour=RED):
        return self.js(CANVAS_JS, list(colour))

    def await_plane(self, check, awaited, colour=RED):
        """Waits until the canvas holds the raster and passes the check."""
        def seen():
            state = self.canvas(colour)
            return state if state["hash"] == state["expected"] and check(state) else None
        return wait_for(seen, awaited)

    def plot_a_curve(self):
        self.type_into("Text2", "1")
        self.type_into("Text3", "5")
        if not self.js("return document.querySelector('#Check1 input').checked"):
            self.engine.click("#Check1 input")
        self.click("Command1")
        return self.await_plane(lambda s: s["count"] > 500, "a curve, as the raster holds it")

    def overflow(self):
        """A curve, then the same with an amplitude past the floats' range:
        the message it brings, open."""
        self.plot_a_curve()
        self.type_into("Text3", "1E39")
        self.click("Command1")
        return self.message()

    def close_message(self):
        self.click("message-ok")
        wait_for(lambda: not self.js("return document.getElementById('message').open"), "the message closed")
        self.type_into("Text3", "5")

    def message(self):
        return wait_for(lambda: self.js(
            "const d = document.getElementById('message');"
            "return d.open ? document.getElementById('message-text').textContent : null"), "a message")

    def on_screen(self, width, height, ratio, touch=False):
        """The page on another screen, once it has fitted itself to it."""
        if not self.engine.screen(width, height, ratio, touch):
            return None
        self.await_ready()
        def fitted():
            fit = self.js(FIT_JS)
            return fit if (fit["width"], fit["height"]) == (width, height) else None
        return wait_for(fitted, f"the page on a {width} x {height} screen at ratio {ratio}")


def starts_whole(page):
    assert page.js("return document.title") == "Lumivar 1.0"
    assert page.js("return document.documentElement.lang") == "it"
    assert page.js("return document.body.dataset.failed") is None
    # The scale and the places read at once: a window of its own may still
    # be taking its designed size.
    scale, places = page.js("const f = document.getElementById('form1').getBoundingClientRect();"
                            "return [Fitting.scale, LumivarPage.design.controls.filter((c) => c.kind !== 'plane').map((c) => {"
                            "const r = document.getElementById(c.name).getBoundingClientRect();"
                            "return [c.name, c.place, [r.left - f.left, r.top - f.top, r.width, r.height]]; })]")
    for name, place, box in places:
        expected = [v * scale for v in place]
        assert all(abs(a - b) < 0.5 for a, b in zip(box, expected)), (name, box, expected)
    assert page.js("return document.activeElement.id || document.activeElement.closest('[id]').id") == \
        "PicPianoCart"


def named_as_on_the_desktop(page):
    """The plane's description, the check box's name and the message's text
    reach assistive technology."""
    plane = page.engine.accessible("#PicPianoCart canvas")
    if plane is None:
        raise Skipped("no accessibility tree through the driver")
    assert plane[0] == "Piano cartesiano" and plane[1].startswith("Piano cartesiano della curva di luce"), plane
    check = page.engine.accessible("#Check1 input")
    assert check[0] == "CURVA" and "traccia anche la curva" in check[1], check
    page.engine.click("#Check1 input")
    page.type_into("Text2", "1")
    page.type_into("Text3", "1E39")
    page.click("Command1")
    page.message()
    message = page.engine.accessible("#message")
    assert message[1].startswith("Errore di calcolo"), message
    page.click("message-ok")
    page.type_into("Text3", "")


# Where each kind of control takes the keyboard, and the role it is heard as
# (ARIA 1.3 names an image "image", earlier engines "img").
HEARD_AS = {"plane": ("#{} canvas", "image"), "check": ("#{} input", "checkbox"), "button": ("#{}", "button"),
            "box": ("#{}", "textbox")}


def each_control_heard_as_designed(page):
    """Every control's role and name as the window's table gives them, the
    title as the page's heading, and a message as an alert dialog."""
    page.load()
    heard = lambda selector, role, name: (page.engine.heard_as(selector, role, name)
                                          or role == "image" and page.engine.heard_as(selector, "img", name))
    wrong = [(selector, role, name) for selector, role, name in
             [(HEARD_AS[c["kind"]][0].format(c["name"]), HEARD_AS[c["kind"]][1], c["accessibleName"])
              for c in page.js("return LumivarPage.design.controls") if c["kind"] in HEARD_AS]
             + [("h1", "heading", "Lumivar 1.0")] if not heard(selector, role, name)]
    page.overflow()
    if not heard("#message", "alertdialog", "Lumivar 1.0"):
        wrong.append(("#message", "alertdialog", "Lumivar 1.0"))
    page.close_message()
    assert not wrong, wrong


def tab_goes_round_the_window(page):
    """The tab order is the table's: the plane first, "Aiuto" last."""
    page.js("document.querySelector('#PicPianoCart canvas').focus()")
    order = []
    for _ in range(11):
        page.engine.press(None, "Tab")
        order.append(page.js("const a = document.activeElement; return a.id || a.closest('[id]').id"))
    assert order == ["Check1", "Command1", "Command2", "Command4", "Text1", "Command3", "Text2", "Text3",
                     "Text4", "Command5", "PicPianoCart"], order


def curves_match_the_raster(page):
    first = page.plot_a_curve()
    page.type_into("Text3", "-9")
    page.type_into("Text4", "2,5")
    # Enter on the focused button, as on the desktop.
    page.engine.press("#Command1", "Enter")
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
    page.type_into("Text3", "5")


def reset_clears_the_curves(page):
    page.click("Command2")
    page.await_plane(lambda s: s["count"] == 0, "a fresh grid with no curve")


# Screens: CSS pixels across and down, device pixels to a CSS pixel (zoom
# included), touch. Each at a size of its own: an emulated ratio alone is
# not always reported to the page.
SCREENS = [(800, 800, 1, False), (801, 800, 0.67, False), (802, 800, 0.9, False), (803, 800, 1.25, False),
           (804, 800, 1.5, False), (805, 800, 2, False),
           # A Chromebook's tab, a laptop at 125 %, an iPad in landscape.
           (1366, 650, 1, False), (1229, 600, 1.25, False), (1180, 820, 2, True)]


def fits_every_screen(page):
    """The whole window shows, as large as fits, crisp, and every grid line
    is max(1, round(ratio)) device pixels."""
    skipped = []
    try:
        for width, height, ratio, touch in SCREENS:
            if page.on_screen(width, height, ratio, touch) is None:
                skipped.append((width, height, ratio, "touch" if touch else "mouse"))
                continue
            fit = wait_for(lambda: (lambda f: f if f["crisp"] and f["right"] <= width + 0.5
                                    and f["bottom"] <= height + 0.5 else None)(page.js(FIT_JS)),
                           f"the window whole and crisp on {width} x {height} at {ratio}")
            assert fit["scale"] >= 0.67 and (touch or fit["scale"] <= 1), fit
            assert fit["scale"] == 1 or fit["right"] >= width - 2 or fit["bottom"] >= height - 2, fit
            page.click("Command2")
            page.await_plane(lambda s: s["count"] > 0, f"the grid on {width} x {height} at {ratio}", GRID)
            # Between two horizontal lines, across every vertical one.
            row = page.js("const c = document.querySelector('#PicPianoCart canvas');"
                          "return Array.from(c.getContext('2d').getImageData(0, Math.floor(c.height * 8.5 / 36),"
                          " c.width, 1).data)")
            runs = [len(run) for run in re.findall(r"G+", "".join(
                "G" if tuple(row[i:i + 3]) == GRID else "." for i in range(0, len(row), 4)))]
            device = ratio * fit["scale"]
            assert len(runs) >= 18 and set(runs) == {max(1, int(device + 0.5))}, (width, ratio, runs)
    finally:
        page.engine.reset_screen()
        page.await_ready()
    if skipped:
        raise Skipped(f"no emulated screen {skipped}")


# Each button's and the check box's hit area down its middle, in CSS
# pixels, and whether its own drawing is wholly its own to the pointer.
REACH_JS = """
return [...document.querySelectorAll('#form1 > .reach')].map((control) => {
    const box = control.getBoundingClientRect();
    const x = box.left + box.width / 2;
    const hits = (y) => document.elementFromPoint(x, y)?.closest('.reach') === control;
    let top = box.top, bottom = box.bottom;
    for (; hits(top - 0.25); top -= 0.25);
    for (; hits(bottom + 0.25); bottom += 0.25);
    // The design lets two controls overlap by a pixel; engines snap the
    // point and the boxes to pixels.
    return [control.querySelector('button')?.id ?? control.id, bottom - top, hits(box.top + 3) && hits(box.bottom - 3)];
});
"""


def fingers_reach_each_control(page):
    """At the designed size, on a screen with a mouse and on an iPad, each
    button and the check box takes a pointer 24 pixels high, never over a
    neighbour's drawing."""
    try:
        for width, height, ratio, touch in ((1000, 800, 1, False), (1180, 820, 2, True)):
            if page.on_screen(width, height, ratio, touch) is None:
                continue
            scale = page.js("return Fitting.scale")
            short = [(name, reach) for name, reach, own in page.js(REACH_JS) if reach < 24 - 0.25 or not own]
            assert scale >= 1 and not short, (width, height, scale, short)
        # A press in «Reset»'s reach, above what is drawn, is «Reset»'s.
        page.plot_a_curve()
        page.js("const box = document.getElementById('Command2').getBoundingClientRect();"
                "document.elementFromPoint(box.left + box.width / 2, box.top - 1).click()")
        page.await_plane(lambda s: s["count"] == 0, "the curves gone at a press beside «Reset»")
    finally:
        page.engine.reset_screen()
        page.await_ready()


def labels_keep_their_strokes(page):
    """Each label keeps its digits' holes at every ratio, and each character
    stays one piece of ink."""
    ratios = [0.67, 0.8, 0.9, 1, 1.1, 1.25, 1.5, 2]
    characters = list("-0123456789")
    found = page.js(LABELS_JS, ratios, LABEL_TEXTS + characters)
    wrong = []
    for ratio in ratios:
        for text, (holes, pieces) in zip(LABEL_TEXTS + characters, found[str(ratio)]):
            expected = sum(HOLES.get(c, 0) for c in text)
            if holes != expected or (len(text) == 1 and pieces != 1):
                wrong.append((ratio, text, holes, expected, pieces))
    assert not wrong, wrong
    # The same picture at every load.
    page.load()
    again = page.js(LABELS_JS, [1.1], LABEL_TEXTS + characters)
    assert again["1.1"] == found["1.1"]


def help_windows_open(page):
    before = page.engine.windows()
    page.click("Command5")
    page.click("Command5")
    # At the designed size, not the launcher's, once each has sized itself;
    # one may be kept within the screen by the browser.
    design = page.js("return LumivarPage.design")
    designed = design["helpClient"][2:]
    texts = wait_for(lambda: (lambda t: t if len(t) == 2 and all("Questo programma simula" in x[0] for x in t)
                              and designed in [[width, height] for _, width, height, *_ in t] else None)(
                                  page.engine.help_texts()),
                     "two help windows with the help text, one at the designed size")
    assert page.engine.windows() == before + 2, texts
    # In the designed font, as each engine writes a list of families.
    families = lambda css: [family.strip().strip("\"'") for family in css.split(",")]
    for _, _, _, family, size in texts:
        assert families(family) == families(design["helpFont"]), (family, design["helpFont"])
        assert float(size.removesuffix("px")) == design["helpFontPixels"], (size, design["helpFontPixels"])
    page.engine.to_main()


def print_prepared(page):
    """Before a print the plane is drawn at the printer's resolution; after
    it, at the screen's again."""
    page.plot_a_curve()
    screen = page.canvas()["width"]
    page.js("window.dispatchEvent(new Event('beforeprint'))")
    wait_for(lambda: page.js("const i = document.querySelector('#PicPianoCart img');"
                             "return i.complete && i.naturalWidth >= 741 * 3"), "the plane's picture for print")
    page.js("window.dispatchEvent(new Event('afterprint'))")
    page.await_plane(lambda s: s["width"] == screen, "the plane back at the screen's ratio")


def prints_whole_on_any_paper(page):
    for paper, landscape in (("A4", False), ("A5", False), ("A5", True), ("A4", True), ("Letter", False)):
        pdf = page.engine.pdf(paper, landscape)
        if pdf is None:
            raise Skipped("no print to PDF through the driver")
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "page.pdf")
            with open(path, "wb") as out:
                out.write(pdf)
            run = functools.partial(subprocess.run, capture_output=True, text=True, check=True)
            info = run(["pdfinfo", path]).stdout
            assert re.search(r"^Pages:\s+1$", info, re.M), (paper, landscape, info)
            text = run(["pdftotext", "-layout", path, "-"]).stdout
            for caption in ("CURVA", "Disegna grafico e curve", "Chiudi", "Oscillazione massima"):
                assert caption in text, (paper, landscape, caption, text)
            images = run(["pdfimages", "-list", path]).stdout.splitlines()[2:]
            plane = max(images, key=lambda line: int(line.split()[3]))
            columns = plane.split()
            # In proportion, and at least 300 pixels to the inch.
            x_ppi, y_ppi = float(columns[12]), float(columns[13])
            assert abs(x_ppi - y_ppi) / x_ppi < 0.02 and x_ppi >= 300, (paper, landscape, plane)


def starts_offline(page):
    if not page.engine.offline(False):
        raise Skipped("no network to cut through the driver")
    wait_for(lambda: page.js("return navigator.serviceWorker.controller !== null"), "the service worker")
    page.engine.offline(True)
    try:
        page.load()
        page.click("Command2")
        page.await_plane(lambda s: s["count"] > 741 * 30, "the grid, drawn offline", GRID)
    finally:
        page.engine.offline(False)


def chiudi_ends_everything(page):
    """After a reload too, «Chiudi» closes the help windows."""
    before = page.engine.windows()
    page.click("Command5")
    wait_for(lambda: sum(1 for text, *_ in page.engine.help_texts() if text) == before,
             "a help window, with its text")
    # A tab with more history than the page, which the page may not close.
    # (One whose only entry is the page closes, in Firefox 140, and the
    # browser with it.)
    page.js("history.pushState(null, '')")
    page.load()
    page.click("Command4")
    wait_for(lambda: page.engine.windows() == before, "the help window opened before the reload closed")
    assert "Lumivar è terminato" in page.js("return document.body.textContent")


# axe-core, from the lock file beside this script (npm ci), and the rules
# the page is held to: WCAG 2.2 A and AA, and best practice.
AXE_JS = os.path.join(HERE, "node_modules", "axe-core", "axe.min.js")
AXE_RUN_JS = """
const tags = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa', 'best-practice'];
return axe.run(document, {runOnly: {type: 'tag', values: tags}, resultTypes: ['violations']}).then(
    (found) => found.violations.flatMap((v) => v.nodes.map((n) => [v.id, n.target.join(' ')])));
"""
# What the designed window makes unavoidable, with the reason.
AXE_EXCEPTIONS = {
    # axe measures each control's own box, which the design keeps at 13 to
    # 20 pixels high with 4 pixels between; their hit areas reach 24 pixels
    # (fingers_reach_each_control).
    "target-size": {'input[type="checkbox"]', "#Command2", "#Command3", "#Command5", "#Command4"},
}


def meets_wcag_in_each_state(page):
    """No violation axe-core finds at start, after a plot, with a message
    open, and in a help window."""
    with open(AXE_JS) as source:
        check = source.read() + AXE_RUN_JS
    found = {"start": page.js(check)}
    page.plot_a_curve()
    found["after a plot"] = page.js(check)
    page.overflow()
    found["with a message"] = page.js(check)
    page.close_message()
    page.click("Command5")
    wait_for(lambda: any(text for text, *_ in page.engine.help_texts()), "a help window, with its text")
    found["in a help window"] = page.engine.in_help_windows(check)[0]
    page.engine.to_main()
    found = {state: [(rule, target) for rule, target in violations if target not in AXE_EXCEPTIONS.get(rule, ())]
             for state, violations in found.items()}
    assert not any(found.values()), {state: violations for state, violations in found.items() if violations}


CASES = [starts_whole, named_as_on_the_desktop, each_control_heard_as_designed, tab_goes_round_the_window, curves_match_the_raster, fault_keeps_the_points,
         reset_clears_the_curves, fits_every_screen, labels_keep_their_strokes,
         help_windows_open, print_prepared, prints_whole_on_any_paper, starts_offline, fingers_reach_each_control,
         meets_wcag_in_each_state,
         chiudi_ends_everything]


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    """A plain static server, as a school's: Last-Modified, no Cache-Control."""
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript",
                      ".webmanifest": "application/manifest+json"}

    def log_message(self, *arguments):
        pass


def serve(folder):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(QuietHandler, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, f"http://127.0.0.1:{server.server_address[1]}/index.html"


# Appended to a version's app.js: the version, and when each page of the
# tab was first shown with it, in the browser's clock.
SHOWN_JS = """
window.lumivarVersion = %d;
new MutationObserver((changes, observer) => {
    if (document.body.dataset.ready === 'true') {
        observer.disconnect();
        sessionStorage.lumivarShown = (sessionStorage.lumivarShown || '') + `${window.lumivarVersion}@${Date.now()} `;
    }
}).observe(document.body, {attributes: true});
"""


def new_version_arrives(engine, site, engine_class):
    """Version 1 a month old, served with no Cache-Control and visited twice;
    then version 2 in its place. The next visit, in a browser started afresh
    on the same profile where the engine keeps one, shows version 2 from the
    start, and nothing of version 1."""
    with tempfile.TemporaryDirectory() as folder:
        copy = os.path.join(folder, "site")
        shutil.copytree(site, copy)
        with open(os.path.join(copy, "app.js"), "a") as app:
            app.write(SHOWN_JS % 1)
        month_ago = time.time() - 31 * 86400
        for name in os.listdir(copy):
            os.utime(os.path.join(copy, name), (month_ago, month_ago))
        server, url = serve(copy)
        profile = os.path.join(folder, "profile")
        os.mkdir(profile)
        kept = engine_class.KEEPS_PROFILE
        browser = engine

        def visit(version):
            """The versions shown in the visit, and the seconds to the first."""
            nonlocal browser
            if kept:
                browser = engine_class(profile)
            try:
                begun = time.time()
                browser.load(url)

                def shown():
                    # The page may load itself again while it is asked.
                    try:
                        return browser.js("return sessionStorage.lumivarShown || null")
                    except Exception:  # noqa: BLE001 - a page between two loads answers nothing
                        return None
                seen = wait_for(shown, f"version {version} shown").split()
                if version == 1:
                    wait_for(lambda: browser.js("return navigator.serviceWorker.controller !== null"),
                             "the first version's worker")
                browser.js("sessionStorage.clear()")
                return [int(s.split("@")[0]) for s in seen], int(seen[0].split("@")[1]) / 1000 - begun
            finally:
                if kept:
                    browser.quit()

        try:
            visit(1)
            versions, plain = visit(1)
            assert versions == [1], versions
            with open(os.path.join(copy, "app.js")) as app:
                text = app.read().replace(SHOWN_JS % 1, SHOWN_JS % 2)
            with open(os.path.join(copy, "app.js"), "w") as app:
                app.write(text)
            with open(os.path.join(copy, "sw.js")) as worker:
                text = re.sub(r"lumivar-[0-9a-f]+", "lumivar-second", worker.read())
            with open(os.path.join(copy, "sw.js"), "w") as worker:
                worker.write(text)
            versions, updated = visit(2)
            print(f"       version 1 shown {plain:.2f} s after a plain visit began; version 2 "
                  f"{updated:.2f} s after the visit after the change began", flush=True)
            # The page was first ready with version 2, and never reloaded under the user.
            assert versions == [2], f"versions shown at the visit after the change: {versions}"
        finally:
            server.shutdown()


def missing_module_is_said(engine, site):
    """A site without its .wasm says so on the page, in one line."""
    with tempfile.TemporaryDirectory() as folder:
        copy = os.path.join(folder, "site")
        shutil.copytree(site, copy, ignore=shutil.ignore_patterns("lumivar.wasm", "sw.js"))
        server, url = serve(copy)
        try:
            engine.load(url)
            line = wait_for(lambda: engine.js("const p = document.getElementById('start-failure');"
                                              "return p && !p.hidden ? p.textContent : null"), "the failure line")
            assert "lumivar.wasm" in line and engine.js("return !document.getElementById('form1')"), line
        finally:
            server.shutdown()


def main():
    engine_name, site = sys.argv[1], os.path.abspath(sys.argv[2])
    server, url = serve(site)
    engine = ENGINES[engine_name]()
    passed = failed = skipped = 0

    def run(case, *arguments):
        nonlocal passed, failed, skipped
        try:
            case(*arguments)
            passed += 1
            print(f"PASS   : {engine_name}: {case.__name__}", flush=True)
        except Skipped as reason:
            skipped += 1
            print(f"SKIP   : {engine_name}: {case.__name__}: {reason}", flush=True)
        except Exception as problem:  # one case's failure is reported, the rest still run
            failed += 1
            print(f"FAIL!  : {engine_name}: {case.__name__}: {problem}", flush=True)
            engine.to_main()

    try:
        page = Page(engine, url)
        page.load()
        for case in CASES:
            run(case, page)
        run(missing_module_is_said, engine, site)
        run(new_version_arrives, engine, site, ENGINES[engine_name])
    finally:
        engine.quit()
        server.shutdown()
    print(f"{passed} passed, {failed} failed, {skipped} skipped")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
