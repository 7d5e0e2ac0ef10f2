#!/usr/bin/env bash
# Sorts the faults a fuzz target in fork mode kept: each input is run again and the stack
# of its fault read. A fault whose first frame, past the fuzzer's, the sanitizers' and the
# C library's, lies in the reading library (mdbtools, or glib under it) is the library's:
# the reader process is there to survive it. Any other fault is ours: the input is named
# and the status is 1.
#   fuzz/library-faults.sh TARGET_BINARY FINDINGS_DIR [SINCE_FILE]
# With SINCE_FILE only the inputs kept after it was written are sorted.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
target="$1"
findings="$2"
since="${3:-}"
ours=0
library=0
gone=0
for input in "$findings"/crash-* "$findings"/timeout-* "$findings"/oom-*; do
  [ -f "$input" ] || continue
  [ -z "$since" ] || [ "$input" -nt "$since" ] || continue
  # A library's loop still loops with more time; an input that was only slow on a busy
  # machine does not come again.
  report="$(ASAN_OPTIONS="detect_leaks=0:${ASAN_OPTIONS:-}" timeout 60 "$target" -timeout=5 -rss_limit_mb=2048 \
    "$input" 2>&1)"
  if ! grep -qE '==ERROR|^SUMMARY' <<<"$report"; then
    gone=$((gone + 1))
    continue
  fi
  # The first frame in the library or in our own sources (the fuzzer's and the
  # sanitizers' frames and the C library's fall in neither).
  frame="$(grep -E '^ +#[0-9]+ ' <<<"$report" | grep -E "libmdb\.so|libglib-2\.0\.so|$root/(src|fuzz)/" | head -n 1)"
  if [[ "$frame" == *libmdb.so* || "$frame" == *libglib-2.0.so* ]]; then
    library=$((library + 1))
  else
    echo "ours: $input: ${frame:-no stack}"
    ours=$((ours + 1))
  fi
done
echo "faults in the library: $library, in our code: $ours, not come again: $gone"
[ "$ours" -eq 0 ]
