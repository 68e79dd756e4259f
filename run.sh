#!/usr/bin/env bash
# Installs what is missing, builds the release preset and starts Lumivar.
# ./run.sh web builds the browser program instead, serves it on 127.0.0.1
# and opens it in the machine's browser.
set -euo pipefail
cd "$(dirname "$0")"

if [ "${1:-}" = web ]; then
    scripts/ensure-packages.sh web
    cmake --preset web -DBUILD_TESTING=OFF -DLUMIVAR_WERROR=OFF >/dev/null
    cmake --build --preset web --target lumivar_site
    port=${LUMIVAR_PORT:-8760}
    url="http://127.0.0.1:$port/index.html"
    echo "Lumivar: $url (Ctrl+C per fermare il server)"
    python3 -m http.server --bind 127.0.0.1 --directory build/web/site "$port" >/dev/null 2>&1 &
    server=$!
    trap 'kill $server 2>/dev/null || true' EXIT INT TERM
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        if command -v chromium >/dev/null; then
            # A window of its own, which the page sizes to the design.
            chromium --app="$url" >/dev/null 2>&1 &
        elif command -v xdg-open >/dev/null; then
            xdg-open "$url" >/dev/null 2>&1 &
        fi
    fi
    wait "$server"
    exit 0
fi

scripts/ensure-packages.sh run
# A newer compiler's new warning must not stop a user's build: -Werror is for
# the project's own checks (./test.sh).
cmake --preset release -DBUILD_TESTING=OFF -DLUMIVAR_BUILD_BENCHMARKS=OFF -DLUMIVAR_WERROR=OFF >/dev/null
cmake --build --preset release --target lumivar lumivar_icon

# Desktops name a running program and show its icon from its desktop entry:
# where Lumivar is not installed, the user gets one for this build.
# The build made the entry, named after the application id.
entry=$(ls build/release/*.desktop)
app_id=$(basename "$entry" .desktop)
if [ ! -e "/usr/share/applications/$app_id.desktop" ] && [ ! -e "/usr/local/share/applications/$app_id.desktop" ]; then
    data=${XDG_DATA_HOME:-$HOME/.local/share}
    mkdir -p "$data/applications" "$data/icons/hicolor/32x32/apps" "$data/icons/hicolor/scalable/apps"
    sed "s|^Exec=.*|Exec=\"$PWD/build/release/src/qt/lumivar\"|" "$entry" >"$data/applications/$app_id.desktop"
    cp "build/release/$app_id.png" "$data/icons/hicolor/32x32/apps/$app_id.png"
    cp resources/lumivar.svg "$data/icons/hicolor/scalable/apps/$app_id.svg"
fi

# Without a screen the program says so itself.
exec build/release/src/qt/lumivar
