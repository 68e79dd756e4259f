#!/usr/bin/env bash
# clang-tidy (checks in .clang-tidy) and cppcheck over the program's sources,
# using the debug build's compile commands. Non-zero on any finding. Newer
# cppcheck notes where it limits its branch analysis: a note, not a finding.
set -euo pipefail
cd "$(dirname "$0")/.."

[ -f build/debug/compile_commands.json ] || { echo "build the debug preset first" >&2; exit 2; }

echo "clang-tidy"
run-clang-tidy -p build/debug -quiet "^$(pwd)/src/" >build/clang-tidy.log 2>&1 ||
    { sed 's/\x1b\[[0-9;]*m//g' build/clang-tidy.log | grep -E "warning:|error:" | sort -u; exit 1; }

# The Windows front-end, from the windows build's compile commands, against
# mingw-w64's headers.
if [ -f build/windows/compile_commands.json ]; then
    echo "clang-tidy (Windows)"
    cxx=$(ls -d /usr/lib/gcc/i686-w64-mingw32/*-posix/include/c++ | sort -V | tail -n1)
    run-clang-tidy -p build/windows -quiet -extra-arg=--target=i686-w64-mingw32 \
        -extra-arg=-isystem"$cxx" -extra-arg=-isystem"$cxx/i686-w64-mingw32" \
        "^$(pwd)/src/win32/" >build/clang-tidy-windows.log 2>&1 ||
        { sed 's/\x1b\[[0-9;]*m//g' build/clang-tidy-windows.log | grep -E "warning:|error:" | sort -u; exit 1; }
fi

echo "cppcheck"
# Filters are relative to the project: the build tree holds folders of the
# same names for Qt's generated sources.
cppcheck --project=build/debug/compile_commands.json \
    --file-filter="src/plot/*" --file-filter="src/shared/*" --file-filter="src/qt/*" \
    --library=qt --std=c++20 --enable=warning,performance,portability,style \
    --inline-suppr --suppress=missingIncludeSystem --suppress=unmatchedSuppression \
    --suppress=normalCheckLevelMaxBranches \
    --error-exitcode=1 -q
if [ -f build/windows/compile_commands.json ]; then
    cppcheck --project=build/windows/compile_commands.json --file-filter="src/win32/*" \
        --platform=win32W --std=c++20 --enable=warning,performance,portability,style \
        --inline-suppr --suppress=missingIncludeSystem --suppress=unmatchedSuppression \
        --suppress=normalCheckLevelMaxBranches \
        --error-exitcode=1 -q
fi
