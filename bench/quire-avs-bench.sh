#!/usr/bin/env bash
# quire-avs's --y4m throughput against FFmpeg running the same filter graph by hand, on a 10 s
# 720x576 segment read through a .d2v (Mpeg2Source, Trim, ConvertToYV12).
#
#     bench/quire-avs-bench.sh QUIRE_AVS
# Environment: RUNS (timed runs of each, default 5). Prints the median times and their ratio
# (FFmpeg time / quire-avs time) and exits 1 when quire-avs reaches less than 90% of FFmpeg's
# throughput. Also times the segment with Undot and Deen added (no FFmpeg counterpart: its exact
# Deen, a geq expression, runs at about 2 frames a second).
set -euo pipefail
avs=$(realpath "${1:?usage: quire-avs-bench.sh QUIRE_AVS}")
[ -x "$avs" ] || { echo "not a program: $avs" >&2; exit 2; }
runs=${RUNS:-5}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
ffmpeg -nostdin -v error -f lavfi -i "testsrc2=s=720x576:r=25,format=yuv420p,trim=end_frame=250" -c:v mpeg2video \
    -g 15 -bf 2 -flags +cgop -sc_threshold 1000000000 -b:v 6000k -f vob VTS_01_1.VOB
flags=$(python3 -c "print(' '.join('d2' if i % 15 == 0 else 'f2' for i in range(250)))")
printf 'DGIndexProjectFile16\r\n1\r\nVTS_01_1.VOB\r\n\r\nStream_Type=1\r\nClipping=0,0,0,0\r\nPicture_Size=720x576\r\nField_Operation=2\r\nFrame_Rate=25000 (25/1)\r\n\r\n900 5 0 0 0 0 0 %s ff\r\n\r\nFINISHED\r\n' "$flags" > P.d2v
printf 'Mpeg2Source("P.d2v")\r\nTrim(10,239)\r\nConvertToYV12()\r\n' > plain.avs
printf 'Mpeg2Source("P.d2v")\r\nTrim(10,239)\r\nUndot() Deen("c3d",rad=1,thrY=10,thrUV=12,tthY=0,tthUV=0,min=1.00) ConvertToYV12()\r\n' > filtered.avs
graph='[0:v:0]format=yuv420p,trim=end_frame=250,setpts=N/(25/1)/TB,trim=start_frame=10:end_frame=240,setpts=PTS-STARTPTS,setsar=1,format=yuv420p[v]'
seconds() { local s e; s=$(date +%s.%N); "$@" > /dev/null || { echo "failed: $*" >&2; exit 1; }; e=$(date +%s.%N); echo "$e - $s" | bc; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
ff=() av=() fl=()
for ((i = 0; i < runs; i++)); do
    ff+=("$(seconds ffmpeg -nostdin -v error -i VTS_01_1.VOB -filter_complex "$graph" -map '[v]' -fps_mode passthrough -r 25 -f yuv4mpegpipe -)")
    av+=("$(seconds "$avs" plain.avs --y4m -)")
    fl+=("$(seconds "$avs" filtered.avs --y4m -)")
done
tf=$(printf '%s\n' "${ff[@]}" | median) ta=$(printf '%s\n' "${av[@]}" | median) tl=$(printf '%s\n' "${fl[@]}" | median)
ratio=$(echo "scale=3; $tf / $ta" | bc)
echo "230 frames 720x576: ffmpeg ${tf}s, quire-avs ${ta}s (throughput ratio $ratio, needs 0.90); with Undot+Deen ${tl}s"
[ "$(echo "$ratio >= 0.9" | bc)" = 1 ]
