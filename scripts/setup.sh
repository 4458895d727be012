#!/usr/bin/env bash
# Shared set-up of ./demo and ./test: install the missing Debian packages,
# then configure and build with one of the presets of CMakePresets.json.
#   scripts/setup.sh install demo     the demo's own packages (packages-demo.txt)
#   scripts/setup.sh install package  those and what making the package needs (packages-package.txt)
#   scripts/setup.sh install windows  the Windows build's cross compiler and Wine (packages-windows.txt)
#   scripts/setup.sh install test     all of those and the tests' (packages.txt), and the npm packages
#   scripts/setup.sh npm              the npm packages alone (package-lock.json)
#   scripts/setup.sh build PRESET     quick (demo and capture tool), default, sanitize, web, windows
set -euo pipefail
source "$(dirname "$0")/command_line.bash"
answer_command_line scripts/setup.sh "Usage: scripts/setup.sh install demo|package|windows|test
       scripts/setup.sh npm
       scripts/setup.sh build PRESET
Installs the Debian (and npm) packages the eLka demo's builds and tests
need, or configures and builds with one of CMakePresets.json's presets:
quick, default, sanitize, web, windows, and the others it names.

      --help     show this help and exit
      --version  show the version and exit" "" 1 2 "$@"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

install_packages() {
    local wanted missing=() lists=()
    [[ "$1" != windows ]] && lists+=("$root/scripts/packages-demo.txt")
    [[ "$1" == package || "$1" == test ]] && lists+=("$root/scripts/packages-package.txt")
    [[ "$1" == windows || "$1" == test ]] && lists+=("$root/scripts/packages-windows.txt")
    [[ "$1" == test ]] && lists+=("$root/scripts/packages.txt")
    while read -r wanted; do
        [[ -z "$wanted" || "$wanted" == \#* ]] && continue
        if ! dpkg-query -W -f='${Status}' "$wanted" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$wanted")
        fi
    done < <(cat "${lists[@]}")
    [[ ${#missing[@]} -eq 0 ]] && return 0
    echo "Installing Debian packages: ${missing[*]}"
    sudo=()
    if [[ $(id -u) -ne 0 ]]; then
        if command -v sudo >/dev/null; then
            sudo=(sudo)
        else
            echo "These packages are missing and this user cannot install them: ${missing[*]}" >&2
            echo "Run as root, or install them with apt-get." >&2
            exit 1
        fi
    fi
    apt_get update -qq
    apt_get install -y -qq --no-install-recommends "${missing[@]}"
}

# Another apt (a freshly booted desktop's unattended upgrades, say) may hold
# the package system's lock: apt-get waits for it for a while
# (ELKA_APT_LOCK_WAIT seconds, 10 minutes unless set) instead of failing at
# once, and both the wait and a failure say which process holds it.
apt_lock_holder() {
    local lock pid
    for lock in /var/lib/dpkg/lock-frontend /var/lib/dpkg/lock /var/lib/apt/lists/lock; do
        pid=$(lslocks -n -o PID,PATH 2>/dev/null | awk -v lock="$lock" '$2 == lock { print $1; exit }')
        if [[ -n "$pid" ]]; then
            echo "$lock is held by process $pid ($(ps -o args= -p "$pid" 2>/dev/null || echo gone))"
            return
        fi
    done
}
apt_get() {
    local wait="${ELKA_APT_LOCK_WAIT:-600}" holder
    holder=$(apt_lock_holder)
    [[ -n "$holder" ]] && echo "Waiting up to $wait s for apt's lock: $holder" >&2
    if ! "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout="$wait" "$@"; then
        holder=$(apt_lock_holder)
        [[ -n "$holder" ]] && echo "apt-get failed while another process has apt's lock: $holder" >&2
        exit 1
    fi
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
    install) [[ "${2:-}" =~ ^(demo|package|windows|test)$ ]] || { echo "usage: scripts/setup.sh install demo|package|windows|test" >&2; exit 2; }
             install_packages "$2"
             [[ "$2" == test ]] && install_npm_packages
             true ;;
    npm) install_npm_packages ;;
    build) [[ -n "${2:-}" ]] || { echo "usage: scripts/setup.sh build PRESET" >&2; exit 2; }
           build "$2" ;;
    *) echo "usage: scripts/setup.sh install demo|package|windows|test | npm | build PRESET" >&2; exit 2 ;;
esac
