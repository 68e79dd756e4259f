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

echo "cppcheck"
cppcheck --project=build/debug/compile_commands.json \
    --file-filter="*src/plot/*" --file-filter="*src/shared/*" --file-filter="*src/ui/*" --file-filter="*src/app/*" \
    --library=qt --std=c++20 --enable=warning,performance,portability,style \
    --inline-suppr --suppress=missingIncludeSystem --suppress=unmatchedSuppression \
    --suppress=normalCheckLevelMaxBranches \
    --error-exitcode=1 -q
