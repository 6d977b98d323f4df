#!/usr/bin/env bash
# Builds the Debian package quorvel_<version>-1_<arch>.deb with debhelper, checks it with
# lintian and prints its path as the last line.
#   scripts/package.sh [OUTDIR]    the .deb lands in OUTDIR (default build-package/)
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
if [[ -z $version || ${deb_version%-*} != "$version" ]]; then
    echo "debian/changelog is at $deb_version but CMakeLists.txt at ${version:-?}:" \
        "add a changelog entry for $version-1" >&2
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
(cd "$src" && DEB_BUILD_OPTIONS="parallel=2 noautodbgsym ${DEB_BUILD_OPTIONS:-}" \
    dpkg-buildpackage -b --no-sign)

deb=quorvel_${deb_version}_$(dpkg --print-architecture).deb
echo "== lintian"
lintian --fail-on error "$work/$deb" || {
    echo "lintian found errors in $deb" >&2
    exit 1
}
mkdir -p "$out"
cp "$work/$deb" "$out/"
echo "$out/$deb" >&3
