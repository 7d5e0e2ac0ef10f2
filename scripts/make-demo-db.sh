#!/usr/bin/env bash
# Creates the demo database (a few tables with rows) if it is not there yet.
set -euo pipefail
target="${1:-demo/demo.fdb}"
[ -f "$target" ] && exit 0
mkdir -p "$(dirname "$target")"
target="$(cd "$(dirname "$target")" && pwd)/$(basename "$target")"
here="$(cd "$(dirname "$0")" && pwd)"
{
  echo "CREATE DATABASE '$target' USER 'SYSDBA' PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8;"
  cat "$here/demo.sql"
} | isql-fb -q -bail -sqldialect 3 >/dev/null
echo "created $target"
