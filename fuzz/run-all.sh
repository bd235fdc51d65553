#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time, sharing TOTAL
# seconds between them (at least 15 s each, at most 300 s in all).
# Usage: fuzz/run-all.sh BUILD_DIR [TOTAL_SECONDS]
set -euo pipefail
build=${1:?build dir}
total=${2:-120}
here=$(cd "$(dirname "$0")" && pwd)
mapfile -t targets < <(find "$build/bin" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x | sort)
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets in $build/bin" >&2
  exit 1
fi
each=$(( total / ${#targets[@]} ))
[ "$each" -ge 15 ] || each=15
[ $(( each * ${#targets[@]} )) -le 300 ] || each=$(( 300 / ${#targets[@]} ))
for target in "${targets[@]}"; do
  name=$(basename "$target")
  seeds="$here/corpus/${name#fuzz_}"
  work=$(mktemp -d)
  corpus=("$work")
  [ -d "$seeds" ] && corpus+=("$seeds")
  # Committed seeds (fuzz/make_seeds.cpp writes them) are read, never written: new finds go to $work.
  echo "== $name: ${each}s"
  status=0
  "$target" -max_total_time="$each" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$here/" "${corpus[@]}" \
    >"$work.log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    tail -n 80 "$work.log"
    echo "fuzz target $name failed (status $status)" >&2
    rm -rf "$work" "$work.log"
    exit "$status"
  fi
  tail -n 12 "$work.log"
  rm -rf "$work" "$work.log"
done
echo "fuzzing: ${#targets[@]} targets, ${each}s each, no crash"
