#!/usr/bin/env bash
# The bash completion of orvo and kestrum-prop offers what the programs take: every option,
# output type and frame rate that orvo --help lists, every command and kind of kestrum-prop
# --help, files by extension, and the sections and keys of a property file.
# Usage: completion_test.sh COMPLETION_DIR ORVO KESTRUM_PROP
set -euo pipefail
completions=$(realpath "$1")
orvo=$(realpath "$2")
kestrum_prop=$(realpath "$3")

if [ ! -f /usr/share/bash-completion/bash_completion ]; then
    echo "SKIPPED: bash-completion is not installed (scripts/install-deps installs it)"
    exit 77
fi
set +eu
source /usr/share/bash-completion/bash_completion
set -eu
source "$completions/orvo"
source "$completions/kestrum-prop"
# The kestrum-prop completion reads property files with the program under test.
PATH=$(dirname "$kestrum_prop"):$PATH

failures=0
# expect WHAT EXPECTED ACTUAL: the lists, one word a line, compared as sets.
expect() {
    if [ "$(sort -u <<<"$2")" != "$(sort -u <<<"$3")" ]; then
        echo "FAILED: $1"
        diff <(sort -u <<<"$2") <(sort -u <<<"$3") | sed 's/^/    /' || true
        failures=$((failures + 1))
    fi
}
# complete FUNCTION WORD...: what FUNCTION offers for the last word of the command line.
complete_words() {
    local function=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMP_LINE="$*"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    "$function" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    if [ ${#COMPREPLY[@]} -gt 0 ]; then
        printf '%s\n' "${COMPREPLY[@]}"
    fi
}
# words_after TEXT LABEL: the comma-separated words after LABEL in TEXT, up to the next
# bracket or point followed by a blank (help lines are wrapped, so blanks are joined first).
words_after() {
    tr -s ' \n' '  ' <<<"$1" | sed -n "s/.*$2 \([^(]*\).*/\1/p" | sed 's/\. .*//; s/[.]\? *$//' |
        sed 's/,\? or /, /' | tr ',' '\n' | tr -d ' '
}

help=$("$orvo" --help)
options=$(grep -oE '^  (-[-a-z0-9?]+(, )?)+' <<<"$help" | tr ',' '\n' | tr -d ' ')
expect "orvo: the options of --help" "$options" "$(complete_words _orvo orvo -)"
expect "orvo: the options after another one" "$options" \
    "$(complete_words _orvo orvo --test-mode '')"
output_types=$(words_after "$help" "What the run writes:")
expect "orvo: the output types of --help" "$output_types" \
    "$(complete_words _orvo orvo --batch a.txt --output-type '')"
frame_rates=$(words_after "$help" "Frame rate of the timecodes:")
expect "orvo: the frame rates of --help" "$frame_rates" "$(complete_words _orvo orvo --fps '')"
expect "orvo: a frame rate begun after =" "$(grep '^2' <<<"$frame_rates")" \
    "$(complete_words _orvo orvo --fps=2)"
expect "orvo: nothing for a number" "" "$(complete_words _orvo orvo --jobs '')"

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder"
mkdir films
touch a.srt b.txt c.ASS d.vtt e.png orvo.cfg f.sst
expect "orvo: subtitle files and folders" $'a.srt\nb.txt\nc.ASS\nd.vtt\nfilms' \
    "$(complete_words _orvo orvo --batch '')"
expect "orvo: settings files" $'orvo.cfg\nfilms' "$(complete_words _orvo orvo --settings '')"
expect "orvo: the list --convert writes" $'b.txt\nfilms' \
    "$(complete_words _orvo orvo --convert a.srt -o '')"

prop_help=$("$kestrum_prop" --help)
commands=$(sed -n 's/^\(Usage:\|  or:\) *kestrum-prop \([a-z-]*\).*/\2/p' <<<"$prop_help")
commands+=$'\n--help\n--version'
expect "kestrum-prop: the commands of --help" "$commands" \
    "$(complete_words _kestrum_prop kestrum-prop '')"
kinds=$(words_after "$prop_help" "KIND is")
expect "kestrum-prop: the kinds of --help" "$kinds" \
    "$(complete_words _kestrum_prop kestrum-prop set orvo.cfg Look Name '')"
expect "kestrum-prop: property files and folders" $'orvo.cfg\nfilms' \
    "$(complete_words _kestrum_prop kestrum-prop dump '')"
rm orvo.cfg
"$kestrum_prop" set orvo.cfg "" LeftMargin int 40
"$kestrum_prop" set orvo.cfg "" Align int 1
"$kestrum_prop" set orvo.cfg Look ImgName string Reel
expect "kestrum-prop: the sections of the file" $'""\nLook' \
    "$(complete_words _kestrum_prop kestrum-prop get orvo.cfg '')"
expect "kestrum-prop: the keys of the default section" $'LeftMargin\nAlign' \
    "$(complete_words _kestrum_prop kestrum-prop set orvo.cfg '""' '')"
expect "kestrum-prop: the keys of a named section" "ImgName" \
    "$(complete_words _kestrum_prop kestrum-prop delete orvo.cfg Look '')"

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "The completion offers every option, value and file kind tested."
