#!/usr/bin/env bash
# Builds the Debian package zephyro_<version>_<arch>.deb at the top of the repository, from a
# fresh build folder (build/package), after installing whatever the build needs. Install it
# with: sudo apt install ./zephyro_*.deb
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

# shellcheck source=scripts/debian-packages.sh
. "$top/scripts/debian-packages.sh"

# dpkg-dev (dpkg-shlibdeps) and file work out the libraries the package depends on.
packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libjpeg62-turbo-dev
          libgif-dev libssl-dev dpkg-dev file)
install_missing "${packages[@]}"

jobs=$(nproc 2>/dev/null || echo 2)
rm -rf build/package
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEPHYRO_TESTS=OFF
cmake --build build/package -j "$jobs"
(cd build/package && cpack -G DEB)
cp build/package/zephyro_*.deb .
ls -1 "$top"/zephyro_*.deb
