#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: check_readme_examples.sh README PROGRAM SAMPLE [wine]
# Runs every command of the README's examples, in order, in a scratch folder that holds a copy of
# SAMPLE, and fails when what one prints (its output and errors) differs from the lines the README
# shows below it. Natively the commands are the "$ checksumme ..." lines of the section's console
# blocks, PROGRAM standing for checksumme; with "wine" they are the "> checksumme.exe ..." lines of
# its doscon blocks, PROGRAM run under Wine.
set -euo pipefail
readme=$1 program=$2 sample=$3 kind=${4:-native}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$sample" "$dir/"
if [ "$kind" = wine ]; then block='```doscon' prompt='> checksumme.exe '; else block='```console' prompt='$ checksumme '; fi
section=$(sed -n '/^## Examples$/,/^## [A-Z]/p' "$readme")
bad=0 count=0 arguments="" expected="" inside=0 started=0
run() {
    [ $started = 1 ] || return 0
    count=$((count + 1))
    local actual
    if [ "$kind" = wine ]; then
        # (into a file: a pipe can keep a Wine program's server waiting)
        (cd "$dir" && eval "set -- $arguments" && wine "$program" "$@" >"$dir/out" 2>&1) || true
        actual=$(tr -d '\r' <"$dir/out")
    else
        actual=$(cd "$dir" && eval "set -- $arguments" && "$program" "$@" 2>&1) || true
    fi
    if [ "$actual" != "$expected" ]; then
        echo "the README shows otherwise for: ${prompt}$arguments"
        diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") || true
        bad=1
    fi
}
while IFS= read -r line; do
    if [ "$line" = "$block" ]; then inside=1 && continue; fi
    [ $inside = 1 ] || continue
    if [ "$line" = '```' ]; then
        run
        inside=0 started=0
    elif [ "${line#"$prompt"}" != "$line" ]; then
        run
        arguments=${line#"$prompt"} expected="" started=1
    else
        expected+="${expected:+$'\n'}$line"
    fi
done <<<"$section"
[ $count -gt 0 ] || { echo "no examples in $readme"; exit 1; }
[ $bad -eq 0 ] && echo "$readme: its $count examples ($kind) print what it shows"

# The commands that the pages in docs/ show, each run on copies of SAMPLE under the names it
# gives (a binary file of 16 bytes for a .bin): every one must be a command line the program
# takes (what it then finds in the copies is not compared). Lines with placeholders (FILE,
# ADDRESS...), shell syntax or a table's columns are forms, not examples; a line that ends in
# "\\" goes on.
docs=$(dirname "$readme")/docs
# (the exe takes the native spellings too: it runs both)
if [ "$kind" = wine ]; then name='checksumme(\.exe)?' group=3; else name='checksumme' group=2; fi
taken=0
while IFS= read -r command; do
    [ -n "$command" ] || continue
    work=$(mktemp -d -p "$dir")
    for token in $command; do
        file=${token%%@*}
        case "$file" in
        -*) ;;
        *.hex | *.eep) mkdir -p "$work/$(dirname -- "$file")" && cp "$sample" "$work/$file" ;;
        *.bin) mkdir -p "$work/$(dirname -- "$file")" && head -c 16 /dev/zero >"$work/$file" ;;
        esac
    done
    if [ "$kind" = wine ]; then
        (cd "$work" && eval "set -- $command" && wine "$program" "$@" >"$work/out" 2>&1) || true
    else
        (cd "$work" && eval "set -- $command" && "$program" "$@" >"$work/out" 2>&1) || true
    fi
    if grep -q "Try 'checksumme --help'\|^Usage: " "$work/out"; then
        echo "docs/ shows a command the program refuses: $command"
        cat "$work/out"
        bad=1
    fi
    taken=$((taken + 1))
done < <(cat "$docs"/*.md 2>/dev/null | sed -e ':a' -e '/\\$/N; s/\\\n *//; ta' |
    sed -nE "s/^[[:space:]]*([$>] )?$name (.*)$/\\$group/p" | grep -vE '[$|<>%`;&()]|  |\b[A-Z]*[G-Z][A-Z]*\b' |
    grep -vE '^(/\?|--help|-h)$' || true)
[ -d "$docs" ] && echo "$docs: $taken commands ($kind) taken as they are written"
exit $bad
