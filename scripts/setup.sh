#!/usr/bin/env bash
# Shared set-up of ./demo and ./test: install the missing Debian packages,
# then configure and build in the given build folder.
#   scripts/setup.sh install
#   scripts/setup.sh build BUILD_DIR [cmake options...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

install_packages() {
    local wanted missing=()
    while read -r wanted; do
        [[ -z "$wanted" || "$wanted" == \#* ]] && continue
        if ! dpkg-query -W -f='${Status}' "$wanted" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$wanted")
        fi
    done < "$root/scripts/packages.txt"
    [[ ${#missing[@]} -eq 0 ]] && return 0
    echo "Installing Debian packages: ${missing[*]}"
    local sudo=()
    if [[ $(id -u) -ne 0 ]]; then
        if command -v sudo >/dev/null; then
            sudo=(sudo)
        else
            echo "These packages are missing and this user cannot install them: ${missing[*]}" >&2
            echo "Run as root, or install them with apt-get." >&2
            exit 1
        fi
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    local dir="$1"; shift
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}

case "${1:-}" in
    install) install_packages ;;
    build) shift; build "$@" ;;
    *) echo "usage: scripts/setup.sh install | build BUILD_DIR [cmake options...]" >&2; exit 2 ;;
esac
