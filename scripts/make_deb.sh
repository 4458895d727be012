#!/usr/bin/env bash
# Makes the Debian package: installs what is missing (packages-demo.txt,
# packages-package.txt), then configures, builds and packages with the
# "package" workflow of CMakePresets.json, in build-package/.
#   scripts/make_deb.sh        -> build-package/elka_VERSION_ARCH.deb
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
scripts/setup.sh install package
cmake --workflow --preset package
version="$(sed -n 's/^project(elka VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
deb="build-package/elka_${version}_$(dpkg --print-architecture).deb"
[[ -f "$deb" ]] || { echo "make_deb: $deb was not made" >&2; exit 1; }
echo "The package: $root/$deb"
