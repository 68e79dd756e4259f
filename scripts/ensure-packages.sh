#!/usr/bin/env bash
# Installs the Debian packages Lumivar needs that the machine lacks.
# Usage: scripts/ensure-packages.sh run|web|test
set -euo pipefail

run_packages=(
    cmake ninja-build g++ pkgconf
    qt6-base-dev libcups2-dev libxcb1-dev libgl-dev libxkbcommon-dev
    fonts-liberation fonts-urw-base35 fonts-dejavu-core qt6-translations-l10n
)
test_packages=(
    "${run_packages[@]}"
    libbenchmark-dev
    xvfb xauth xdotool xclip metacity openbox x11-utils imagemagick
    # Wayland sessions: weston, GNOME's compositor (on a session bus), and
    # Qt's Wayland support.
    weston mutter dbus-daemon qt6-wayland
    cups cups-client cups-bsd printer-driver-cups-pdf ghostscript poppler-utils
    clang clang-tidy clang-format cppcheck libclang-rt-dev
    dpkg-dev desktop-file-utils appstream lintian
    # The same-bytes check copies what git tracks and dates it by the last
    # commit; the installer's codes are pinned in python3.
    git python3
    # The Windows program: built with mingw-w64, packaged with wixl, tested
    # under 32-bit wine, or as a 64-bit build under 64-bit wine where the
    # kernel runs no 32-bit programs.
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wixl wine wine32:i386 wine64 fonts-wine
    # The browser program: built with emscripten, its core run under node,
    # its page driven in Chromium, WebKit (Safari's engine) and Firefox, the
    # last over WebDriver BiDi, which it speaks itself.
    emscripten nodejs chromium chromium-driver python3-selenium webkit2gtk-driver firefox-esr
    python3-websocket
)

web_packages=(cmake ninja-build emscripten python3)

case "${1:-}" in
run) wanted=("${run_packages[@]}") ;;
web) wanted=("${web_packages[@]}") ;;
test) wanted=("${test_packages[@]}") ;;
*) echo "uso: $0 run|web|test" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "Mancano i pacchetti ${missing[*]} e servono i permessi di root per installarli." >&2
    exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# wine32 is an i386 package.
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${as_root[@]}" dpkg --add-architecture i386
fi
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q "${missing[@]}"
