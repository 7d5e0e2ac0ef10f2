#!/usr/bin/env bash
# Installs everything Ferrovane needs to build, test and run on Debian 12.
# Safe to run again: packages already present are skipped quickly.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config make
  firebird3.0-server-core firebird3.0-utils firebird3.0-server libfbclient2 firebird-dev
  qt6-base-dev libgl-dev fonts-dejavu-core
  libgsf-1-dev libgtest-dev libzip-dev libexpat1-dev
  time
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
# The server package must not start or keep a system service: tests start their own.
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
