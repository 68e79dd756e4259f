#!/usr/bin/env bash
# Runs the end-to-end tests N times under each named preset (default: debug
# and asan) while two busy loops keep the cores occupied, and closes with one
# line "P passed, F failed", a run of all end-to-end tests counting once.
#   scripts/e2e-soak.sh N [preset...]
set -uo pipefail
cd "$(dirname "$0")/.."

runs=${1:?uso: $0 N [preset...]}
shift
presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(debug asan)

busy=()
stop_busy() {
    [ ${#busy[@]} -gt 0 ] && kill "${busy[@]}" 2>/dev/null
    busy=()
}
trap stop_busy EXIT
trap 'exit 130' INT TERM

for preset in "${presets[@]}"; do
    cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" >/dev/null || exit 1
done

for _ in 1 2; do
    (while :; do :; done) &
    busy+=($!)
done

passed=0
failed=0
log=$(mktemp -d)
for preset in "${presets[@]}"; do
    for run in $(seq "$runs"); do
        if ctest --preset "$preset" -L e2e --output-on-failure >"$log/$preset-$run.log" 2>&1; then
            passed=$((passed + 1))
        else
            failed=$((failed + 1))
            echo "failed: $preset, run $run (log: $log/$preset-$run.log)" >&2
        fi
    done
done
stop_busy
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
