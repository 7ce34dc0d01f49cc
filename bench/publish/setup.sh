#!/usr/bin/env bash
# Installs on Debian 12 what bench_publish measures with: pyftpdlib as the server, and curl and
# lftp as the clients zephyro-cli is compared with.
# Usage: bash bench/publish/setup.sh
set -euo pipefail

# shellcheck source=scripts/debian-packages.sh
. "$(dirname "$0")/../../scripts/debian-packages.sh"

install_missing python3-pyftpdlib curl lftp
