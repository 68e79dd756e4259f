#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"

scripts/ensure-packages.sh test

jobs=$(nproc)
# The Windows and the browser programs first: the debug build tests them too.
scripts/build.sh windows web debug release asan

scripts/static-analysis.sh
scripts/package-check.sh
# The cheap artefacts built twice in two folders: the same bytes each time.
scripts/same-bytes.sh site exe msi

# The debug build runs the whole suite, end-to-end tests included, for the
# Linux and the Windows program; the release build runs it again where the
# optimiser might change results.
ctest --preset debug -j "$jobs" --output-on-failure
ctest --preset release -j "$jobs" --output-on-failure -LE e2e
# Every test again under AddressSanitizer, LeakSanitizer and UBSan, the real
# binary of the end-to-end tests included.
ctest --preset asan -j "$jobs" --output-on-failure

# The number reader and the plotter against libFuzzer, about half a minute each.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
scripts/fuzz.sh 30
