#!/usr/bin/env bash
# Installs what is missing for the given groups; debian/control is the one list it reads.
#   scripts/deps.sh build run test package
#     build    the Build-Depends the program needs (with build-essential)
#     run      the package's Depends and Recommends
#     test     the test-only Build-Depends and the test scripts' tools (<pkg.quorvel.devtools>)
#     package  the test-only Build-Depends and package.sh's checks (<pkg.quorvel.package>)
# As root it installs them with apt; as another user it names the apt-get command to run.
set -euo pipefail
cd "$(dirname "$0")/.."

# One field of one stanza of debian/control, folded onto a line, comments and ${...}
# substitutions taken out.
field() {
    awk -v stanza="$1" -v name="$2" '
        /^#/ { next }
        /^$/ { here = 0; infield = 0; next }
        /^(Source|Package):/ { here = ($0 == stanza) }
        /^[^ \t]/ { infield = here && index($0, name ":") == 1
                    if (infield) { sub(/^[^:]*:/, ""); printf "%s", $0 }; next }
        infield { printf "%s", $0 }
    ' debian/control | sed -E 's/\$\{[^}]*\}//g; s/[[:space:]]+/ /g; s/( ?, ?)+/, /g; s/^[ ,]+|[ ,]+$//g'
}

relations=() profiles=() build=0 check=0 package=0
for group in "$@"; do
    case "$group" in
    build) build=1 ;;
    run) relations+=("$(field 'Package: quorvel' Depends)" "$(field 'Package: quorvel' Recommends)") ;;
    test) check=1 profiles+=(pkg.quorvel.devtools) ;;
    package) check=1 package=1 profiles+=(pkg.quorvel.package) ;;
    *) echo "deps.sh: no group '$group'" >&2; exit 2 ;;
    esac
done
[[ $check -eq 1 ]] || profiles+=(nocheck)
if [[ $build -eq 1 || $check -eq 1 ]]; then
    build_depends=$(field 'Source: quorvel' Build-Depends)
    # debhelper only matters to the package build; scripts/run.sh and test.sh use cmake alone.
    [[ $package -eq 1 ]] || build_depends=$(sed -E 's/debhelper-compat \([^)]*\), //' <<<"$build_depends")
    relations+=("build-essential" "$build_depends")
fi
[[ ${#relations[@]} -gt 0 ]] || exit 0
wanted=$(IFS=,; echo "${relations[*]}")
profile_option=(-P "$(IFS=,; echo "${profiles[*]}")")

# What apt would install now, from a dry run any user may make.
missing() {
    apt-get -s -o APT::Get::Show-User-Simulation-Note=false satisfy --no-install-recommends \
        "${profile_option[@]}" "$wanted" 2>/dev/null | sed -n 's/^Inst \([^ ]*\).*/\1/p'
}
if dry=$(missing) && [[ -z $dry ]]; then
    exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
    if [[ -n $dry ]]; then
        # The packages debian/control names; apt brings what they depend on.
        named=$(sed -E 's/\([^)]*\)|<[^>]*>|\[[^]]*\]//g; s/debhelper-compat/debhelper/g; s/[,|]/\n/g' \
            <<<"$wanted" | tr -d ' ' | sort -u)
        echo "Some packages are missing; run as root: apt-get install --no-install-recommends" \
            $(grep -xF -f <(echo "$named") <<<"$dry") >&2
    else
        echo "Some packages are missing; run as root: apt-get satisfy --no-install-recommends" \
            "${profile_option[@]}" "'$wanted'" >&2
    fi
    exit 1
fi
echo "Installing what debian/control lists for: $*"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get satisfy -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 \
    "${profile_option[@]}" "$wanted" >/dev/null
