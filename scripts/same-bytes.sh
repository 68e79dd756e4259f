#!/usr/bin/env bash
# Builds artefacts twice, from two copies of the tree in two different
# folders, and compares them byte for byte, naming whatever differs.
#   scripts/same-bytes.sh [site] [exe] [msi] [deb]   (all four by default)
# Times come from SOURCE_DATE_EPOCH, by default the last commit's.
set -euo pipefail
cd "$(dirname "$0")/.."

[ $# -gt 0 ] || set -- site exe msi deb
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export SOURCE_DATE_EPOCH
work=$(mktemp -d /tmp/lumivar-same-bytes-XXXXXX)
trap 'rm -rf "$work"' EXIT
# Two places of different depth, so that no path can agree by chance.
copies=("$work/one/lumivar" "$work/two/elsewhere/lumivar")
for copy in "${copies[@]}"; do
    mkdir -p "$copy"
    git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf - | tar -xf - -C "$copy"
done

# What each artefact is built with: preset, targets, and its path in the build.
preset_of() { case $1 in site) echo web ;; exe | msi) echo windows ;; deb) echo release ;; esac; }
target_of() { case $1 in site) echo lumivar_site ;; exe) echo lumivar ;; msi) echo lumivar_msi ;; deb) echo lumivar lumivar_icon lumivar_documents ;; esac; }
path_of() { case $1 in site) echo site ;; exe) echo src/win32/lumivar.exe ;; msi) echo "lumivar-*.msi" ;; deb) echo "lumivar_*.deb" ;; esac; }

build() { # copy artefact
    local copy=$1 artefact=$2 preset
    preset=$(preset_of "$artefact")
    if ! (
        cd "$copy"
        if [ ! -f "build/$preset/CMakeCache.txt" ]; then
            local options=()
            [ "$preset" = release ] && options=(-DBUILD_TESTING=OFF -DLUMIVAR_BUILD_BENCHMARKS=OFF)
            cmake --preset "$preset" "${options[@]}"
        fi
        # shellcheck disable=SC2046 # several targets
        cmake --build --preset "$preset" -j "$(nproc)" --target $(target_of "$artefact")
        if [ "$artefact" = deb ]; then
            (cd "build/$preset" && cpack -G DEB)
        fi
    ) >"$work/build.log" 2>&1; then
        tail -n 30 "$work/build.log" >&2
        echo "the $artefact could not be built in $copy" >&2
        exit 1
    fi
}

differ=()
for artefact in "$@"; do
    for copy in "${copies[@]}"; do
        build "$copy" "$artefact"
    done
    preset=$(preset_of "$artefact")
    # The path may be a pattern; it names one file or folder in each build.
    first=$(echo "${copies[0]}/build/$preset/"$(path_of "$artefact"))
    second=$(echo "${copies[1]}/build/$preset/"$(path_of "$artefact"))
    if diff -rq "$first" "$second" >"$work/diff"; then
        echo "same bytes: $artefact"
        continue
    fi
    differ+=("$artefact")
    echo "DIFFERENT: $artefact"
    sed "s|$work/||g; s|^|    |" "$work/diff"
    if [ "$artefact" = deb ]; then
        for copy in first second; do dpkg-deb -R "${!copy}" "$work/unpacked-$copy"; done
        diff -rq "$work/unpacked-first" "$work/unpacked-second" | sed "s|$work/||g; s|^|    |" || true
    fi
done
if [ ${#differ[@]} -gt 0 ]; then
    echo "not the same bytes: ${differ[*]}"
    exit 1
fi
