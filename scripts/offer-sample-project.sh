#!/bin/sh
# Called by `make run` with the program folder. When its Editor.ini names no Tessera folder yet
# (no file, or an empty Config/TesseraFolder), builds a sample prepared Tessera project beside the
# program folder and points TesseraFolder at it; Editor.ini keeps every other byte. A Tessera
# folder already named is left alone. A failure is reported and Quire starts all the same.
set -u
bin="${1:?usage: offer-sample-project.sh PROGRAM_FOLDER}"
sample="$(cd "$bin/.." && pwd)/sample-tessera"
if ! "$bin/quire-sample-project" "$sample" --editor-ini "$bin/Editor.ini"; then
    echo "offer-sample-project: no sample project was made; Quire starts without one." >&2
fi
exit 0
