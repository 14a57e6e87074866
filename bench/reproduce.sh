#!/usr/bin/env bash
# Builds the release program and the benchmarks, generates the inputs (once, about 1 GB under
# build/bench/data) and prints the figures of bench/RESULTS.md.
#   bench/reproduce.sh [repetitions]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir="$source_dir/build/bench"
cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DPALVARIN_BENCH=ON -DPALVARIN_GUI=OFF -DPALVARIN_TESTS=OFF > /dev/null
cmake --build "$build_dir" --target palvarin palvarin_generate_histories palvarin_parse_floor \
  palvarin_run_benchmarks -j2 > /dev/null
"$build_dir/bench/palvarin_generate_histories" "$build_dir/data"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
  "$(free -g | awk '/^Mem:/ {print $2}') GB RAM; commit $(git -C "$source_dir" rev-parse --short HEAD);" \
  "$(date -u '+%Y-%m-%d %H:%M UTC')"
"$build_dir/bench/palvarin_run_benchmarks" "$build_dir/data" "${1:-5}"
