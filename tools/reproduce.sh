#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: reproduce.sh (./dev reproduce; CI runs it after ./dev test)
# Clones this repository's last commit twice, into folders of different names and depths under
# build/reproduce, and makes the release in each (./dev dist). Every file of the two dist/
# folders must be the same, byte for byte. Then it checks what the release holds: the entries of
# the zip and the tar.gz, the Debian package's files and Depends, its program's --version and its
# man page, and SHA256SUMS.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$root/build/reproduce
commit=$(git -C "$root" rev-parse HEAD)
git -C "$root" diff --quiet HEAD ||
    echo "note: changes not committed are not in the clones; they build $commit" >&2

rm -rf "$work"
one=$work/one/checksumme
two=$work/second-clone/at/another/depth/src
for clone in "$one" "$two"; do
    git clone -q --no-checkout "$root" "$clone"
    git -C "$clone" checkout -q --detach "$commit"
    echo "== ./dev dist in $clone" >&2
    (cd "$clone" && ./dev dist)
done

passed=0 failed=0
check() { # check WHAT COMMAND...: one result
    if "${@:2}"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $1" >&2
    fi
}
same_files() {
    local bad=0 name
    [ "$(cd "$one/dist" && ls)" = "$(cd "$two/dist" && ls)" ] || {
        echo "the two dist/ folders hold different files" >&2
        bad=1
    }
    for name in $(cd "$one/dist" && ls); do
        cmp "$one/dist/$name" "$two/dist/$name" >&2 || bad=1
    done
    return $bad
}
check "both clones give the same dist/ files" same_files

dist=$one/dist
version=$("$one/build/dist/native/checksumme" --version | sed 's/^checksumme //')
zip=$dist/checksumme-$version-windows.zip
tgz=$dist/checksumme-$version-linux-$(uname -m).tar.gz
deb=$dist/checksumme_${version}_$(dpkg --print-architecture).deb
entries() { [ "$(printf '%s\n' "${@:2}")" = "$1" ] || { printf 'holds:\n%s\n' "$1" >&2; return 1; }; }
docs="docs/checksums.md docs/command-line.md docs/development.md docs/in-a-build.md docs/window.md
docs/window.png"
check "the zip's entries" entries "$(unzip -Z1 "$zip")" \
    LICENSE README.md $docs x64/checksumme.exe x86/checksumme.exe
check "the tar.gz's entries" entries "$(tar -tzf "$tgz")" \
    LICENSE README.md bin/ bin/checksumme docs/ $docs share/ share/man/ share/man/man1/ \
    share/man/man1/checksumme.1
check "the package's files" entries "$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}')" \
    ./usr/bin/checksumme ./usr/share/doc/checksumme/copyright \
    ./usr/share/man/man1/checksumme.1.gz
# The C library and libcrypto's package (libssl3, or libssl3t64 where time_t grew), nothing else.
check "the package depends on the C library and libcrypto" \
    grep -Eq '^libc6 \(>= [0-9.]+\), libssl3(t64)? \(>= [0-9.]+\)$' <(dpkg-deb -f "$deb" Depends)

unpacked=$work/unpacked
dpkg-deb -x "$deb" "$unpacked"
check "the packaged program's --version" \
    test "$("$unpacked/usr/bin/checksumme" --version)" = "checksumme $version"
check "the packaged man page" grep -q '^NAME' \
    <(MANWIDTH=80 man -l "$unpacked/usr/share/man/man1/checksumme.1.gz" 2>/dev/null)
check "the zip's programs are Windows programs of both kinds" grep -qz \
    'x64/checksumme.exe: PE32+ executable (GUI) x86-64.*x86/checksumme.exe: PE32 executable (GUI) Intel 80386' \
    <(cd "$work" && unzip -qo "$zip" -d zip && cd zip && file x64/checksumme.exe x86/checksumme.exe)
check "SHA256SUMS" bash -c "cd '$dist' && sha256sum --quiet -c SHA256SUMS"

echo "reproduce: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
