#!/usr/bin/env bash
# Times the export of the merged output of a two-PC case in each format against its floor:
# loading that file with pugixml plus writing the export's bytes durably. Best of N runs each,
# export and floor taking turns. Prints a Markdown table.
#   bench/export-bench.sh [MB per file, default 100] [runs, default 5]
set -euo pipefail
megabytes=${1:-100}
runs=${2:-5}
name=export
source "$(dirname "$0")/merged-case.sh"
seconds() { local start=$EPOCHREALTIME; "$@" > /dev/null; echo "$EPOCHREALTIME - $start" | bc; }
echo "merged output: $(du -m "$data/merged.xml" | cut -f1) MB; best of $runs"
echo
echo "| format | export (s) | floor: load + durable write (s) | ratio | export size (MB) |"
echo "|---|---|---|---|---|"
for format in html text jsonl; do
  : > "$work/export.times"
  : > "$work/floor.times"
  for ((run = 0; run < runs; ++run)); do
    rm -rf "$work/out"
    seconds "$build_dir/palvarin" --export=$format --first "$data/merged.xml" \
      --output "$work/out" --quiet >> "$work/export.times"
    # A large history's pages are split: the floor writes all of their bytes as one file.
    exported="$work/all.$format"
    cat "$work/out"/merged.* > "$exported"
    "$build_dir/bench/palvarin_export_floor" "$data/merged.xml" "$exported" \
      "$work/floor.out" >> "$work/floor.times"
  done
  export_s=$(best < "$work/export.times")
  floor_s=$(best < "$work/floor.times")
  printf '| %s | %.2f | %.2f | %.2f | %s |\n' "$format" "$export_s" "$floor_s" \
    "$(echo "$export_s / $floor_s" | bc -l)" "$(du -m "$exported" | cut -f1)"
done
