#!/usr/bin/env bash
# Installs everything Ferrovane needs to build, test and run on Debian 12.
# Safe to run again: packages already present are skipped quickly.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config make
  firebird3.0-server-core firebird3.0-utils firebird3.0-server libfbclient2 firebird-dev
  qt6-base-dev libgl-dev fonts-dejavu-core
  libgsf-1-dev libgtest-dev libzip-dev libexpat1-dev libreadstat-dev
  mdbtools-dev unixodbc-dev odbcinst libsqliteodbc
  time locales clang-format
  clang libclang-rt-14-dev
)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

# A German locale lets the tests read real regional settings (day-first dates, decimal
# comma) instead of only the C locale's.
ensure_test_locale() {
  locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && return 0
  command -v locale-gen >/dev/null || return 0
  $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  ensure_test_locale
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive
# The server package must not start or keep a system service: tests start their own.
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
ensure_test_locale
