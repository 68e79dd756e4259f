#!/usr/bin/env bash
# The numeric core of the Linux build and of the browser build under node,
# line by line, the "limit" lines included.
# Usage: compare_core.sh LINUX_REPORT WEB_REPORT_JS
set -euo pipefail
linux=$("$1")
# emscripten 3.1.6's loader would take node's fetch for a file path.
flags=()
node --no-experimental-fetch -e 0 2>/dev/null && flags=(--no-experimental-fetch)
web=$(node "${flags[@]}" "$2")
[ -n "$web" ] || { echo "the browser build's report printed nothing"; exit 1; }
if ! diff <(echo "$linux") <(echo "$web"); then
    echo "the browser build's core differs from the Linux build's (above: < Linux, > browser)"
    exit 1
fi
echo "$(echo "$web" | wc -l) lines the same"
