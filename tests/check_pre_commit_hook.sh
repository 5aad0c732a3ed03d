#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: check_pre_commit_hook.sh SOURCE_DIR PROGRAM_DIR
# Runs the hook of SOURCE_DIR/.pre-commit-hooks.yaml as a user's repository would, with
# pre-commit try-repo (the source tree's hooks, changes not committed included) and offline:
# language: system needs nothing downloaded, and checksumme comes from PROGRAM_DIR. In a
# throwaway repository, a wrong checksum in a .eep fails the hook and is named, a .txt is not
# checked, and once the file is patched the hook passes.
set -euo pipefail
source=$1 programs=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PATH="$programs:$PATH" PRE_COMMIT_HOME="$work/cache" HOME="$work"
git -C "$source" rev-parse --git-dir >/dev/null 2>&1 || {
    echo "$source is no git repository: pre-commit cannot take hooks from it"
    exit 77
}
repo=$work/repo
git init -q "$repo"
cd "$repo"
git config user.email hook@test.invalid
git config user.name hook
printf ':00000001FF\r\n' >good.hex
printf ':0000000100\r\n' >firmware.eep
printf ':0000000100\n' >notes.txt
git add good.hex firmware.eep notes.txt

bad=0
if out=$(pre-commit try-repo "$source" checksumme 2>&1); then
    echo "the hook passed a wrong checksum:"
    bad=1
fi
grep -q '^firmware.eep:1: checksum 00, should be FF$' <<<"$out" || {
    echo "the hook did not name the wrong checksum:"
    bad=1
}
if grep -q 'notes.txt' <<<"$out"; then
    echo "the hook checked a .txt file:"
    bad=1
fi
[ $bad -eq 0 ] || printf '%s\n' "$out"

checksumme -q firmware.eep
git add firmware.eep
out=$(pre-commit try-repo "$source" checksumme 2>&1) || {
    printf 'the hook failed on right checksums:\n%s\n' "$out"
    bad=1
}
[ $bad -eq 0 ] && echo "the hook fails on a wrong checksum, names it, and passes once it is patched"
exit $bad
