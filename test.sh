#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"

scripts/ensure-packages.sh test

jobs=$(nproc)
# The Windows and the browser programs first: the debug build tests them
# under wine and in the browsers as well. Where the kernel cannot run 32-bit
# programs, the Windows program is tested as a 64-bit build.
windows_presets=(windows)
wine --version >/dev/null 2>&1 || windows_presets+=(windows64)
for preset in "${windows_presets[@]}" web; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done
for preset in debug release asan; do
    windows=()
    [ "$preset" = debug ] && windows=(-DLUMIVAR_WINDOWS_BUILD="$PWD/build/windows"
        -DLUMIVAR_WINDOWS64_BUILD="$PWD/build/windows64" -DLUMIVAR_WEB_BUILD="$PWD/build/web")
    cmake --preset "$preset" "${windows[@]}" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done

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
