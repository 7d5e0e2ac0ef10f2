#!/usr/bin/env bash
# Runs every fuzz target for a while, each on its seeds and on the corpus it has grown
# before (kept in the build folder). Stops at the first target that finds something,
# naming the input that shows it.
#   fuzz/run.sh BUILD_DIR SECONDS_PER_TARGET [TARGET...]
# SECONDS_PER_TARGET 0 runs without a time limit. A campaign counts executions instead and
# may keep inputs short, for many more executions a second:
#   FUZZ_RUNS=1000000 FUZZ_MAX_LEN=65536 fuzz/run.sh build-fuzz 0 dbase
# Without FUZZ_MAX_LEN inputs grow up to 1 MiB at once (-len_control=0), so that slowness
# that comes with size is reachable.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$1"
seconds="$2"
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(excel dbase paradox advantage dbisam access access_file access_values clarion spss vcard vcalendar word text html xml lotus quattro expression specification)

# Seeds are made anew for each run, in a folder of its own: runs may go on side by side.
seeds="$(mktemp -d)"
trap 'rm -rf "$seeds"' EXIT
bash "$here/seeds.sh" "$seeds"
# libgsf keeps a few hundred bytes of a damaged compound directory it refuses; our
# handles on it are released. Only that library's leak is passed over.
export LSAN_OPTIONS="suppressions=$here/lsan-suppressions.txt:${LSAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:${UBSAN_OPTIONS:-}"

for t in "${targets[@]}"; do
  corpus="$build/fuzz-corpus/$t"
  findings="$build/fuzz-findings/$t"
  mkdir -p "$corpus" "$findings"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$findings/")
  if [ -n "${FUZZ_MAX_LEN:-}" ]; then
    options+=(-max_len="$FUZZ_MAX_LEN")
  else
    options+=(-max_len=1048576 -len_control=0)
  fi
  [ -z "${FUZZ_RUNS:-}" ] || options+=(-runs="$FUZZ_RUNS")
  # glib and libgsf are built without frame pointers: the fast unwinder loses a leak's
  # stack inside them, and the suppression above cannot know it for libgsf's. Their
  # targets look for leaks once the run is over, replaying every input the run kept with
  # full stacks (four times slower, so not on every execution).
  replay=
  fuzzing_env=()
  if [ "$t" = excel ] || [ "$t" = quattro ]; then
    # Off for the fuzzer's checks and for the one at exit, which sees the suppressed leak
    # with stacks as short as the fuzzer's.
    options+=(-detect_leaks=0)
    fuzzing_env=(ASAN_OPTIONS="detect_leaks=0:${ASAN_OPTIONS:-}")
    replay=1
  fi
  # mdbtools trusts the file and crashes or loops on damaged ones, in the library: the
  # target runs in fork mode, which keeps each such input and goes on, and the inputs are
  # sorted afterwards (library-faults.sh). Its allocations are the reader process's,
  # which the program replaces after a thousand reads, so leaks are not looked for.
  sort_faults=
  if [ "$t" = access_file ]; then
    options+=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 -timeout=1 -detect_leaks=0)
    fuzzing_env=(ASAN_OPTIONS="detect_leaks=0:${ASAN_OPTIONS:-}")
    sort_faults=1
  fi
  # mdbtools takes 128,000 bytes for every catalogue row it reads; with the default
  # redzones that is one mapping of fresh pages a row, and the quarantine keeps them all.
  # The reader process ran four times slower for it. Only allocations of kilobytes get
  # redzones wider than 256 bytes; without the quarantine, a use after free is still
  # caught until the memory is handed out again.
  if [ "$t" = access ]; then
    fuzzing_env=(ASAN_OPTIONS="quarantine_size_mb=0:max_redzone=256:${ASAN_OPTIONS:-}")
  fi
  [ -f "$here/$t.dict" ] && options+=(-dict="$here/$t.dict")
  touch "$build/fuzz-$t.started"
  echo "== fuzz_$t: ${seconds}s${FUZZ_RUNS:+, $FUZZ_RUNS runs}${FUZZ_MAX_LEN:+, inputs up to $FUZZ_MAX_LEN bytes}"
  # In fork mode the status tells that faults were kept, not whose they are: they are
  # sorted below.
  if ! env "${fuzzing_env[@]}" "$build/fuzz/fuzz_$t" "${options[@]}" "$corpus" "$seeds/$t" > "$build/fuzz-$t.log" 2>&1 &&
    [ -z "$sort_faults" ]; then
    tail -n 60 "$build/fuzz-$t.log"
    echo "fuzz_$t found a problem: $(ls -t "$findings" | head -n 1)" >&2
    exit 1
  fi
  if [ -n "$sort_faults" ] && ! bash "$here/library-faults.sh" "$build/fuzz/fuzz_$t" "$findings" "$build/fuzz-$t.started"; then
    echo "fuzz_$t found a problem in our code" >&2
    exit 1
  fi
  if [ -n "$replay" ] && ! LSAN_OPTIONS="fast_unwind_on_malloc=0:$LSAN_OPTIONS" "$build/fuzz/fuzz_$t" -runs=0 \
      -artifact_prefix="$findings/" "$corpus" > "$build/fuzz-$t-leaks.log" 2>&1; then
    tail -n 60 "$build/fuzz-$t-leaks.log"
    echo "fuzz_$t: an input of its corpus leaks" >&2
    exit 1
  fi
  grep -E '^stat::(number_of_executed_units|new_units_added|peak_rss_mb)|cov: ' "$build/fuzz-$t.log" | tail -n 4
done
