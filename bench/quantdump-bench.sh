#!/usr/bin/env bash
# QuantDump's speed against cat on a 1 GiB DVD program stream read from the page cache.
#
# Runs on its own, without make:
#     bench/quantdump-bench.sh [QUANTDUMP]
# QUANTDUMP is the program to time. Without it the script builds QuantDump in Release (-O2) in
# build/quantdump-bench (cmake -DCMAKE_BUILD_TYPE=Release -DQUIRE_TESTS=OFF; needs cmake and ninja).
# Environment: RUNS (timed runs of each program, default 7), SIZE_MIB (file size, default 1024),
# TMPDIR (where the big file goes: it needs that much free space, and as much free memory to stay
# in the page cache).
#
# What it does: encodes 20 s of DVD video with ffmpeg (720x576 MPEG-2 with one custom intra and
# one custom non-intra matrix, AC-3 sound, DVD navigation packs), then appends copies of that
# stream, less its first pack, until the file reaches the size, so that the one custom pair holds
# throughout and QuantDump has to read the whole file. It reads the file twice to bring it into
# the page cache, then times `cat FILE > /dev/null` and `QuantDump FILE OUT` alternately, RUNS
# times each, checks QuantDump's output, and prints the best and median times, their ratio, and
# whether QuantDump takes at most twice as long as cat. Exit status 1 when it does not. The big
# file is deleted at the end.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-7}
size_mib=${SIZE_MIB:-1024}

if [ $# -ge 1 ]; then
    quantdump=$1
else
    build="$root/build/quantdump-bench"
    echo "Building QuantDump (Release, -O2) in $build"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
        -DQUIRE_TESTS=OFF >/dev/null
    cmake --build "$build" --target QuantDump >/dev/null
    quantdump="$build/bin/QuantumDump/QuantDump"
fi
[ -x "$quantdump" ] || { echo "QuantDump not found at $quantdump" >&2; exit 2; }
command -v ffmpeg >/dev/null || { echo "ffmpeg is needed (Debian package ffmpeg)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/quantdump-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Raster order, row by row: intra 8 9 10 ... 71, non-intra 16 17 ... 79.
intra=$(seq -s, 8 71)
inter=$(seq -s, 16 79)
echo "Encoding the DVD stream"
ffmpeg -nostdin -hide_banner -loglevel error -y \
    -f lavfi -i "testsrc2=size=720x576:rate=25,noise=alls=12:allf=t" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000" -t 20 \
    -target pal-dvd -b:v 7500k -intra_matrix "$intra" -inter_matrix "$inter" "$work/segment.vob"

# The first pack (2048 bytes on a DVD) holds the stream's start; the copies carry on after it.
tail -c +2049 "$work/segment.vob" >"$work/body.vob"
big="$work/big.vob"
cp "$work/segment.vob" "$big"
target=$((size_mib * 1024 * 1024))
while [ "$(stat -c %s "$big")" -lt "$target" ]; do
    cat "$work/body.vob" >>"$big"
done
rm "$work/segment.vob" "$work/body.vob"
bytes=$(stat -c %s "$big")
echo "Stream: $bytes bytes ($((bytes / 1024 / 1024)) MiB)"

cat "$big" >/dev/null
cat "$big" >/dev/null

now() { date +%s%N; }
cat_times=()
qd_times=()
for run in $(seq 1 "$runs"); do
    start=$(now)
    cat "$big" >/dev/null
    cat_times+=($(($(now) - start)))
    start=$(now)
    "$quantdump" "$big" "$work/out.txt"
    qd_times+=($(($(now) - start)))
done

# The whole file keeps the one custom pair: blocks 3 to 6 all show it.
lines=$(tr -d '\r' <"$work/out.txt" | sed -n '21p;22p;31p;32p;41p;51p')
expected=$'Luma and Chroma Intra Quant Matrix:\n8 9 10 11 12 13 14 15\nLuma and Chroma Non-Intra Quant Matrix:\n16 17 18 19 20 21 22 23\nLuma and Chroma Intra Quant Matrix:\nLuma and Chroma Non-Intra Quant Matrix:'
if [ "$(wc -l <"$work/out.txt")" -ne 60 ] || [ "$lines" != "$expected" ]; then
    echo "QuantDump's output is not the expected dump of the custom pair:" >&2
    cat "$work/out.txt" >&2
    exit 1
fi

# best, median (ns) of a list
stats() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[1], v[int((NR + 1) / 2)] }'; }
read -r cat_best cat_median <<<"$(stats "${cat_times[@]}")"
read -r qd_best qd_median <<<"$(stats "${qd_times[@]}")"
ms() { awk -v ns="$1" 'BEGIN { printf "%.1f ms", ns / 1e6 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
mibs() { awk -v ns="$1" -v bytes="$bytes" 'BEGIN { printf "%.0f MiB/s", bytes / 1048576 / (ns / 1e9) }'; }

echo
echo "$runs runs each, file in the page cache"
printf '%-10s best %-10s (%s)  median %-10s (%s)\n' cat "$(ms "$cat_best")" "$(mibs "$cat_best")" \
    "$(ms "$cat_median")" "$(mibs "$cat_median")"
printf '%-10s best %-10s (%s)  median %-10s (%s)\n' QuantDump "$(ms "$qd_best")" "$(mibs "$qd_best")" \
    "$(ms "$qd_median")" "$(mibs "$qd_median")"
echo "QuantDump / cat: best $(ratio "$qd_best" "$cat_best"), median $(ratio "$qd_median" "$cat_median")"
if awk -v a="$qd_median" -v b="$cat_median" 'BEGIN { exit !(a <= 2 * b) }'; then
    echo "PASS: QuantDump takes at most twice as long as cat"
else
    echo "FAIL: QuantDump takes more than twice as long as cat"
    exit 1
fi
