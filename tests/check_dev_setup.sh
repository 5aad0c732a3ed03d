#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: check_dev_setup.sh SOURCE_DIR
# ./dev tools on a machine made up of stand-ins: a user who is not root and has no sudo, an
# apt-get whose update fails for one package list, and an install of qemu-user that fails. The
# install must go on after the failed update, run without sudo (and say so), and take away the
# package source it added for qemu-user. Nothing outside a scratch folder is touched.
set -euo pipefail
root=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
bin=$scratch/bin log=$scratch/apt.log
mkdir -p "$bin" "$scratch/sources.list.d"
# The one source of the release, for the backports suite to be made from.
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
printf 'Types: deb\nURIs: http://deb.example/debian\nSuites: %s\nComponents: main\n' \
    "$codename" >"$scratch/sources.list.d/main.sources"
for tool in bash sh dirname grep tr awk sed tee rm cat mkdir; do
    ln -s "$(command -v "$tool")" "$bin/$tool"
done
stand_in() { printf '#!/bin/sh\n%s\n' "$2" >"$bin/$1" && chmod +x "$bin/$1"; }
stand_in id 'case "$1" in -u) echo 1000 ;; *) echo tester ;; esac'
stand_in dpkg-query 'exit 1' # nothing is installed
stand_in dpkg 'case "$1" in --print-architecture) echo amd64 ;; --print-foreign-architectures) echo i386 ;; esac'
stand_in locale 'echo ru_RU.utf8'
stand_in apt-get "echo \"apt-get \$*\" >>$log
case \"\$*\" in
*update*) echo 'E: Failed to fetch http://deb.example/i386/Packages.xz'; exit 100 ;;
*qemu-user*) exit 100 ;;
esac"
out=$(env -i PATH="$bin" HOME="$scratch" CHECKSUMME_DEV_ROOT="$scratch" \
    bash "$root/dev" tools 2>&1) || { echo "./dev tools failed:"; echo "$out"; exit 1; }
bad=0
expect() { grep -q -- "$2" <<<"$1" || { echo "missing: $2"; bad=1; }; }
expect "$out" "warning: not root and no sudo"
expect "$out" "warning: not every package list could be fetched"
expect "$out" "could not install qemu-user"
expect "$(cat "$log")" "apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends cmake"
[ ! -e "$scratch/sources.list.d/checksumme-backports.sources" ] ||
    { echo "the backports source stayed"; bad=1; }
[ $bad -eq 0 ] || { echo "$out"; exit 1; }
echo "./dev tools: goes on past a failed package list, without sudo, and cleans up"
