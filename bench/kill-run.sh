#!/usr/bin/env bash
# Kills orvo --batch runs at random moments with SIGKILL and checks that every file left behind
# is whole: each run writes the same script and bitmaps, so every file must equal the one of a
# finished run byte for byte (old or new, never cut short). Prints the counts.
#   bench/kill-run.sh [ORVO] [ROUNDS]    (default: build/release/bin/orvo, 50 rounds)
set -euo pipefail
cd "$(dirname "$0")/.."
orvo=$(realpath "${1:-build/release/bin/orvo}")
rounds=${2:-50}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for i in $(seq 1 500); do
    printf '%d\t00:00:%02d:00\t00:00:%02d:12\tSubtitle number %d\tof the kill test\r\n' \
        "$i" $((i % 60)) $((i % 60)) "$i"
done >"$work/film.txt"
mkdir "$work/reference"
cp "$work/film.txt" "$work/reference/"
"$orvo" --batch "$work/reference/film.txt" --ignore-list-config >/dev/null
# ImageMagick is the outside reader that vouches for the reference bitmaps.
identify "$work/reference/OutputImg.1.bmp" "$work/reference/OutputImg.500.bmp" >/dev/null

whole=0
broken=0
leftovers=0
for round in $(seq 1 "$rounds"); do
    "$orvo" --batch "$work/film.txt" --ignore-list-config >/dev/null 2>&1 &
    sleep "0.$((RANDOM % 400))"
    kill -9 $! 2>/dev/null || true
    wait $! 2>/dev/null || true
    leftovers=$((leftovers + $(find "$work" -maxdepth 1 -name '*.tmp*' | wc -l)))
    for file in "$work"/film.sst "$work"/OutputImg.*.bmp; do
        [ -e "$file" ] || continue
        if cmp -s "$file" "$work/reference/$(basename "$file")"; then
            whole=$((whole + 1))
        else
            broken=$((broken + 1))
            echo "round $round: $(basename "$file") is not whole" >&2
        fi
    done
done
"$orvo" --batch "$work/film.txt" --ignore-list-config >/dev/null
remaining=$(find "$work" -maxdepth 1 -name '*.tmp*' | wc -l)
echo "$rounds runs killed: $whole files whole, $broken cut short or damaged;" \
    "$leftovers temporary files left by the kills, $remaining after the next run"
[ "$broken" -eq 0 ] && [ "$remaining" -eq 0 ]
