#!/usr/bin/env bash
# The numeric core of the Linux and the Windows builds, line by line. Lines
# marked "limit" are phases past about 1e15, where the system sines part.
# Usage: compare_core.sh LINUX_REPORT WINDOWS_REPORT_EXE
set -euo pipefail
linux=$("$1")
windows=$(wine "$2" | tr -d '\r')
[ -n "$windows" ] || { echo "the Windows report printed nothing"; exit 1; }
same() { grep -v '^limit ' <<<"$1"; }
if ! diff <(same "$linux") <(same "$windows"); then
    echo "the Windows build's core differs from the Linux build's (above: < Linux, > Windows)"
    exit 1
fi
echo "$(same "$linux" | wc -l) lines the same; at the limit:"
diff <(grep '^limit ' <<<"$linux") <(grep '^limit ' <<<"$windows") || true
