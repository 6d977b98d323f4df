#!/usr/bin/env bash
# Builds the Debian source and binary packages of Quorvel (native, version from CMakeLists.txt)
# with dpkg-buildpackage, the unit tests run in the build, checks them with lintian and prints
# the .deb's path as the last line.
#   scripts/package.sh [OUTDIR]    everything built lands in OUTDIR (default build-package/)
set -euo pipefail
out=${1:+$(realpath -m "$1")}
cd "$(dirname "$0")/.."
out=${out:-$PWD/build-package}

# Everything but the package's path goes to stderr, so `deb=$(scripts/package.sh)` works.
exec 3>&1 1>&2

scripts/deps.sh build package

# The version lives in CMakeLists.txt; the changelog must follow it.
version=$(sed -nE 's/^project\(Quorvel VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
deb_version=$(dpkg-parsechangelog -l debian/changelog -SVersion)
if [[ -z $version || $deb_version != "$version" ]]; then
    echo "debian/changelog is at $deb_version but CMakeLists.txt at ${version:-?}:" \
        "add a changelog entry for $version" >&2
    exit 1
fi

# Built from a copy, so debhelper's files never land in the source tree.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# lintian leaves its own temporary files behind; they go with the folder.
mkdir "$work/tmp"
export TMPDIR=$work/tmp
src=$work/quorvel-$version
mkdir "$src"
tar -C . --exclude='./build*' --exclude=./.git --exclude=./.cups --exclude='*.swp' -cf - . |
    tar -C "$src" -xf -
(cd "$src" && DEB_BUILD_OPTIONS="parallel=2 ${DEB_BUILD_OPTIONS:-}" dpkg-buildpackage -us -uc)

changes=quorvel_${deb_version}_$(dpkg --print-architecture).changes
echo "== lintian"
lintian --pedantic --fail-on error,warning "$work/$changes" || {
    echo "lintian found errors or warnings in $changes" >&2
    exit 1
}
mkdir -p "$out"
# The source package, the program's package, its debug symbols and the build's records.
cp $(sed -n '/^Files:/,/^[^ ]/s/^ .* \([^ ]*\)$/\1/p' "$work/$changes" | sed "s|^|$work/|") \
    "$work/$changes" "$out/"
echo "$out/quorvel_${deb_version}_$(dpkg --print-architecture).deb" >&3
