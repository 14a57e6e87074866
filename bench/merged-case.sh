# Sourced by the export benches: builds the Release binaries, makes a scratch folder `work`
# (removed on exit) and, once per size, the merged output of a generated two-PC case,
# "$data/merged.xml". Expects `megabytes` and `name` (the scratch folder's prefix) set.
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir="$source_dir/build/bench"
cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DPALVARIN_BENCH=ON -DPALVARIN_GUI=OFF -DPALVARIN_TESTS=OFF > /dev/null
cmake --build "$build_dir" --target palvarin palvarin_export_floor -j2 > /dev/null
data="$build_dir/data/export-${megabytes}mb"
work=$(mktemp -d "$build_dir/$name-work.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TZ=Asia/Tokyo PALVARIN_PROFILE="$work/profile.sqlite3" XDG_RUNTIME_DIR="$work"
if [[ ! -f "$data/merged.xml" ]]; then
  mkdir -p "$data"
  "$build_dir/bench/palvarin_export_floor" generate "$megabytes" "$data"
  "$build_dir/palvarin" --no-window --files --separate-output --keep-all --first "$data/pc1.xml" \
    --second "$data/pc2.xml" --output "$data/merged.xml" --quiet
fi
best() { sort -g | head -1; }
