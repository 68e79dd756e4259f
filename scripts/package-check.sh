#!/usr/bin/env bash
# Validates the desktop entry and the AppStream file, builds the .deb from the
# release build, unpacks it into a scratch root and starts the installed
# program from its desktop entry under a private X server.
set -euo pipefail
cd "$(dirname "$0")/.."

# As the build made them from their templates in resources/.
desktop=$(ls build/release/*.desktop)
desktop-file-validate "$desktop"
# Lumivar has no website, and names none rather than one that never
# resolves: newer validators warn of the missing homepage, and only of that
# may they warn.
metainfo=$(ls build/release/*.metainfo.xml)
report=$(appstreamcli validate --no-net "$metainfo" 2>&1) && valid=0 || valid=$?
printf '%s\n' "$report"
if [ "$valid" -ne 0 ]; then
    findings=$(printf '%s\n' "$report" | grep -E '^[EW]:' || true)
    if [ -z "$findings" ] || printf '%s\n' "$findings" | grep -vqE ': url-homepage-missing$'; then
        echo "$metainfo does not validate" >&2
        exit 1
    fi
fi
# Offline, the validators cannot tell an address that never resolves: no
# reserved or local name may stand in one.
if grep -hoE '[a-z]+://[^"<> ]+' "$metainfo" "$desktop" |
    grep -E '://([^/]*\.)?(example(\.(com|net|org))?|invalid|test|localhost)([:/]|$)'; then
    echo "addresses that do not exist" >&2
    exit 1
fi

(cd build/release && cpack -G DEB >/dev/null 2>&1)
deb=$(ls build/release/lumivar_*.deb)
echo "package: $deb ($(du -k "$deb" | cut -f1) kB)"
dpkg-deb -I "$deb" | grep -E "^ (Depends|Installed-Size):"
dpkg-deb -f "$deb" Depends | grep -qw fonts-liberation || { echo "the package must depend on fonts-liberation" >&2; exit 1; }

scratch=$(mktemp -d)
xvfb_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
dpkg -x "$deb" "$scratch"
# The installed tree's AppStream data, with the one finding accepted above.
tree=$(appstreamcli validate-tree --no-net "$scratch" 2>&1) || {
    printf '%s\n' "$tree"
    if printf '%s\n' "$tree" | grep -E '^[EW]:' | grep -vqE ': url-homepage-missing$'; then
        echo "the installed AppStream data does not validate" >&2
        exit 1
    fi
}
# Debian's package rules: no error and no warning. Newer lintian sums up
# the AppStream validation just done in a tag of its own.
summary=appstream-metadata-validation-failed
suppressed=()
lintian-explain-tags "$summary" >/dev/null 2>&1 && suppressed=(--suppress-tags "$summary")
lintian --allow-root --fail-on error,warning "${suppressed[@]}" "$deb"
for file in usr/bin/lumivar usr/share/applications/it.lumivar.Lumivar.desktop \
    usr/share/metainfo/it.lumivar.Lumivar.metainfo.xml \
    usr/share/icons/hicolor/32x32/apps/it.lumivar.Lumivar.png \
    usr/share/icons/hicolor/scalable/apps/it.lumivar.Lumivar.svg usr/share/doc/lumivar/copyright; do
    [ -f "$scratch/$file" ] || { echo "missing from the package: $file" >&2; exit 1; }
done

exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp -noreset 2>/dev/null)
xvfb_pid=$!
read -r -t 20 display <&3
mkdir -m 0700 "$scratch/runtime"
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$scratch/runtime"

command=$(sed -n 's/^Exec=//p' "$scratch/usr/share/applications/it.lumivar.Lumivar.desktop")
PATH="$scratch/usr/bin:$PATH" $command &
program=$!
for _ in $(seq 100); do
    xdotool search --onlyvisible --name '^Lumivar 1\.0$' >/dev/null 2>&1 && break
    sleep 0.1
done
window=$(xdotool search --onlyvisible --name '^Lumivar 1\.0$' | head -n1)
[ -n "$window" ] || { echo "the installed program showed no window" >&2; exit 1; }
# Closed as a user would, with «Chiudi», four tabs from the plane that has
# the focus at start, so that how it ended tells whether it ended well.
xdotool windowfocus --sync "$window" key Tab Tab Tab Tab space
for _ in $(seq 100); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$program" 2>/dev/null; then
    kill "$program"
    echo "the installed program still ran 10 s after «Chiudi»" >&2
    exit 1
fi
status=0
wait "$program" || status=$?
[ "$status" -eq 0 ] || { echo "the installed program ended with status $status" >&2; exit 1; }
echo "installed program started from its desktop entry and ended by «Chiudi»"
