#!/usr/bin/python3
"""A «Disegna grafico e curve» click in the browser page against the native
plot, in turns in one run: the module's part alone, the click as the user
makes it (a DOM click on the button, through the page's handler), and each
with the copy to the canvas that the next frame makes.
Usage: web_click.py SITE_FOLDER NATIVE_BENCH [ROUNDS]"""

import json
import os
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
import test_web  # noqa: E402  the page's driver and server

CLICKS = 200
# Milliseconds per click, through the module's entry or the button, with
# the plane's copy to the canvas or without.
CLICK_JS = """
const [clicks, throughButton, withCanvas] = arguments;
const command = LumivarPage.design.controls.findIndex((c) => c.name === 'Command1');
const button = document.getElementById('Command1');
const start = performance.now();
for (let i = 0; i < clicks; ++i) {
    if (throughButton) {
        button.click();
    } else {
        LumivarBridge.click(command);
    }
    if (withCanvas) Plane.copyDirty();
}
return (performance.now() - start) / clicks;
"""
WAYS = {"module": (False, False), "module+copy": (False, True), "button": (True, False), "button+copy": (True, True)}


def native_ms(bench):
    out = subprocess.run([bench, "--benchmark_filter=BM_FullPlot$", "--benchmark_format=json",
                          "--benchmark_min_time=0.5"], capture_output=True, text=True, check=True).stdout
    result = json.loads(out)["benchmarks"][0]
    return result["real_time"] / 1000.0 if result["time_unit"] == "us" else result["real_time"] / 1e6


def main():
    site, bench = sys.argv[1], sys.argv[2]
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    server, url = test_web.serve(os.path.abspath(site))
    engine = test_web.Chromium()
    try:
        page = test_web.Page(engine, url)
        page.load()
        for name, text in (("Text1", "0"), ("Text2", "1"), ("Text3", "5"), ("Text4", "0")):
            page.type_into(name, text)
        engine.click("#Check1 input")
        seen = {name: [] for name in ("native", *WAYS)}
        for _ in range(rounds):
            seen["native"].append(native_ms(bench))
            for name, (through_button, with_canvas) in WAYS.items():
                seen[name].append(page.js(CLICK_JS, CLICKS, through_button, with_canvas))
    finally:
        engine.quit()
        server.shutdown()
    native = statistics.median(seen["native"])
    for name, times in seen.items():
        ms = statistics.median(times)
        print(f"{name:11s} {ms:.3f} ms per click (median of {rounds}), {ms / native:.2f} x native")


if __name__ == "__main__":
    main()
