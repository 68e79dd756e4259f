#!/usr/bin/env bash
# Runs each libFuzzer target for a bounded time, starting from the seed
# corpus; exits non-zero on any finding.
# Usage: scripts/fuzz.sh [seconds per target]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for target in text_to_number plot; do
    case "$target" in
    text_to_number) seeds=fuzz/corpus/text ;;
    plot) seeds=fuzz/corpus/plot ;;
    esac
    mkdir -p "$work/$target"
    echo "fuzz_$target: ${seconds}s"
    build/fuzz/fuzz/fuzz_$target -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
        -print_final_stats=1 -artifact_prefix="$work/" "$work/$target" "$seeds" 2>"$work/$target.log" ||
        { tail -50 "$work/$target.log"; echo "fuzz_$target found a fault" >&2; exit 1; }
    grep -E "stat::(number_of_executed_units|average_exec_per_sec)" "$work/$target.log"
done
