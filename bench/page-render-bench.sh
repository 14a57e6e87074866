#!/usr/bin/env bash
# Exports a large history (a pair of PCs' copies of one contact, merged as export-bench.sh
# makes it) to HTML and times headless Chromium laying out its largest page and the contact's
# page: the wall time of `chromium --headless --dump-dom`, best of N, beside the same for an
# empty page (Chromium's own start), so that the difference is the page's layout.
#   bench/page-render-bench.sh [MB per file, default 30] [runs, default 3]
set -euo pipefail
megabytes=${1:-30}
runs=${2:-3}
name=render
source "$(dirname "$0")/merged-case.sh"
seconds() { local start=$EPOCHREALTIME; "$@" > /dev/null 2>&1; echo "$EPOCHREALTIME - $start" | bc; }
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
