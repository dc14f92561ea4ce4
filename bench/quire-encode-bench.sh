#!/usr/bin/env bash
# quire-encode's overhead over the same FFmpeg encode run by hand, on a 10-second DVD clip.
#
# Runs on its own, without make:
#     bench/quire-encode-bench.sh [QUIRE_ENCODE]
# QUIRE_ENCODE is the program to time. Without it the script builds it in Release (-O2) in
# build/encode-bench (cmake -DCMAKE_BUILD_TYPE=Release -DQUIRE_TESTS=OFF; needs cmake and ninja).
# Environment: RUNS (timed runs of each, default 3), SECONDS_OF_VIDEO (default 10).
#
# What it does: encodes the clip with ffmpeg (720x576, 25 frames/s, MPEG-2 at 8 Mbit/s, as a DVD
# segment would be), writes an HC settings file for a two-pass encode at 5000 kbit/s with a custom
# matrix, runs quire-encode once to learn the FFmpeg command lines it runs (it prints them), then
# times quire-encode and those same command lines alternately, RUNS times each. Prints the best
# times, their ratio, and whether the overhead is under 5 %. Exit status 1 when it is not.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-3}
seconds=${SECONDS_OF_VIDEO:-10}

if [ $# -ge 1 ]; then
    encoder=$1
else
    build="$root/build/encode-bench"
    echo "Building quire-encode (Release, -O2) in $build"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUIRE_TESTS=OFF >/dev/null
    cmake --build "$build" --target quire-encode >/dev/null
    encoder="$build/bin/quire-encode"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ffmpeg -v error -nostdin -f lavfi -i "testsrc2=s=720x576:r=25" -t "$seconds" -c:v mpeg2video -b:v 8M \
    -maxrate 9M -bufsize 1835008 -f mpeg2video "$work/source.m2v"
{
    printf '*BATCH\r\n*PROFILE  NORMAL\r\n*INFILE  %s\r\n*OUTFILE  %s\r\n' "$work/source.m2v" "$work/out.m2v"
    printf '*BITRATE  5000\r\n*MAXBITRATE  8000\r\n*WAIT 0\r\n*CUSTOMMATRIX\r\n'
    for r in 0 1 2 3 4 5 6 7; do printf '%s\r\n' "$(seq -s ' ' $((8 + 2 * r)) 3 $((29 + 2 * r)))"; done
    printf '\r\n'
    for r in 0 1 2 3 4 5 6 7; do printf '%s\r\n' "$(seq -s ' ' $((16 + r)) 2 $((30 + r)))"; done
    printf '*ASPECT 4:3\r\n'
} >"$work/job.ini"

"$encoder" -ini "$work/job.ini" >"$work/first.txt"
# The same runs by hand: quire-encode's temporary folder and its ".part" name replaced by our own.
grep '^quire-encode: running: ' "$work/first.txt" | sed 's/^quire-encode: running: //' |
    sed -E "s#/[^ ']*/quire-encode-[A-Za-z0-9]+/pass#$work/pass#; s#out\.m2v\.part#byhand.m2v#" >"$work/byhand.sh"
[ "$(wc -l <"$work/byhand.sh")" -eq 2 ] || { echo "expected two FFmpeg runs"; exit 1; }

now() { date +%s.%N; }
best_tool=999999
best_hand=999999
for ((i = 0; i < runs; i++)); do
    t0=$(now); "$encoder" -ini "$work/job.ini" >/dev/null; t1=$(now)
    bash "$work/byhand.sh"; t2=$(now)
    tool=$(echo "$t1 - $t0" | bc); hand=$(echo "$t2 - $t1" | bc)
    echo "run $((i + 1)): quire-encode ${tool}s, by hand ${hand}s"
    best_tool=$(echo "if ($tool < $best_tool) $tool else $best_tool" | bc)
    best_hand=$(echo "if ($hand < $best_hand) $hand else $best_hand" | bc)
done
# quire-encode adds the sequence end code that FFmpeg's elementary stream lacks.
cmp -s -n "$(stat -c %s "$work/byhand.m2v")" "$work/out.m2v" "$work/byhand.m2v" &&
    echo "the two streams are byte for byte the same, but for quire-encode's sequence end code"
ratio=$(echo "scale=4; $best_tool / $best_hand" | bc)
echo "best: quire-encode ${best_tool}s, by hand ${best_hand}s, ratio $ratio"
if [ "$(echo "$ratio < 1.05" | bc)" -eq 1 ]; then
    echo "overhead under 5 %: yes"
else
    echo "overhead under 5 %: no"
    exit 1
fi
