#!/usr/bin/env bash
# Shared set-up of ./demo and ./test: install the missing Debian packages,
# then configure and build with one of the presets of CMakePresets.json.
#   scripts/setup.sh install demo     the demo's own packages (packages-demo.txt)
#   scripts/setup.sh install package  those and what making the package needs (packages-package.txt)
#   scripts/setup.sh install test     all of those and the tests' (packages.txt), and the npm packages
#   scripts/setup.sh npm              the npm packages alone (package-lock.json)
#   scripts/setup.sh build PRESET     quick (demo and capture tool), default, sanitize, web
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

install_packages() {
    local wanted missing=() lists=("$root/scripts/packages-demo.txt")
    [[ "$1" == package || "$1" == test ]] && lists+=("$root/scripts/packages-package.txt")
    [[ "$1" == test ]] && lists+=("$root/scripts/packages.txt")
    while read -r wanted; do
        [[ -z "$wanted" || "$wanted" == \#* ]] && continue
        if ! dpkg-query -W -f='${Status}' "$wanted" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$wanted")
        fi
    done < <(cat "${lists[@]}")
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

# What the web page loads and its tests drive it with, from npm
# (package.json, package-lock.json), into node_modules/.
install_npm_packages() {
    local stamp="$root/node_modules/.package-lock.json"
    [[ -f "$stamp" && ! "$root/package-lock.json" -nt "$stamp" ]] && return 0
    echo "Installing npm packages (package-lock.json)"
    (cd "$root" && npm ci --no-audit --no-fund --silent)
}

build() {
    local preset="$1"
    (cd "$root" && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j "$(nproc)")
}

case "${1:-}" in
    install) [[ "${2:-}" =~ ^(demo|package|test)$ ]] || { echo "usage: scripts/setup.sh install demo|package|test" >&2; exit 2; }
             install_packages "$2"
             [[ "$2" == test ]] && install_npm_packages
             true ;;
    npm) install_npm_packages ;;
    build) [[ -n "${2:-}" ]] || { echo "usage: scripts/setup.sh build PRESET" >&2; exit 2; }
           build "$2" ;;
    *) echo "usage: scripts/setup.sh install demo|package|test | npm | build PRESET" >&2; exit 2 ;;
esac
