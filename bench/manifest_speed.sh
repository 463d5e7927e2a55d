#!/usr/bin/env bash
# Hashing speed of mok-manifest against sha1sum over the same 1 GiB tree:
# 40 files of 25 MiB and 96 of 256 KiB, random bytes. Both read the tree
# from the page cache (it is read once before timing); runs alternate, and
# the median of each is printed. The tree is deleted at the end.
#
#   bash bench/manifest_speed.sh MOK_MANIFEST [RUNS] [TREE_FOLDER]
#
# Use a Release build without sanitizers, e.g.
#   cmake -S . -B /tmp/mok-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DMOK_SANITIZE=OFF -DMOK_BUILD_TESTS=OFF
#   cmake --build /tmp/mok-release --target mok-manifest
set -euo pipefail

tool=${1:?usage: manifest_speed.sh MOK_MANIFEST [RUNS] [TREE_FOLDER]}
runs=${2:-5}
tree=${3:-/tmp/mok-manifest-bench-tree}
out=$(mktemp -d)
trap 'rm -rf "$tree" "$out"' EXIT

[ -x "$tool" ] || { echo "manifest_speed.sh: $tool is not executable" >&2; exit 1; }
[ -e "$tree" ] && { echo "manifest_speed.sh: $tree exists; give another folder" >&2; exit 1; }

mkdir -p "$tree/large" "$tree/small/a" "$tree/small/b"
for i in $(seq 1 40); do head -c $((25 << 20)) /dev/urandom > "$tree/large/part$i.pak"; done
for i in $(seq 1 96); do
  folder=$([ $((i % 2)) -eq 0 ] && echo a || echo b)
  head -c $((256 << 10)) /dev/urandom > "$tree/small/$folder/f$i.dat"
done
bytes=$(find "$tree" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
files=$(find "$tree" -type f | wc -l)
find "$tree" -type f -print0 | xargs -0 cat > /dev/null  # into the page cache

now_ns() { date +%s%N; }

run_tool() {
  "$tool" "$tree" bench --out "$out" > /dev/null
}

run_sha1sum() {
  find "$tree" -type f -print0 | xargs -0 sha1sum > "$out/sha1sum.txt"
}

# The two must agree before their speed means anything.
run_tool
run_sha1sum
diff <(sed -E 's/^([^|]*)\|[0-9]+\|([0-9a-f]{40})$/\2 \1/' "$out/manifest.txt" | sort) \
     <(sed -E "s#^([0-9a-f]{40})  $tree/#\\1 #" "$out/sha1sum.txt" | sort) > /dev/null ||
  { echo "manifest_speed.sh: mok-manifest and sha1sum disagree" >&2; exit 1; }

tool_ms=()
sha_ms=()
for run in $(seq 1 "$runs"); do
  start=$(now_ns); run_tool; end=$(now_ns)
  tool_ms+=($(((end - start) / 1000000)))
  start=$(now_ns); run_sha1sum; end=$(now_ns)
  sha_ms+=($(((end - start) / 1000000)))
done

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
mib_per_s() { awk -v b="$bytes" -v ms="$1" 'BEGIN { printf "%.0f", b / 1048576 / (ms / 1000) }'; }

tool_median=$(median "${tool_ms[@]}")
sha_median=$(median "${sha_ms[@]}")
echo "tree: $files files, $((bytes >> 20)) MiB, from the page cache; $runs runs each, alternating"
echo "mok-manifest: ${tool_ms[*]} ms; median $tool_median ms, $(mib_per_s "$tool_median") MiB/s"
echo "sha1sum:      ${sha_ms[*]} ms; median $sha_median ms, $(mib_per_s "$sha_median") MiB/s"
