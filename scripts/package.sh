#!/usr/bin/env bash
# Builds the Debian package zephyro_<version>_<arch>.deb at the top of the repository, from a
# fresh build folder (build/package), after installing whatever the build needs. Install it
# with: sudo apt install ./zephyro_*.deb
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# dpkg-dev (dpkg-shlibdeps) and file work out the libraries the package depends on.
packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libjpeg62-turbo-dev
          libgif-dev dpkg-dev file)
missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    as_root apt-get update
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc 2>/dev/null || echo 2)
rm -rf build/package
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEPHYRO_TESTS=OFF
cmake --build build/package -j "$jobs"
(cd build/package && cpack -G DEB)
cp build/package/zephyro_*.deb .
ls -1 "$top"/zephyro_*.deb
