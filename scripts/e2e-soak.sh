#!/usr/bin/env bash
# A pass rate, not a single pass: runs every end-to-end suite (the desktop
# programs, the Windows one under wine, the page in each browser engine) N
# times, then each nested-compositor row alone M times, as each starts a
# compositor of its own, all while two busy loops keep the cores occupied.
# Prints each suite's and row's passes, and closes with one line
# "P passed, F failed", counting every run of a suite or a row once.
#   scripts/e2e-soak.sh N M [preset]   (preset: debug, the default, which
#   tests the Windows and browser programs too, or asan)
set -uo pipefail
cd "$(dirname "$0")/.."

runs=${1:?uso: $0 N M [preset]}
rows=${2:?uso: $0 N M [preset]}
preset=${3:-debug}
build=build/$preset
scripts/ensure-packages.sh test || exit 2
scripts/build.sh windows web "$preset" >/dev/null || exit 2

# The preset's own test environment (the sanitizers' options), from the one
# place that states it.
eval "$(/usr/bin/python3 - "$preset" <<'PY'
import json, os, shlex, sys
presets = json.load(open("CMakePresets.json"))["testPresets"]
for preset in presets:
    if preset["name"] == sys.argv[1]:
        for name, value in preset.get("environment", {}).items():
            print(f"export {name}={shlex.quote(value.replace('${sourceDir}', os.getcwd()))}")
PY
)"

busy=()
stop_busy() {
    [ ${#busy[@]} -gt 0 ] && kill "${busy[@]}" 2>/dev/null
    busy=()
}
trap stop_busy EXIT
trap 'exit 130' INT TERM
for _ in 1 2; do
    (while :; do :; done) &
    busy+=($!)
done

log=$(mktemp -d)
passed=0
failed=0
declare -A passes
tally() { # name, command...
    local name=$1
    shift
    if "$@" >"$log/run.log" 2>&1; then
        passes[$name]=$((${passes[$name]:-0} + 1))
        passed=$((passed + 1))
        echo "passed: $name"
    else
        failed=$((failed + 1))
        cp "$log/run.log" "$log/$(tr -c 'a-zA-Z0-9_-' _ <<<"$name")-$failed.log"
        echo "failed: $name (log: $log/$(tr -c 'a-zA-Z0-9_-' _ <<<"$name")-$failed.log)" >&2
    fi
}

# The wine prefix's set-up and clean-up come with the suites that need them.
suites=$(ctest --test-dir "$build" -N -L 'e2e|web|windows' | sed -n 's/^ *Test *#[0-9]*: //p' | grep -v '^wine_prefix_')
for _ in $(seq "$runs"); do
    for suite in $suites; do
        tally "$suite" ctest --test-dir "$build" -R "^$suite\$" --output-on-failure
    done
done

# The rows, as the data tags name them in the test.
mapfile -t tags < <(sed -n 's/.*QTest::newRow("\(\(weston\|mutter\)[^"]*\)").*/\1/p' tests/e2e/test_e2e_window.cpp)
for tag in "${tags[@]}"; do
    for _ in $(seq "$rows"); do
        tally "onWaylandAtEachScale: $tag" "$build/tests/e2e/test_e2e_window" "onWaylandAtEachScale:$tag"
    done
done
stop_busy

for name in $suites "${tags[@]/#/onWaylandAtEachScale: }"; do
    total=$runs
    [[ $name == onWaylandAtEachScale:* ]] && total=$rows
    echo "$name: ${passes[$name]:-0}/$total"
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
