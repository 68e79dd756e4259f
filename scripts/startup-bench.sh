#!/usr/bin/env bash
# Lumivar's start-up against a plain Qt window, in turns, on a private X
# server with a session bus. Build the release preset first.
#   scripts/startup-bench.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
bench=build/release/bench
exec {display}< <(exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset 2>/dev/null)
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
read -r -t 30 -u "$display" number || { echo "Xvfb did not start" >&2; exit 1; }
runtime=$(mktemp -d)
trap 'kill $server 2>/dev/null || true; rm -rf "$runtime"' EXIT
DISPLAY=":$number" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$runtime" dbus-run-session -- \
    "$bench/lumivar_startup_bench" "${1:-40}" "$PWD/build/release/src/qt/lumivar" "${2:-$PWD/$bench/lumivar_plain_window}"
