#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: dist.sh (./dev dist runs it, once the tools are installed)
# Builds the release of this tree into dist/, from fresh build folders under build/dist:
#   checksumme-VERSION-windows.zip       x86/ and x64/checksumme.exe, README.md, LICENSE
#   checksumme-VERSION-linux-ARCH.tar.gz bin/checksumme, share/man/man1/checksumme.1, README.md,
#                                        LICENSE
#   checksumme_VERSION_DEBARCH.deb       made by cpack (cmake/install.cmake)
#   SHA256SUMS                           over the three
# The same commit gives the same bytes in any folder (tools/reproduce.sh checks it): every time
# is SOURCE_DATE_EPOCH (the last commit's unless set), every owner root, every mode fixed, every
# archive sorted; the compiler and linker flags for that are in CMakeLists.txt.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$root/build/dist
out=$root/dist

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null) || {
        echo "no git history here: set SOURCE_DATE_EPOCH (seconds since 1970) for the files' times" >&2
        exit 1
    }
fi
export SOURCE_DATE_EPOCH
export TZ=UTC LC_ALL=C
umask 022
# The release is what the sources say, whatever this shell's flags.
unset CFLAGS CXXFLAGS CPPFLAGS LDFLAGS MAKEFLAGS

major=$(sed -n 's/^#define CHECKSUMME_VERSION_MAJOR \([0-9]*\)$/\1/p' "$root/app/version.h")
minor=$(sed -n 's/^#define CHECKSUMME_VERSION_MINOR \([0-9]*\)$/\1/p' "$root/app/version.h")
version=$major.$minor
arch=$(uname -m)
debarch=$(dpkg --print-architecture)

rm -rf "$work" "$out"
mkdir -p "$work" "$out"
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)

# Configures and builds the program alone (no tests, no benchmark) in build/dist/NAME.
build() {
    local name=$1 log="$work/$1.log"
    shift
    echo "building $name" >&2
    if ! cmake -S "$root" -B "$work/$name" "${gen[@]}" -DCMAKE_BUILD_TYPE=Release \
        -DCHECKSUMME_TESTS=OFF "$@" >"$log" 2>&1 ||
        ! cmake --build "$work/$name" --target checksumme --parallel "$(nproc)" >>"$log" 2>&1; then
        cat "$log" >&2
        echo "build failed ($name)" >&2
        exit 1
    fi
}

# Every file and folder under a staging folder: fixed modes (programs 755) and times.
settle() {
    find "$1" -type d -exec chmod 755 {} +
    find "$1" -type f -exec chmod 644 {} +
    [ $# -gt 1 ] && chmod 755 "${@:2}"
    find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

# Windows: both programs, stripped, as cmake --install puts them.
zip_root=$work/zip
mkdir -p "$zip_root"
for a in x86 x64; do
    build "$a" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$a.cmake"
    cmake --install "$work/$a" --prefix "$work/install-$a" >/dev/null
    mkdir -p "$zip_root/$a"
    cp "$work/install-$a/bin/checksumme.exe" "$zip_root/$a/"
done
cp "$root/README.md" "$root/LICENSE" "$zip_root/"
mkdir -p "$zip_root/docs"
cp "$root"/docs/*.md "$root/docs/window.png" "$zip_root/docs/"
settle "$zip_root"
# -X: no extra fields (owners, further times); -D: no folder entries; names in sorted order.
(cd "$zip_root" && find . -type f | sed 's|^\./||' | sort |
    zip -X -D -9 -q "$out/checksumme-$version-windows.zip" -@)

# Native: the installed tree, stripped, and the Debian package from the same build.
build native
tar_root=$work/tar
cmake --install "$work/native" --prefix "$tar_root" --strip >/dev/null
cp "$root/README.md" "$root/LICENSE" "$tar_root/"
mkdir -p "$tar_root/docs"
cp "$root"/docs/*.md "$root/docs/window.png" "$tar_root/docs/"
settle "$tar_root" "$tar_root/bin/checksumme"
tar --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner \
    --format=gnu -C "$tar_root" -cf - LICENSE README.md bin docs share |
    gzip -9n >"$out/checksumme-$version-linux-$arch.tar.gz"

(cd "$work/native" && cpack -G DEB >"$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log" >&2
    exit 1
}
cp "$work/native/checksumme_${version}_$debarch.deb" "$out/"
# The package names the library the digests come from (dpkg-shlibdeps finds it in the program).
depends=$(dpkg-deb -f "$out/checksumme_${version}_$debarch.deb" Depends)
case "$depends" in
*libssl*) ;;
*) echo "the package does not depend on libcrypto's package: $depends" >&2; exit 1 ;;
esac

(cd "$out" && sha256sum checksumme* >SHA256SUMS)
(cd "$out" && ls -l --time-style=+ | sed 1d) >&2
if commit=$(git -C "$root" rev-parse --short HEAD 2>/dev/null); then
    git -C "$root" diff --quiet HEAD || commit+=", with changes not committed"
else
    commit="a tree without git"
fi
echo "dist/ made from $commit, SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH" >&2
