#!/usr/bin/env bash
# Times `palvarin --find` on a generated tree of many small files, most of them no history:
# 100 x 100 folders of FILES_PER_FOLDER files each (text, other XML, binary, HTML), and 100
# Messenger account folders with 20 histories each. The tree is made once in build/bench/data
# (it needs about one inode per file: check `df -i` first). Prints a Markdown table row.
#   bench/find-bench.sh [files per folder, default 100: a million files] [runs, default 3]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir="$source_dir/build/bench"
per_folder=${1:-100}
runs=${2:-3}
cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DPALVARIN_BENCH=ON -DPALVARIN_GUI=OFF -DPALVARIN_TESTS=OFF > /dev/null
cmake --build "$build_dir" --target palvarin -j2 > /dev/null
tree="$build_dir/data/find-tree-$per_folder"
if [[ ! -f "$tree.done" ]]; then
  rm -rf "$tree"
  python3 - "$tree" "$per_folder" <<'PY'
import os, sys
root, per_folder = sys.argv[1], int(sys.argv[2])
kinds = [
    (".txt", b"notes about nothing in particular, " * 3),
    (".xml", b'<?xml version="1.0"?>\n<settings><Log level="2"/></settings>\n'),
    (".jpg", bytes(range(256))),
    (".html", b"<!DOCTYPE html><html><body>Log</body></html>\n"),
]
for top in range(100):
    for mid in range(100):
        folder = os.path.join(root, f"d{top:02}", f"e{mid:02}")
        os.makedirs(folder)
        for n in range(per_folder):
            suffix, data = kinds[n % len(kinds)]
            with open(os.path.join(folder, f"f{n:03}{suffix}"), "wb") as f:
                f.write(data)
def history(contact, sessions):
    out = ['<?xml version="1.0"?>\r\n<?xml-stylesheet type=\'text/xsl\' href=\'MessageLog.xsl\'?>\r\n'
           f'<Log FirstSessionID="1" LastSessionID="{sessions}">']
    for s in range(1, sessions + 1):
        for m in range(5):
            day = 1 + (s % 28)
            out.append(f'<Message Date="2006/03/{day:02}" Time="12:{m:02}:00" '
                       f'DateTime="2006-03-{day:02}T03:{m:02}:00.000Z" SessionID="{s}">'
                       f'<From><User FriendlyName="{contact}"/></From><To><User FriendlyName="Me"/>'
                       f'</To><Text Style="color:#000000; ">message {m} of session {s}</Text></Message>')
    out.append("</Log>\r\n")
    return "".join(out).encode()
for account in range(100):
    folder = os.path.join(root, f"d{account:02}", f"user{account:02}1234567890", "History")
    os.makedirs(folder)
    for contact in range(20):
        with open(os.path.join(folder, f"contact{contact:02}1234567890.xml"), "wb") as f:
            f.write(history(f"contact{contact}", 10))
PY
  touch "$tree.done"
fi
files=$(( 100 * 100 * per_folder + 100 * 20 ))
seconds() { local start=$EPOCHREALTIME; "$@" > /dev/null; echo "$EPOCHREALTIME - $start" | bc; }
work=$(mktemp -d "$build_dir/find-work.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TZ=Asia/Tokyo PALVARIN_PROFILE="$work/profile.sqlite3"
: > "$work/times"
for ((run = 0; run < runs; ++run)); do
  seconds "$build_dir/palvarin" --find="$tree" --quiet >> "$work/times"
done
found=$("$build_dir/palvarin" --find="$tree" --quiet | wc -l)
echo "| files | folders of histories found | runs | first run (s) | best (s) |"
echo "|---:|---:|---:|---:|---:|"
echo "| $files | $found | $runs | $(head -1 "$work/times") | $(sort -g "$work/times" | head -1) |"
