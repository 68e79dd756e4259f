#!/usr/bin/python3
"""A «Disegna grafico e curve» click in the browser page against the native
plot, in turns in one run: the module's part alone, and with the copy to the
canvas. Usage: web_click.py SITE_FOLDER NATIVE_BENCH [ROUNDS]"""

import json
import os
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
import test_web  # noqa: E402  the page's driver and server

CLICKS = 200
# Milliseconds per click, with the plane's copy to the canvas or without.
CLICK_JS = """
const [clicks, withCanvas] = arguments;
const command = LumivarPage.design.controls.findIndex((c) => c.name === 'Command1');
const start = performance.now();
for (let i = 0; i < clicks; ++i) {
    Module._lumivarClick(command);
    if (withCanvas) Plane.copyDirty();
}
return (performance.now() - start) / clicks;
"""


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
        seen = {"native": [], "module": [], "canvas": []}
        for _ in range(rounds):
            seen["native"].append(native_ms(bench))
            seen["module"].append(page.js(CLICK_JS, CLICKS, False))
            seen["canvas"].append(page.js(CLICK_JS, CLICKS, True))
    finally:
        engine.quit()
        server.shutdown()
    native = statistics.median(seen["native"])
    for name in ("native", "module", "canvas"):
        ms = statistics.median(seen[name])
        print(f"{name:7s} {ms:.3f} ms per click (median of {rounds}), {ms / native:.2f} x native")


if __name__ == "__main__":
    main()
