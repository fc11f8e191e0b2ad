#!/usr/bin/env bash
# Kills orvo --batch runs at random moments with SIGKILL and checks that every file left behind
# is whole. The runs alternate between two lists whose script and bitmaps differ in every file,
# so each file must equal, byte for byte, the one of a finished run of either list: old or new,
# never cut short or mixed. Prints the counts.
#   bench/kill-run.sh [ORVO] [ROUNDS]    (default: build/release/bin/orvo, 50 rounds)
set -euo pipefail
orvo=$(realpath "${1:-$(dirname "$0")/../build/release/bin/orvo}")
rounds=${2:-50}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

write_list() { # $1: the words that make the two lists differ
    for i in $(seq 1 500); do
        printf '%d\t00:00:%02d:%02d\t00:00:%02d:%02d\t%s %d\tof the kill test\r\n' \
            "$i" $((i % 60)) "${#1}" $((i % 60)) $((${#1} + 5)) "$1" "$i"
    done
}
for list in a b; do
    mkdir "$work/$list"
    write_list "$([ $list = a ] && echo 'Subtitle number' || echo 'Another line, called')" \
        >"$work/$list/film.txt"
    # Status 3: the list's times repeat every minute, which the run warns of.
    "$orvo" --batch "$work/$list/film.txt" --ignore-list-config >/dev/null || [ $? -eq 3 ]
done
# ImageMagick is the outside reader that vouches for the reference bitmaps.
identify "$work"/a/OutputImg.1.bmp "$work"/b/OutputImg.500.bmp >/dev/null

whole=0
broken=0
leftovers=0
for round in $(seq 1 "$rounds"); do
    cp "$work/$([ $((round % 2)) = 0 ] && echo a || echo b)/film.txt" "$work/film.txt"
    "$orvo" --batch "$work/film.txt" --ignore-list-config >/dev/null 2>&1 &
    sleep "0.$((RANDOM % 400))"
    kill -9 $! 2>/dev/null || true
    wait $! 2>/dev/null || true
    leftovers=$((leftovers + $(find "$work" -maxdepth 1 -name '*.tmp*' | wc -l)))
    for file in "$work"/film.sst "$work"/OutputImg.*.bmp; do
        [ -e "$file" ] || continue
        name=$(basename "$file")
        if cmp -s "$file" "$work/a/$name" || cmp -s "$file" "$work/b/$name"; then
            whole=$((whole + 1))
        else
            broken=$((broken + 1))
            echo "round $round: $name is neither list's whole file" >&2
        fi
    done
done
"$orvo" --batch "$work/film.txt" --ignore-list-config >/dev/null || [ $? -eq 3 ]
remaining=$(find "$work" -maxdepth 1 -name '*.tmp*' | wc -l)
echo "$rounds runs killed: $whole files whole, $broken cut short or mixed;" \
    "$leftovers temporary files left by the kills, $remaining after the next run"
[ "$broken" -eq 0 ] && [ "$remaining" -eq 0 ]
