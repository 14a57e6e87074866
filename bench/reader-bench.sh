#!/usr/bin/env bash
# Times the reader window's opening of the merged output of a two-PC case (its conversation
# list shown) against the pugixml load of that file (palvarin_parse_floor), as whole processes:
# best wall time, best CPU time (user + system) and highest peak memory (GNU time's %e, %U + %S
# and %M) of N runs each, taking turns.
# Prints a Markdown table; then the search in the window against the command line, and a
# history of 500,000 entries in one conversation (generated once) loaded and scrolled through
# from top to bottom a page at a time, and one message of 138,000 characters stepped through.
#   bench/reader-bench.sh [MB per file, default 100] [runs, default 5]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir="$source_dir/build/bench-reader"
megabytes=${1:-100}
runs=${2:-5}
cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DPALVARIN_BENCH=ON -DPALVARIN_GUI=ON -DPALVARIN_TESTS=OFF > /dev/null
cmake --build "$build_dir" -j2 \
  --target palvarin palvarin_export_floor palvarin_parse_floor palvarin_reader_open \
  palvarin_reader_scroll palvarin_reader_long_message > /dev/null
data="$build_dir/data/export-${megabytes}mb"
work=$(mktemp -d "$build_dir/reader-work.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TZ=Asia/Tokyo PALVARIN_PROFILE="$work/profile.sqlite3" XDG_RUNTIME_DIR="$work" \
  XDG_CACHE_HOME="$work/cache" QT_QPA_PLATFORM=offscreen
if [[ ! -f "$data/merged.xml" ]]; then
  mkdir -p "$data"
  "$build_dir/bench/palvarin_export_floor" generate "$megabytes" "$data"
  "$build_dir/palvarin" --no-window --files --separate-output --keep-all --first "$data/pc1.xml" \
    --second "$data/pc2.xml" --output "$data/merged.xml" --quiet
fi
measure() {
  /usr/bin/time -f '%e %M %U %S' -o "$work/one" "$@" > /dev/null
  awk '{ print $1, $2, $3 + $4 }' "$work/one"
}
: > "$work/reader"
: > "$work/floor"
for ((run = 0; run < runs; ++run)); do
  measure "$build_dir/bench/palvarin_reader_open" "$data/merged.xml" >> "$work/reader"
  measure "$build_dir/bench/palvarin_parse_floor" "$data/merged.xml" >> "$work/floor"
done
best_s() { cut -d' ' -f1 "$1" | sort -g | head -1; }
best_cpu() { cut -d' ' -f3 "$1" | sort -g | head -1; }
peak_mb() { echo "$(cut -d' ' -f2 "$1" | sort -g | tail -1) / 1024" | bc; }
reader_s=$(best_s "$work/reader")
floor_s=$(best_s "$work/floor")
reader_cpu=$(best_cpu "$work/reader")
floor_cpu=$(best_cpu "$work/floor")
reader_mb=$(peak_mb "$work/reader")
floor_mb=$(peak_mb "$work/floor")
echo "merged output: $(du -m "$data/merged.xml" | cut -f1) MB; best times and highest peak of $runs;" \
  "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| | wall (s) | CPU (s) | peak memory (MB) |"
echo "|---|---|---|---|"
printf '| reader: conversation list shown | %.2f | %.2f | %s |\n' "$reader_s" "$reader_cpu" "$reader_mb"
printf '| pugixml load_file (floor) | %.2f | %.2f | %s |\n' "$floor_s" "$floor_cpu" "$floor_mb"
printf '| ratio | %.2f | %.2f | %.2f |\n' "$(echo "$reader_s / $floor_s" | bc -l)" \
  "$(echo "$reader_cpu / $floor_cpu" | bc -l)" "$(echo "$reader_mb / $floor_mb" | bc -l)"

# The search: from Enter in the window until the hits are listed (the window open on the
# file), against the whole `palvarin --search` process, the index warm for both.
"$build_dir/palvarin" --search warm --first "$data/merged.xml" > /dev/null || true
echo
echo "| query | hits | window: Enter to hits listed (s) | \`--search\` process (s) | ratio |"
echo "|---|---|---|---|---|"
for query in 週末 photo0181; do
  : > "$work/window"
  : > "$work/cli"
  for ((run = 0; run < runs; ++run)); do
    "$build_dir/bench/palvarin_reader_open" "$data/merged.xml" "$query" 2> /dev/null |
      awk '/ hits in / { print $1, $4 }' >> "$work/window"
    measure "$build_dir/palvarin" --search "$query" --first "$data/merged.xml" >> "$work/cli"
  done
  window_s=$(cut -d' ' -f2 "$work/window" | sort -g | head -1)
  cli_s=$(best_s "$work/cli")
  printf '| %s | %s | %.2f | %.2f | %.2f |\n' "$query" "$(head -1 "$work/window" | cut -d' ' -f1)" \
    "$window_s" "$cli_s" "$(echo "$window_s / $cli_s" | bc -l)"
done

echo
"$build_dir/bench/palvarin_reader_scroll" 500000 "$build_dir/data/scroll-500000.xml" 2> /dev/null
echo
"$build_dir/bench/palvarin_reader_long_message" 138000 "$build_dir/data/long-138000.xml" 2> /dev/null
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
