#!/usr/bin/env bash
# Installs on Debian 12 what bench_ftp measures against: pyftpdlib, curl and one real FTP
# server, pure-ftpd (the default) or vsftpd. Debian installs only one FTP server package at a
# time, so choosing the other replaces the first. The packages' own services are kept from
# starting: the bench starts each server itself, on 127.0.0.1, and stops it again.
# Usage: bash bench/ftp/setup.sh [pure-ftpd|vsftpd]
set -euo pipefail

server=${1:-pure-ftpd}
case "$server" in
pure-ftpd | vsftpd) ;;
*)
    echo "usage: $0 [pure-ftpd|vsftpd]" >&2
    exit 2
    ;;
esac

# shellcheck source=scripts/debian-packages.sh
. "$(dirname "$0")/../../scripts/debian-packages.sh"

packages=(python3-pyftpdlib curl "$server")
mapfile -t missing < <(missing_packages "${packages[@]}")
[ ${#missing[@]} -eq 0 ] && exit 0

# policy-rc.d answering 101 keeps invoke-rc.d from starting the new services.
policy=/usr/sbin/policy-rc.d
own_policy=false
if [ ! -e "$policy" ]; then
    as_root sh -c "printf '#!/bin/sh\nexit 101\n' > $policy && chmod 755 $policy"
    own_policy=true
fi
trap '$own_policy && as_root rm -f "$policy"' EXIT
as_root apt-get update
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
# Nor should they start with the next boot.
if command -v systemctl > /dev/null; then
    as_root systemctl disable "$server" > /dev/null 2>&1 || true
fi
