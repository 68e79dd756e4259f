#!/usr/bin/env bash
# A fresh 32-bit wine prefix for the Windows program's tests, in the
# environment the tests give every wine call (WINEPREFIX and the rest).
# Usage: wine_prefix.sh start|stop
set -euo pipefail
action=$1
: "${WINEPREFIX:?the prefix to make}"

case "$action" in
start)
    rm -rf "$WINEPREFIX"
    # wine needs a display even to boot; a private one, gone afterwards.
    # Its number arrives on the pipe once it is ready.
    exec {display}< <(exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset 2>/dev/null)
    server=$!
    trap 'kill $server 2>/dev/null || true' EXIT
    read -r -t 30 -u "$display" number || { echo "Xvfb did not start within 30 s" >&2; exit 1; }
    export DISPLAY=":$number"
    wineboot -i </dev/null >/dev/null 2>&1
    # The desktop process, which also serves the clipboard, belongs to the
    # display it started on: each test session starts its own.
    wineserver -k
    wineserver -w
    # wine does not look for its own fonts where Debian puts them.
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
    ;;
stop)
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    ;;
*)
    echo "uso: $0 start|stop" >&2
    exit 2
    ;;
esac
