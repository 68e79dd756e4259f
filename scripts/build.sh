#!/usr/bin/env bash
# Builds the named presets in order. The Windows and browser builds go
# first where asked for, so that the debug build can test them: under wine
# and in the browsers. Where the kernel cannot run 32-bit programs, the
# Windows program is built for 64 bits as well, and tested so.
#   scripts/build.sh PRESET...
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
presets=()
for preset in "$@"; do
    presets+=("$preset")
    # The 32-bit loader itself: Debian's `wine` falls back to 64 bits.
    if [ "$preset" = windows ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
        presets+=(windows64)
    fi
done
for preset in "${presets[@]}"; do
    options=()
    [ "$preset" = debug ] && options=(-DLUMIVAR_WINDOWS_BUILD="$PWD/build/windows"
        -DLUMIVAR_WINDOWS64_BUILD="$PWD/build/windows64" -DLUMIVAR_WEB_BUILD="$PWD/build/web")
    cmake --preset "$preset" "${options[@]}" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done
