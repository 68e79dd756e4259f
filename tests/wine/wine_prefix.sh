#!/usr/bin/env bash
# A fresh 32-bit wine prefix for the Windows program's tests.
# Usage: wine_prefix.sh start|stop PREFIX
set -euo pipefail
action=$1
export WINEPREFIX=$2 WINEARCH=win32 WINEDEBUG=-all
# No menu entries in the home folder, and no offer to install Mono or Gecko.
export WINEDLLOVERRIDES="winemenubuilder.exe,mscoree,mshtml="

case "$action" in
start)
    rm -rf "$WINEPREFIX"
    # wine needs a display even to boot; a private one, gone afterwards.
    Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$WINEPREFIX.display" 2>/dev/null &
    server=$!
    trap 'kill $server 2>/dev/null || true; rm -f "$WINEPREFIX.display"' EXIT
    for _ in $(seq 1 150); do
        [ -s "$WINEPREFIX.display" ] && break
        sleep 0.1
    done
    export DISPLAY=":$(head -n1 "$WINEPREFIX.display")"
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
    echo "uso: $0 start|stop PREFIX" >&2
    exit 2
    ;;
esac
