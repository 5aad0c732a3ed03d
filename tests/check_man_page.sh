#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: check_man_page.sh PAGE PROGRAM
# Fails when groff (every warning on) or mandoc's lint says anything about the man page, when
# the page lacks one of its sections, or when an option that PROGRAM --help names is not in its
# OPTIONS.
set -euo pipefail
page=$1 program=$2
bad=0
said=$(groff -man -ww -z "$page" 2>&1)
[ -z "$said" ] || { printf 'groff:\n%s\n' "$said"; bad=1; }
said=$(mandoc -Tlint "$page" 2>&1) || true
[ -z "$said" ] || { printf 'mandoc:\n%s\n' "$said"; bad=1; }

text=$(mandoc -Tascii "$page" | col -b)
for section in NAME SYNOPSIS DESCRIPTION OPTIONS 'EXIT STATUS' EXAMPLES 'SEE ALSO'; do
    grep -qx "$section" <<<"$text" || { echo "no section $section"; bad=1; }
done
options=$(sed -n '/^OPTIONS$/,/^EXIT STATUS$/p' <<<"$text")
for option in $("$program" --help | grep -oE '(^|[][ (])--?[A-Za-z][A-Za-z-]*' |
    grep -oE -- '--?[A-Za-z-]+' | sort -u); do
    grep -qE -- "(^|[ ,])$option([ ,]|$)" <<<"$options" || {
        echo "option $option is not in OPTIONS"
        bad=1
    }
done
[ $bad -eq 0 ] && echo "$page: no warnings, every section and option"
exit $bad
