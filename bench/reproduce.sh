#!/usr/bin/env bash
# Builds the release program and the benchmarks, generates the inputs (once, about 1.3 GB under
# build/bench/data) and prints the figures of bench/RESULTS.md: the merge's quality table, then
# the timings. Given a commit, its program is built too (from `git archive`, under
# build/baseline-<commit>) and timed on the same inputs, taking turns with this one. Last, the
# search: its index built for 10 and 1,000 contacts and its answers from it.
#   bench/reproduce.sh [repetitions] [commit to compare with] [case name]...
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir="$source_dir/build/bench"
cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DPALVARIN_BENCH=ON -DPALVARIN_GUI=OFF -DPALVARIN_TESTS=OFF > /dev/null
cmake --build "$build_dir" --target palvarin palvarin_generate_histories palvarin_parse_floor \
  palvarin_run_benchmarks palvarin_merge_quality palvarin_search_benchmark -j2 > /dev/null
baseline=()
if [ $# -ge 2 ] && [ -n "$2" ]; then
  commit=$(git -C "$source_dir" rev-parse --short "$2")
  baseline_dir="$source_dir/build/baseline-$commit"
  if [ ! -d "$baseline_dir/source" ]; then
    mkdir -p "$baseline_dir/source"
    git -C "$source_dir" archive "$commit" | tar -x -C "$baseline_dir/source"
  fi
  cmake -S "$baseline_dir/source" -B "$baseline_dir/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DPALVARIN_BENCH=ON -DPALVARIN_GUI=OFF -DPALVARIN_TESTS=OFF > /dev/null
  cmake --build "$baseline_dir/build" --target palvarin -j2 > /dev/null
  baseline=(--baseline "$baseline_dir/build/palvarin")
  echo "baseline: commit $commit"
fi
"$build_dir/bench/palvarin_generate_histories" "$build_dir/data"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
  "$(free -g | awk '/^Mem:/ {print $2}') GB RAM; commit $(git -C "$source_dir" rev-parse --short HEAD);" \
  "$(date -u '+%Y-%m-%d %H:%M UTC')"
"$build_dir/bench/palvarin_merge_quality"
echo
"$build_dir/bench/palvarin_run_benchmarks" "${baseline[@]}" "$build_dir/data" "${1:-5}" "${@:3}"
echo
"$build_dir/bench/palvarin_search_benchmark" "$build_dir/data" "${1:-5}"
