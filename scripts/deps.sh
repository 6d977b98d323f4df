#!/usr/bin/env bash
# Installs the Debian packages that are missing from the given groups.
#   scripts/deps.sh build run test package
set -euo pipefail

declare -A groups=(
    [build]="cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libcups2-dev"
    [run]="libqt6widgets6 libqt6printsupport6 qt6-qpa-plugins qt6-wayland qt6-translations-l10n fonts-arphic-ukai fonts-arphic-uming fonts-wqy-zenhei fonts-hanazono cups-client"
    [test]="libbenchmark-dev qt6-base-private-dev locales cups cups-client ghostscript desktop-file-utils appstream clang libclang-rt-14-dev"
    [package]="build-essential debhelper dpkg-dev lintian"
)

wanted=()
for group in "$@"; do
    [[ -n "${groups[$group]:-}" ]] || { echo "deps.sh: no group '$group'" >&2; exit 2; }
    wanted+=(${groups[$group]})
done

missing=()
declare -A seen=()
for package in "${wanted[@]}"; do
    [[ -z "${seen[$package]:-}" ]] || continue
    seen[$package]=1
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -ne 0 ]]; then
    echo "Some packages are missing; run as root: apt-get install ${missing[*]}" >&2
    exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
