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
    weston mutter dbus-daemon qt6-wayland at-spi2-core python3-pyatspi
    cups cups-client cups-bsd printer-driver-cups-pdf ghostscript poppler-utils
    clang clang-tidy clang-format cppcheck libclang-rt-dev
    dpkg-dev desktop-file-utils appstream lintian
    # The same-bytes check copies what git tracks and dates it by the last
    # commit; the installer's codes are pinned in python3.
    git python3 gdb
    # The Windows program: built with mingw-w64, packaged with wixl, tested
    # under 32-bit wine (below), or as a 64-bit build under 64-bit wine where
    # the kernel runs no 32-bit programs.
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wixl wine wine64 fonts-wine
    # The browser program: built with emscripten, its core run under node,
    # its page driven in Chromium, WebKit (Safari's engine) and Firefox, the
    # last over WebDriver BiDi, which it speaks itself.
    emscripten nodejs ca-certificates chromium chromium-driver python3-selenium webkit2gtk-driver firefox-esr
    python3-websocket
)

web_packages=(cmake ninja-build emscripten python3)

# Whether the kernel runs 32-bit x86 programs: a 95-byte one that only exits
# with 42. Where it cannot, the i386 architecture and 32-bit wine are not
# installed at all, so that a fault in the mirror's i386 indexes cannot stop
# the install of what the machine can use.
runs_32bit() {
    local program status=0
    program=$(mktemp) || return 1
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' >"$program"
    printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5f\x00\x00\x00\x5f\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$program"
    # mov eax, 1; xor ebx, ebx; mov bl, 42; int 0x80
    printf '\xb8\x01\x00\x00\x00\x31\xdb\xb3\x2a\xcd\x80' >>"$program"
    chmod +x "$program"
    "$program" 2>/dev/null || status=$?
    rm -f "$program"
    [ "$status" -eq 42 ]
}

case "${1:-}" in
run) wanted=("${run_packages[@]}") ;;
web) wanted=("${web_packages[@]}") ;;
test)
    wanted=("${test_packages[@]}")
    # npm comes with some builds of Node.js, and from Debian with its own.
    command -v npm >/dev/null || wanted+=(npm)
    if [ "$(dpkg --print-architecture)" = amd64 ] && runs_32bit; then
        wanted+=(wine32:i386)
    fi
    ;;
*) echo "uso: $0 run|web|test" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
install_missing() {
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
    # 32-bit wine is an i386 package, installed on its own: where the mirror
    # cannot give it, the Windows tests run the 64-bit build instead.
    foreign=()
    native=()
    for package in "${missing[@]}"; do
        case "$package" in
        *:i386) foreign+=("$package") ;;
        *) native+=("$package") ;;
        esac
    done
    if [ ${#foreign[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        "${as_root[@]}" dpkg --add-architecture i386
    fi
    # An index the mirror serves broken is reported, not fatal: what the other
    # indexes hold still installs, and a package truly missing fails below.
    "${as_root[@]}" apt-get update -q || echo "Some package indexes could not be fetched; installing from the others." >&2
    [ ${#native[@]} -eq 0 ] || "${as_root[@]}" apt-get install -y -q "${native[@]}"
    if [ ${#foreign[@]} -gt 0 ] && ! "${as_root[@]}" apt-get install -y -q "${foreign[@]}"; then
        echo "${foreign[*]} could not be installed: the Windows tests will run the 64-bit build." >&2
    fi
}
[ ${#missing[@]} -eq 0 ] || install_missing

# The page's tests take axe-core from the npm registry, as their lock file pins it.
if [ "${1:-}" = test ]; then
    (cd "$(dirname "$0")/../tests/web" && npm ci --no-audit --no-fund --loglevel=error)
fi
