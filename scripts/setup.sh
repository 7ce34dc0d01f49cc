#!/usr/bin/env bash
# Sets Zephyro up on Debian 12: installs whatever is missing, then either builds an optimised
# program and starts it ("run"), or builds with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs every test ("test"). Safe to run again.
set -euo pipefail

mode=${1:-run}
shift || true
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

# shellcheck source=scripts/debian-packages.sh
. "$top/scripts/debian-packages.sh"

# libqt6sql6-sqlite is Qt's SQLite driver, which reads Firefox's bookmarks. libssl-dev is
# OpenSSL, for FTP over TLS; ca-certificates is the system's CA store that checks servers.
packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libqt6sql6-sqlite
          libjpeg62-turbo-dev libgif-dev fonts-liberation libssl-dev ca-certificates)
case "$mode" in
run) ;;
# netbase: /etc/services, for the test that reads a service name the program does not know.
# desktop-file-utils and appstream validate the installed desktop entry and metadata.
# python3-openssl gives pyftpdlib its TLS handler. chromium loads built pages headless.
test) packages+=(googletest libgtest-dev clang-14 libclang-rt-14-dev python3-pyftpdlib curl
                 python3-openssl netbase desktop-file-utils appstream chromium) ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac

install_missing "${packages[@]}"

jobs=$(nproc 2>/dev/null || echo 2)
if [ "$mode" = run ]; then
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEPHYRO_TESTS=OFF
    cmake --build build/release -j "$jobs"
    exec build/release/app/zephyro "$@"
fi

cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZEPHYRO_SANITIZE=ON
cmake --build build/sanitize -j "$jobs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$top/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

# A short run of every fuzz target; libFuzzer needs clang.
CC=clang-14 CXX=clang++-14 cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DZEPHYRO_FUZZ=ON -DZEPHYRO_TESTS=OFF
cmake --build build/fuzz -j "$jobs" --target fuzzers
ctest --test-dir build/fuzz --output-on-failure -j "$jobs"
