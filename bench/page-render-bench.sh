#!/usr/bin/env bash
# Exports a large history (a pair of PCs' copies of one contact, merged as export-bench.sh
# makes it) to HTML and times headless Chromium laying out its largest page and the contact's
# page: the wall time of `chromium --headless --dump-dom`, best of N, beside the same for an
# empty page (Chromium's own start), so that the difference is the page's layout.
#   bench/page-render-bench.sh [MB per file, default 30] [runs, default 3]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir="$source_dir/build/bench"
megabytes=${1:-30}
runs=${2:-3}
cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DPALVARIN_BENCH=ON -DPALVARIN_GUI=OFF -DPALVARIN_TESTS=OFF > /dev/null
cmake --build "$build_dir" --target palvarin palvarin_export_floor -j2 > /dev/null
data="$build_dir/data/export-${megabytes}mb"
work=$(mktemp -d "$build_dir/render-work.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TZ=Asia/Tokyo PALVARIN_PROFILE="$work/profile.sqlite3" XDG_RUNTIME_DIR="$work"
if [[ ! -f "$data/merged.xml" ]]; then
  mkdir -p "$data"
  "$build_dir/bench/palvarin_export_floor" generate "$megabytes" "$data"
  "$build_dir/palvarin" --no-window --files --separate-output --keep-all --first "$data/pc1.xml" \
    --second "$data/pc2.xml" --output "$data/merged.xml" --quiet
fi
seconds() { local start=$EPOCHREALTIME; "$@" > /dev/null 2>&1; echo "$EPOCHREALTIME - $start" | bc; }
best() { sort -g | head -1; }
render() {  # <page>: best wall time of Chromium loading and laying out the page
  for ((run = 0; run < runs; ++run)); do
    seconds timeout 300 chromium --headless --disable-gpu --no-sandbox --no-first-run \
      --user-data-dir="$work/chromium" --dump-dom "file://$1"
  done | best
}
export_s=$(seconds "$build_dir/palvarin" --export=html --first "$data/merged.xml" \
  --output "$work/out" --quiet)
largest=$(ls -S "$work/out"/*.html | head -1)
printf '<!DOCTYPE html><html lang="en"><title>empty</title></html>\n' > "$work/empty.html"
echo "history: $(du -m "$data/merged.xml" | cut -f1) MB, $(grep -o '<Message ' "$data/merged.xml" | wc -l) messages;" \
  "export: $export_s s, $(ls "$work/out"/*.html | wc -l) pages, $(du -cm "$work/out"/*.html | tail -1 | cut -f1) MB"
echo
echo "| page | size (MB) | Chromium (s) | empty page (s) | layout (s) |"
echo "|---|---|---|---|---|"
empty=$(render "$work/empty.html")
for page in "$largest" "$work/out/merged.html"; do
  took=$(render "$page")
  printf '| %s | %.1f | %.2f | %.2f | %.2f |\n' "$(basename "$page")" \
    "$(echo "$(stat -c %s "$page") / 1048576" | bc -l)" "$took" "$empty" "$(echo "$took - $empty" | bc -l)"
done
