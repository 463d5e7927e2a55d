#!/usr/bin/env bash
# bench/run.sh [--runs N] [--keep] [--no-wine] [--scratch DIR] [--port-base N]
# Builds the engine's benchmark driver and the reference programs, generates
# the data, serves it from nginx over HTTPS on 127.0.0.1, runs every row N
# times (default 5) with the engine and its references taking turns, and
# prints the medians, their ratios, peak memory and the targets met or
# missed. Everything it started is stopped at the end; the data is deleted
# unless --keep. See bench/README.md.
set -euo pipefail
shopt -u patsub_replacement 2>/dev/null || true

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
servers_sh=$root/tests/servers

runs=5
keep=0
wine_rows=1
scratch=/tmp/mok-bench
port_base=18600
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    --no-wine) wine_rows=0; shift ;;
    --scratch) scratch=$2; shift 2 ;;
    --port-base) port_base=$2; shift 2 ;;
    *) echo "usage: $0 [--runs N] [--keep] [--no-wine] [--scratch DIR] [--port-base N]" >&2; exit 2 ;;
  esac
done
[[ $runs =~ ^[0-9]+$ ]] && [ "$runs" -ge 1 ] || { echo "run.sh: --runs needs a positive number" >&2; exit 2; }
[ "$runs" -ge 5 ] || echo "run.sh: fewer than 5 runs per row: the medians are only indicative" >&2
scratch=$(realpath -m -- "$scratch")

native_build=$root/build/bench-native
win32_build=$root/build/bench-win32
# Kept between runs, so the CA is made and trusted in the Wine prefix once.
statedir=$root/build/bench-servers
wine_prefix=$win32_build/wineprefix
patch=$scratch/patch  # served as https://localhost:PORT/mok-patch/bench/
url=https://localhost:$port_base/mok-patch/bench
ca=$statedir/ca/ca.pem
results=$scratch/results
tmp=$scratch/tmp

many_count=100000
big_size=1073741824

# The servers are local; neither libcurl, curl nor WinINet may use a proxy.
unset http_proxy https_proxy no_proxy all_proxy HTTP_PROXY HTTPS_PROXY NO_PROXY ALL_PROXY

log() { printf '[%s] %s\n' "$(date +%T)" "$*" >&2; }
die() { echo "run.sh: $*" >&2; exit 1; }

# ---- Clean-up ---------------------------------------------------------------

servers_started=0
wine_started=0
cleanup() {
  local status=$?
  if [ "$wine_started" -eq 1 ]; then
    (export WINEPREFIX=$wine_prefix; source "$servers_sh/wine_env.sh"
     timeout 60 wineserver -k </dev/null >/dev/null 2>&1; timeout 60 wineserver -w </dev/null >/dev/null 2>&1) || true
  fi
  [ "$servers_started" -eq 1 ] && bash "$servers_sh/stop.sh" "$statedir" || true
  rm -f "$statedir/docroot/mok-patch/bench"
  if [ "$keep" -eq 0 ]; then
    rm -rf "$scratch"
  else
    log "data kept in $scratch"
  fi
  exit $status
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# ---- Tools and builds ---------------------------------------------------------

for tool in cmake ninja nginx curl sha1sum openssl python3 awk; do
  command -v "$tool" >/dev/null || die "$tool is missing (scripts/deps.sh installs it)"
done
[ -x /usr/bin/time ] || die "/usr/bin/time is missing (package time; scripts/deps.sh installs it)"
if [ "$wine_rows" -eq 1 ]; then
  command -v wine >/dev/null && command -v i686-w64-mingw32-g++-posix >/dev/null ||
    die "wine or the mingw-w64 cross compiler is missing (or use --no-wine)"
fi

log "building the native benchmark programs (Release, no sanitizers) in $native_build"
cmake -S "$root" -B "$native_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMOK_SANITIZE=OFF \
  -DMOK_BUILD_TESTS=OFF >"$native_build.log" 2>&1 || { cat "$native_build.log" >&2; die "native configure failed"; }
ninja -C "$native_build" mok_bench_run mok_bench_gen bench_stat_loop bench_sha1_loop >>"$native_build.log" 2>&1 ||
  { tail -n 30 "$native_build.log" >&2; die "native build failed"; }
nb=$native_build/bench

if [ "$wine_rows" -eq 1 ]; then
  log "building the Win32 benchmark programs in $win32_build"
  cmake -S "$root" -B "$win32_build" -G Ninja --toolchain "$root/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DMOK_BUILD_TESTS=OFF >"$win32_build.log" 2>&1 ||
    { cat "$win32_build.log" >&2; die "win32 configure failed"; }
  ninja -C "$win32_build" mok_bench_run bench_wininet_fetch bench_cryptoapi_sha1 bench_attr_loop bench_acquire_cost \
    >>"$win32_build.log" 2>&1 || { tail -n 30 "$win32_build.log" >&2; die "win32 build failed"; }
  wb=$win32_build/bench
fi

# ---- Data -------------------------------------------------------------------------

rm -rf "$scratch"
mkdir -p "$patch" "$results" "$tmp"
log "generating the data in $scratch"
"$nb/mok_bench_gen" tree "$patch" >"$tmp/gen-tree.txt"
"$nb/mok_bench_gen" many "$patch" "$scratch/install-many" "$many_count" >/dev/null
big_digest=$("$nb/mok_bench_gen" big "$patch/big/big.bin" "$big_size")
# The Wine download row: every fourth file of the tree, behind its own base URL.
mkdir -p "$patch/wtree"
cp "$patch/tree/manifest-wine.txt" "$patch/wtree/manifest.txt"
cp "$patch/tree/version.txt" "$patch/wtree/version.txt"
ln -s ../tree/data "$patch/wtree/data"
cut -d'|' -f1 "$patch/tree/manifest.txt" >"$scratch/tree.list"
cut -d'|' -f1 "$patch/wtree/manifest.txt" >"$scratch/wtree.list"
cut -d'|' -f1 "$patch/digest/manifest.txt" >"$scratch/digest.list"
# One entry to hash: what a run costs besides its files (start-up, TLS
# handshake, version.txt, manifest).
mkdir -p "$patch/one"
head -n 1 "$patch/digest/manifest.txt" >"$patch/one/manifest.txt"
cp "$patch/digest/version.txt" "$patch/one/version.txt"
awk -F'|' -v u="$url/tree/" -v o="$scratch/curl-one/" \
  '{ printf "url = \"%s%s\"\noutput = \"%s%s\"\n", u, $1, o, $1 }' "$patch/tree/manifest.txt" >"$scratch/curl-one.cfg"

sum_sizes() { awk -F'|' '{ s += $2; n++ } END { printf "%d %d\n", n, s }' "$1"; }
read -r tree_files tree_bytes < <(sum_sizes "$patch/tree/manifest.txt")
read -r wtree_files wtree_bytes < <(sum_sizes "$patch/wtree/manifest.txt")
read -r digest_files digest_bytes < <(sum_sizes "$patch/digest/manifest.txt")
size_of() { stat -c %s "$1"; }
tree_manifest=$(size_of "$patch/tree/manifest.txt")
wtree_manifest=$(size_of "$patch/wtree/manifest.txt")
digest_manifest=$(size_of "$patch/digest/manifest.txt")
many_manifest=$(size_of "$patch/many/manifest.txt")

# ---- Servers ------------------------------------------------------------------------

mkdir -p "$statedir/docroot/mok-patch" "$statedir/logs"
rm -f "$statedir"/logs/*.log "$statedir/docroot/mok-patch/bench"
ln -s "$patch" "$statedir/docroot/mok-patch/bench"
servers_started=1
bash "$servers_sh/start.sh" "$statedir" "$port_base" >/dev/null

# ---- Measuring ----------------------------------------------------------------------

# measure NAME EXPECT COMMAND...: runs COMMAND once under /usr/bin/time -v and
# appends "seconds peak_kib cpu_seconds" to $results/NAME. The run must exit 0
# and, when EXPECT is not empty, print a line containing it.
measure() {
  local name=$1 expect=$2 start end rss cpu
  shift 2
  start=$EPOCHREALTIME
  if ! timeout --kill-after=10 900 /usr/bin/time -v -o "$tmp/time.txt" "$@" >"$tmp/out.txt" 2>"$tmp/err.txt"; then
    tail -n 5 "$tmp/out.txt" "$tmp/err.txt" >&2
    die "$name failed: $*"
  fi
  end=$EPOCHREALTIME
  if [ -n "$expect" ] && ! grep -qF -- "$expect" "$tmp/out.txt"; then
    tail -n 5 "$tmp/out.txt" "$tmp/err.txt" >&2
    die "$name: the output lacks \"$expect\""
  fi
  rss=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$tmp/time.txt")
  cpu=$(awk -F': ' '/User time|System time/ { t += $2 } END { printf "%.2f", t }' "$tmp/time.txt")
  awk -v s="$start" -v e="$end" -v r="$rss" -v c="$cpu" 'BEGIN { printf "%.4f %d %s\n", e - s, r, c }' \
    >>"$results/$name"
}

# Page cache writeback of a deleted tree must not land in the next timed run.
fresh_folder() { rm -rf "$1"; mkdir -p "$1"; sync; }

median() {  # NAME [COLUMN]: median of the wall seconds, or of another column
  awk -v c="${2:-1}" '{ print $c }' "$results/$1" | sort -g | awk '{ v[NR] = $1 } END {
    if (NR % 2) printf "%.3f", v[(NR + 1) / 2]; else printf "%.3f", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
peak_mib() {  # NAME: the largest peak of its runs, MiB
  awk '$2 > m { m = $2 } END { printf "%.1f", m / 1024 }' "$results/$1"
}
ratio() {  # OURS REF [COLUMN]
  awk -v a="$(median "$1" "${3:-1}")" -v b="$(median "$2" "${3:-1}")" 'BEGIN { printf "%.2f", a / b }'
}
verdict() {  # VALUE LIMIT
  awk -v v="$1" -v l="$2" 'BEGIN { print (v <= l ? "met" : "MISSED") }'
}
mib() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1048576 }'; }
memory_limit() { awk -v m="$1" 'BEGIN { printf "%.1f", 16 + 2 * m / 1048576 }'; }

# Every file of MANIFEST below FOLDER must have the listed digest.
verify_tree() {  # FOLDER MANIFEST
  "$nb/bench_sha1_loop" "$1" <(cut -d'|' -f1 "$2") | awk '{ print $2 "|" $1 }' | sort >"$tmp/have.txt"
  awk -F'|' '{ print $1 "|" $3 }' "$2" | sort >"$tmp/want.txt"
  cmp -s "$tmp/have.txt" "$tmp/want.txt" || die "the files in $1 do not match $2"
}

# The "digest  path" lines of a hashing reference must match MANIFEST.
check_digests() {  # OUTPUT MANIFEST
  grep -v fetched "$1" | tr -d '\r' | awk '{ print $2 "|" $1 }' | sort >"$tmp/have.txt"
  awk -F'|' '{ print $1 "|" $3 }' "$2" | sort >"$tmp/want.txt"
  cmp -s "$tmp/have.txt" "$tmp/want.txt" || die "$1 holds other digests than $2"
}

# Runs the steps in order on odd rounds and in reverse on even ones, so no
# program always runs right after the same other one.
round() {  # I STEP...
  local i=$1 k
  shift
  local steps=("$@")
  if ((i % 2 == 0)); then
    steps=()
    for ((k = $#; k >= 1; k--)); do steps+=("${!k}"); done
  fi
  for k in "${steps[@]}"; do "$k"; done
}

engine=("$nb/mok_bench_run" --ca "$ca")
# Rows of about a second get more runs: the shared machine's noise is the
# same in seconds, so it weighs more there.
short_runs=$((runs * 2))

install_engine() {
  fresh_folder "$scratch/install"
  measure install-engine "Update selesai ($tree_files file)" "${engine[@]}" run "$url/tree/" "$scratch/install/"
}
install_curl_one() {
  fresh_folder "$scratch/curl-one"
  measure install-curl-one "" curl -s -S --fail --cacert "$ca" --create-dirs -K "$scratch/curl-one.cfg"
}
install_curl_each() {
  fresh_folder "$scratch/curl-each"
  measure install-curl-each "" bash -c 'while IFS= read -r p; do
      curl -s -S --fail --cacert "$1" --create-dirs -o "$3$p" "$2$p" || exit 1
    done <"$4"' curl-each "$ca" "$url/tree/" "$scratch/curl-each/" "$scratch/tree.list"
}
log "row 1: fresh install, $tree_files files, $(mib "$tree_bytes") MiB ($runs runs each)"
for ((i = 1; i <= runs; i++)); do
  round "$i" install_engine install_curl_one install_curl_each
done
verify_tree "$scratch/install/" "$patch/tree/manifest.txt"
verify_tree "$scratch/curl-one/" "$patch/tree/manifest.txt"
verify_tree "$scratch/curl-each/" "$patch/tree/manifest.txt"
rm -rf "$scratch/curl-one" "$scratch/curl-each"

check_engine() {
  measure check-engine "File lengkap & terbaru" "${engine[@]}" run "$url/many/" "$scratch/install-many/"
}
check_stat() {
  measure check-stat "$many_count of $many_count current" "$nb/bench_stat_loop" "$scratch/install-many/" \
    "$patch/many/manifest.txt"
}
check_manifest() {
  measure check-manifest "" curl -s -S --fail --cacert "$ca" -o "$tmp/manifest-copy.txt" "$url/many/manifest.txt"
}
log "row 2: up-to-date check, $many_count entries ($short_runs runs each)"
for ((i = 1; i <= short_runs; i++)); do
  round "$i" check_engine check_stat check_manifest
done

# The tree installed by row 1 is in place; the state file names an older
# version, so every file of at most 50 MiB is hashed.
digest_engine() {
  printf 'bench-0' >"$scratch/install/MOK_patch.state"
  measure digest-engine "File lengkap & terbaru" "${engine[@]}" run "$url/digest/" "$scratch/install/"
}
digest_fixed() {
  printf 'bench-0' >"$scratch/install/MOK_patch.state"
  measure digest-fixed "File lengkap & terbaru" "${engine[@]}" run "$url/one/" "$scratch/install/"
}
digest_openssl() {
  measure digest-openssl "" "$nb/bench_sha1_loop" "$scratch/install/" "$scratch/digest.list"
  cp "$tmp/out.txt" "$tmp/digest-openssl.txt"
}
digest_sha1sum() {
  measure digest-sha1sum "" bash -c 'cd "$1" && xargs -d "\n" -a "$2" sha1sum --' sha1sum-all \
    "$scratch/install/" "$scratch/digest.list"
  cp "$tmp/out.txt" "$tmp/digest-sha1sum.txt"
}
log "row 3: digest pass, $digest_files files, $(mib "$digest_bytes") MiB ($short_runs runs each)"
for ((i = 1; i <= short_runs; i++)); do
  round "$i" digest_engine digest_openssl digest_sha1sum digest_fixed
done
check_digests "$tmp/digest-openssl.txt" "$patch/digest/manifest.txt"
check_digests "$tmp/digest-sha1sum.txt" "$patch/digest/manifest.txt"

fetch_verified() {
  fresh_folder "$scratch/big"
  measure fetch-verified fetched "${engine[@]}" fetch "$url/big/" "$scratch/big/" big.bin "$big_size" "$big_digest"
}
fetch_plain() {
  fresh_folder "$scratch/big"
  measure fetch-plain fetched "${engine[@]}" fetch "$url/big/" "$scratch/big/" big.bin -1
}
log "hashing cost: one $(mib "$big_size") MiB download with and without hashing ($runs runs each)"
for ((i = 1; i <= runs; i++)); do
  round "$i" fetch_verified fetch_plain
done
rm -rf "$scratch/big"

if [ "$wine_rows" -eq 1 ]; then
  log "preparing the Wine prefix $wine_prefix"
  export WINEPREFIX=$wine_prefix
  # shellcheck source=../tests/servers/wine_env.sh
  source "$servers_sh/wine_env.sh"
  unset DISPLAY
  bash "$servers_sh/wine_prefix.sh" "$wine_prefix" "$ca" >/dev/null
  wine_started=1
  # A wineserver with Wine's services up, kept while the Wine rows run, so
  # no run pays for them.
  timeout 60 wineserver -k </dev/null >/dev/null 2>&1 || true
  timeout 60 wineserver -w </dev/null >/dev/null 2>&1 || true
  wineserver -p 60 </dev/null >/dev/null 2>&1
  timeout 120 wine cmd /c exit </dev/null >/dev/null 2>&1
  zscratch="Z:${scratch//\//\\}"
  wine_engine=(wine "$wb/mok_bench_run.exe")
  w_install_engine() {
    fresh_folder "$scratch/winstall"
    measure w-install-engine "Update selesai ($wtree_files file)" "${wine_engine[@]}" run "$url/wtree/" \
      "$zscratch\\winstall\\"
  }
  w_install_wininet() {
    fresh_folder "$scratch/wininet"
    measure w-install-wininet "$wtree_files fetched, 0 failed" wine "$wb/bench_wininet_fetch.exe" "$url/tree/" \
      "$zscratch\\wininet\\" "$zscratch\\wtree.list"
  }
  w_install_wininet_sha1() {
    fresh_folder "$scratch/wininet-sha1"
    measure w-install-wininet-sha1 "$wtree_files fetched, 0 failed" wine "$wb/bench_wininet_fetch.exe" --sha1 \
      "$url/tree/" "$zscratch\\wininet-sha1\\" "$zscratch\\wtree.list"
    cp "$tmp/out.txt" "$tmp/wininet-sha1.txt"
  }
  log "row 5, Wine: fresh install, $wtree_files files, $(mib "$wtree_bytes") MiB ($runs runs each)"
  for ((i = 1; i <= runs; i++)); do
    round "$i" w_install_engine w_install_wininet w_install_wininet_sha1
  done
  verify_tree "$scratch/winstall/" "$patch/wtree/manifest.txt"
  verify_tree "$scratch/wininet/" "$patch/wtree/manifest.txt"
  check_digests "$tmp/wininet-sha1.txt" "$patch/wtree/manifest.txt"
  rm -rf "$scratch/winstall" "$scratch/wininet" "$scratch/wininet-sha1"
  # Wine's own floor for memory: a WinINet process that fetched one file.
  head -n 1 "$scratch/wtree.list" >"$scratch/one.list"
  measure w-floor "1 fetched, 0 failed" wine "$wb/bench_wininet_fetch.exe" "$url/tree/" "$zscratch\\floor\\" \
    "$zscratch\\one.list"

  w_check_engine() {
    measure w-check-engine "File lengkap & terbaru" "${wine_engine[@]}" run "$url/many/" "$zscratch\\install-many\\"
  }
  w_check_attr() {
    measure w-check-attr "$many_count of $many_count current" wine "$wb/bench_attr_loop.exe" \
      "$zscratch\\install-many\\" "$zscratch\\patch\\many\\manifest.txt"
  }
  w_check_manifest() {
    measure w-check-manifest "1 fetched, 0 failed" wine "$wb/bench_wininet_fetch.exe" "$url/many/" \
      "$zscratch\\tmp\\" "$zscratch\\manifest.list"
  }
  echo manifest.txt >"$scratch/manifest.list"
  log "row 5, Wine: up-to-date check, $many_count entries ($short_runs runs each)"
  for ((i = 1; i <= short_runs; i++)); do
    round "$i" w_check_engine w_check_attr w_check_manifest
  done

  w_digest_engine() {
    printf 'bench-0' >"$scratch/install/MOK_patch.state"
    measure w-digest-engine "File lengkap & terbaru" "${wine_engine[@]}" run "$url/digest/" "$zscratch\\install\\"
  }
  w_digest_fixed() {
    printf 'bench-0' >"$scratch/install/MOK_patch.state"
    measure w-digest-fixed "File lengkap & terbaru" "${wine_engine[@]}" run "$url/one/" "$zscratch\\install\\"
  }
  w_digest_cryptoapi() {
    measure w-digest-cryptoapi "" wine "$wb/bench_cryptoapi_sha1.exe" "$zscratch\\install\\" "$zscratch\\digest.list"
    cp "$tmp/out.txt" "$tmp/digest-cryptoapi.txt"
  }
  w_digest_cryptoapi_per_file() {
    measure w-digest-cryptoapi-per-file "" wine "$wb/bench_cryptoapi_sha1.exe" --provider-per-file \
      "$zscratch\\install\\" "$zscratch\\digest.list"
    cp "$tmp/out.txt" "$tmp/digest-cryptoapi-per-file.txt"
  }
  log "row 5, Wine: digest pass, $digest_files files, $(mib "$digest_bytes") MiB ($runs runs each)"
  for ((i = 1; i <= runs; i++)); do
    round "$i" w_digest_engine w_digest_cryptoapi w_digest_cryptoapi_per_file w_digest_fixed
  done
  check_digests "$tmp/digest-cryptoapi.txt" "$patch/digest/manifest.txt"
  check_digests "$tmp/digest-cryptoapi-per-file.txt" "$patch/digest/manifest.txt"
  # What the Win32 back end's provider per hashed file costs under Wine.
  acquire_alone=$(timeout 300 wine "$wb/bench_acquire_cost.exe" | tr -d '\r')
  acquire_after_tls=$(timeout 300 wine "$wb/bench_acquire_cost.exe" "$url/one/version.txt" | tr -d '\r')
fi

# ---- The table ----------------------------------------------------------------------

label() {
  case $1 in
    *-engine) echo "engine" ;;
    install-curl-one) echo "curl, one process" ;;
    install-curl-each) echo "curl, a process per file" ;;
    check-stat) echo "stat() loop" ;;
    check-manifest) echo "curl, the manifest alone" ;;
    w-check-manifest) echo "WinINet loop, the manifest alone" ;;
    *-fixed) echo "engine, one-entry manifest" ;;
    digest-openssl) echo "OpenSSL SHA-1 loop" ;;
    digest-sha1sum) echo "sha1sum" ;;
    fetch-verified) echo "DownloadFile, verified" ;;
    fetch-plain) echo "DownloadFile, size -1" ;;
    w-install-wininet) echo "WinINet loop" ;;
    w-install-wininet-sha1) echo "WinINet + CryptoAPI SHA-1 loop" ;;
    w-check-attr) echo "GetFileAttributesExA loop" ;;
    w-digest-cryptoapi) echo "CryptoAPI SHA-1 loop" ;;
    w-digest-cryptoapi-per-file) echo "CryptoAPI SHA-1 loop, a provider per file" ;;
    w-floor) echo "WinINet, one small file" ;;
    *) echo "$1" ;;
  esac
}
row() {  # ROW DATA OURS REF TARGET
  local r cpu="n/a"
  r=$(ratio "$3" "$4")
  # Under Wine much of the work is done by wineserver, which no run counts.
  [[ $3 == w-* ]] || cpu=$(ratio "$3" "$4" 3)
  printf '| %s | %s | %s: %s s | %s: %s s | %s | %s | %s |\n' "$1" "$2" "$(label "$3")" "$(median "$3")" \
    "$(label "$4")" "$(median "$4")" "$r" "$cpu" "${5:+≤ $5×: $(verdict "$r" "$5")}"
}
memory_row() {  # ROW NAME MANIFEST_BYTES
  local peak limit
  peak=$(peak_mib "$2")
  limit=$(memory_limit "$3")
  printf '| %s | %s | %s MiB | %s MiB | %s |\n' "$1" "$(label "$2")" "$peak" "$limit" "$(verdict "$peak" "$limit")"
}
wine_memory_row() {  # ROW NAME MANIFEST_BYTES: the peak above Wine's floor counts
  local peak above limit
  peak=$(peak_mib "$2")
  above=$(awk -v p="$peak" -v f="$(peak_mib w-floor)" 'BEGIN { printf "%.1f", p - f }')
  limit=$(memory_limit "$3")
  printf '| %s | %s | %s MiB | %s MiB | %s MiB | %s |\n' "$1" "$(label "$2")" "$peak" "$above" "$limit" \
    "$(verdict "$above" "$limit")"
}

echo
echo "MOK Patcher benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load average at the end" \
  "$(cut -d' ' -f1-3 /proc/loadavg); medians of $runs runs ($short_runs for the up-to-date checks and the" \
  "native digest pass)"
echo
echo "| row | data | ours (median) | reference (median) | ratio | CPU-time ratio | target |"
echo "|---|---|---|---|---|---|---|"
row "1 fresh install" "$tree_files files, $(mib "$tree_bytes") MiB" install-engine install-curl-one 1.25
row "1 fresh install" "$tree_files files, $(mib "$tree_bytes") MiB" install-engine install-curl-each ""
row "2 up-to-date check" "$many_count entries, manifest $(mib "$many_manifest") MiB" check-engine check-stat 1.5
row "3 digest pass" "$digest_files files, $(mib "$digest_bytes") MiB" digest-engine digest-openssl 1.10
row "3 digest pass" "$digest_files files, $(mib "$digest_bytes") MiB" digest-engine digest-sha1sum ""
row "hashing while downloading" "1 file, $(mib "$big_size") MiB" fetch-verified fetch-plain ""
if [ "$wine_rows" -eq 1 ]; then
  row "5 Wine fresh install" "$wtree_files files, $(mib "$wtree_bytes") MiB" w-install-engine w-install-wininet 1.25
  row "5 Wine fresh install" "$wtree_files files, $(mib "$wtree_bytes") MiB" w-install-engine w-install-wininet-sha1 ""
  row "5 Wine up-to-date check" "$many_count entries" w-check-engine w-check-attr 1.5
  row "5 Wine digest pass" "$digest_files files, $(mib "$digest_bytes") MiB" w-digest-engine w-digest-cryptoapi 1.10
  row "5 Wine digest pass" "$digest_files files, $(mib "$digest_bytes") MiB" w-digest-engine \
    w-digest-cryptoapi-per-file ""
fi
# ratio_less_fixed OURS FIXED REF: the ratio once the fixed cost is taken off.
ratio_less_fixed() {
  awk -v a="$(median "$1")" -v f="$(median "$2")" -v b="$(median "$3")" 'BEGIN { printf "%.2f", (a - f) / b }'
}
manifest_text="$(median check-manifest) s with curl"
check_text="$(ratio_less_fixed check-engine check-manifest check-stat)× the stat() loop natively"
if [ "$wine_rows" -eq 1 ]; then
  manifest_text+=" and $(median w-check-manifest) s with the WinINet loop under Wine"
  check_text+=" and $(ratio_less_fixed w-check-engine w-check-manifest w-check-attr)× the GetFileAttributesExA loop"
  check_text+=" under Wine"
fi
echo
echo "Downloading the $(mib "$many_manifest") MiB manifest alone (a process of its own) takes $manifest_text."
echo "Less that, the up-to-date check is $check_text."
fixed_text="$(median digest-fixed) s natively"
less_text="$(ratio_less_fixed digest-engine digest-fixed digest-openssl)× the OpenSSL loop natively"
if [ "$wine_rows" -eq 1 ]; then
  fixed_text+=" and $(median w-digest-fixed) s under Wine"
  less_text+=", $(ratio_less_fixed w-digest-engine w-digest-fixed w-digest-cryptoapi)× the CryptoAPI loop and"
  less_text+=" $(ratio_less_fixed w-digest-engine w-digest-fixed w-digest-cryptoapi-per-file)× the loop with a"
  less_text+=" provider per file under Wine"
fi
echo
echo "A run with a one-entry manifest (start-up, TLS handshake, version.txt, manifest, one file hashed)"
echo "takes $fixed_text. Less that, the digest pass is $less_text."
if [ "$wine_rows" -eq 1 ]; then
  echo "Under Wine a WinINet process that fetches one small file takes $(median w-floor) s; CryptAcquireContextA" \
    "with its release: $acquire_alone, $acquire_after_tls."
fi
awk -v v="$(median fetch-verified)" -v p="$(median fetch-plain)" -v b="$big_size" 'BEGIN {
  printf "Hashing while downloading costs %.3f s per GiB (%.0f%% of the download without it).\n",
    (v - p) * 1073741824 / b, 100 * (v - p) / p }'

echo
echo "Peak memory (largest maximum resident set size of the runs; target 16 MiB + 2 × manifest):"
echo
echo "| row | run | peak | limit | target |"
echo "|---|---|---|---|---|"
memory_row "1 fresh install" install-engine "$tree_manifest"
memory_row "2 up-to-date check" check-engine "$many_manifest"
memory_row "3 digest pass" digest-engine "$digest_manifest"
memory_row "hashing while downloading" fetch-verified 0
for reference in install-curl-one check-stat digest-openssl digest-sha1sum; do
  printf '| reference | %s | %s MiB | | |\n' "$(label "$reference")" "$(peak_mib "$reference")"
done
if [ "$wine_rows" -eq 1 ]; then
  echo
  echo "Under Wine a process that only loads WinINet and fetches one small file already peaks at" \
    "$(peak_mib w-floor) MiB (Wine's floor); the target applies to the peak above it:"
  echo
  echo "| row | run | peak | above Wine's floor | limit | target |"
  echo "|---|---|---|---|---|---|"
  wine_memory_row "5 Wine fresh install" w-install-engine "$wtree_manifest"
  wine_memory_row "5 Wine up-to-date check" w-check-engine "$many_manifest"
  wine_memory_row "5 Wine digest pass" w-digest-engine "$digest_manifest"
  for reference in w-install-wininet w-install-wininet-sha1 w-check-attr w-digest-cryptoapi \
    w-digest-cryptoapi-per-file; do
    printf '| reference | %s | %s MiB | | | |\n' "$(label "$reference")" "$(peak_mib "$reference")"
  done
fi
echo
echo "Raw seconds and peak KiB of every run: $results (kept with --keep)."
