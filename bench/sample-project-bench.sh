#!/bin/sh
# Times quire-sample-project: the project `make run` offers, and one with every option and twice
# the segments. Each must be built in under 60 s (the machine has 2 cores).
set -eu
program="${1:?usage: sample-project-bench.sh PATH/TO/quire-sample-project}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
status=0
bench() {
    name="$1"
    shift
    start=$(date +%s.%N)
    "$program" "$work/$name" "$@" >/dev/null
    end=$(date +%s.%N)
    seconds=$(awk "BEGIN { printf \"%.1f\", $end - $start }")
    echo "sample project ($name): ${seconds} s"
    if awk "BEGIN { exit !($seconds >= 60) }"; then
        echo "  slower than 60 s" >&2
        status=1
    fi
}
bench default
bench everything --ntsc --film --movie 8 --extras 4 --ilvu --blanked --slide-show --analysis --encoder quenc
bench full-size --size 720x576 --seconds 4
exit $status
