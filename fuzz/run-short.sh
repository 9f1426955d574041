#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build (targets named fuzz_* or *_fuzz) for a few seconds
# each; fails on a finding. Seeds: fuzz/<area>/seeds/<target>/ when present.
# Usage: fuzz/run-short.sh BUILD_DIR [SECONDS]
#   (BUILD_DIR configured with CC=clang CXX=clang++ and -DQUODO_FUZZ=ON)
set -euo pipefail
build=$(cd "${1:?usage: run-short.sh BUILD_DIR [SECONDS]}" && pwd)
seconds=${2:-5}
here=$(cd "$(dirname "$0")" && pwd)
mapfile -t targets < <(cmake --build "$build" --target help | grep -oE '^(fuzz_[A-Za-z0-9_]+|[A-Za-z0-9_]+_fuzz):' | tr -d : | sort -u)
[ "${#targets[@]}" -gt 0 ] || { echo "no fuzz targets in $build" >&2; exit 1; }
# A build that fails shows why.
if ! built=$(cmake --build "$build" --target "${targets[@]}" -j2 2>&1); then
  echo "$built" | tail -n 40 >&2
  exit 1
fi
for target in "${targets[@]}"; do
  binary=$(find "$build/fuzz" -type f -name "$target" -perm -u+x | head -1)
  corpus=$(mktemp -d)
  for seeds in "$here"/*/seeds/"$target"; do
    [ -d "$seeds" ] && cp "$seeds"/* "$corpus"/
  done
  echo "== $target"
  log="$corpus/run.log"
  status=0
  (cd "$corpus" && "$binary" -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 \
     -artifact_prefix="$build/fuzz/$target-" "$corpus") > "$log" 2>&1 || status=$?
  grep -E "stat::number_of_executed_units|ERROR|SUMMARY|Test unit written" "$log" || true
  rm -rf "$corpus"
  if [ "$status" -ne 0 ]; then echo "$target: finding (exit $status)" >&2; exit 1; fi
done
echo "no findings"
