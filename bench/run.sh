#!/usr/bin/env bash
# Measures ferrovane-import against two baselines on this machine, in one run, and prints
# the table described in bench/README.md.
#
# Settings (environment):
#   SIZES      row counts, smallest first            (default "100000 1000000")
#   TCP_SIZES  row counts of the loads into a private server over loopback TCP
#              (default "100000"; empty: none)
#   REPS       runs of each case per size, at least 3 for a median worth reading (default 3)
#   CASES      a subset of the case names below      (default: all)
#   WORK       folder for data, databases and results (default bench/work)
#   FERROVANE  the runner to measure                 (default build/cli/ferrovane-import)
#   BASELINE_A baseline A, built with the project    (default build/bench/bench_baseline_a)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
SIZES="${SIZES:-100000 1000000}"
REPS="${REPS:-3}"
# append-large appends the rows (under other keys) to a table ten times their number (sizes
# up to 100,000): its cost must not grow with the table.
ALL_CASES="a-insert a-update b-isql append-delimited append-fixed append-html append-xml appendupdate update delete script append-large"
# The same loads into a server over TCP, where every round trip counts: baseline A, the
# batched baseline (100 rows a round trip), and the runner's keyed and plain loads.
TCP_CASES="tcp-a-insert tcp-a-update tcp-batch tcp-append tcp-appendupdate tcp-update"
CASES="${CASES:-$ALL_CASES $TCP_CASES}"
TCP_SIZES="${TCP_SIZES-100000}"
WORK="${WORK:-$here/work}"
FERROVANE="${FERROVANE:-$root/build/cli/ferrovane-import}"
BASELINE_A="${BASELINE_A:-$root/build/bench/bench_baseline_a}"
PYTHON="${PYTHON:-python3}"
TIME=/usr/bin/time

die() { echo "run.sh: $*" >&2; exit 1; }
[ -x "$TIME" ] || die "$TIME is missing: install Debian's 'time' package (make deps does)"
[ -x "$FERROVANE" ] || die "$FERROVANE is missing: run make build first"
[ -x "$BASELINE_A" ] || die "$BASELINE_A is missing: run make build first"
command -v isql-fb >/dev/null || die "isql-fb is missing: run make deps first"
for c in $CASES; do
  [[ " $ALL_CASES $TCP_CASES " == *" $c "* ]] || die "unknown case '$c' (known: $ALL_CASES $TCP_CASES)"
done
local_cases="" remote_cases=""
for c in $CASES; do
  if [[ $c == tcp-* ]]; then remote_cases+=" $c"; else local_cases+=" $c"; fi
done
mkdir -p "$WORK"
WORK="$(cd "$WORK" && pwd)"
# The build folder is shared and may be rebuilt while this runs: every run times one copy.
built="$(date -r "$FERROVANE" '+%Y-%m-%d %H:%M')"
cp "$FERROVANE" "$WORK/ferrovane-import"
FERROVANE="$WORK/ferrovane-import"
cp "$BASELINE_A" "$WORK/baseline_a"
baseline_a="$WORK/baseline_a"

connect=(--user SYSDBA --charset UTF8 --dialect 3)
sum_sql="set heading off; select count(*) || ':' || coalesce(sum(bin_and(hash(ID || '|' || CODE || '|' || NAME
  || '|' || AMOUNT || '|' || BORN || '|' || NOTE || '|' || QTY || '|' || COUNTER), 4294967295)), 0) from BENCH;"

isql() { isql-fb -q -bail -sqldialect 3 "$@"; }

# Count and content hash of the table: equal for every case that leaves the same rows.
checksum() { echo "$sum_sql" | isql -user SYSDBA -password "$server_password" "$1" | tr -d ' \n'; }

# A private Firebird server on a free loopback port, with its own security database and
# lock folder, for the remote cases; stopped when the run ends, however it ends.
server_password=bench
server_pid=""
stop_server() {
  [ -n "$server_pid" ] || return 0
  kill "$server_pid" 2>/dev/null || true
  # A server that takes its time over shutting down is not waited for long.
  for _ in $(seq 100); do
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.05
  done
  kill -9 "$server_pid" 2>/dev/null || true
  wait "$server_pid" 2>/dev/null || true
  server_pid=""
}
start_server() {
  local home=/usr/lib/x86_64-linux-gnu/firebird/3.0 srv="$WORK/server" i
  [ -x /usr/sbin/firebird ] || die "/usr/sbin/firebird is missing: run make deps first"
  rm -rf "$srv"
  mkdir -p "$srv/lock"
  for i in plugins intl lib UDF firebird.msg plugins.conf; do ln -s "$home/$i" "$srv/$i"; done
  server_port=$("$PYTHON" -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  { cat "$home/firebird.conf"
    printf '\nRemoteServicePort = %s\nRemoteBindAddress = 127.0.0.1\nSecurityDatabase = %s/security3.fdb\n' \
      "$server_port" "$srv"; } >"$srv/firebird.conf"
  echo "security.db = $srv/security3.fdb" >"$srv/databases.conf"
  cp /var/lib/firebird/3.0/system/security3.fdb "$srv/"
  echo "create or alter user SYSDBA password '$server_password'; commit;" |
    FIREBIRD="$srv" FIREBIRD_LOCK="$srv/lock" isql-fb -q -user SYSDBA "$srv/security3.fdb" >/dev/null
  FIREBIRD="$srv" FIREBIRD_LOCK="$srv/lock" /usr/sbin/firebird </dev/null >"$srv/server.log" 2>&1 &
  server_pid=$!
  trap stop_server EXIT
  for i in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$server_port") 2>/dev/null && return 0
    sleep 0.05
  done
  die "the private Firebird server did not start"
}

new_database() { # path [fill script]
  rm -f "$1"
  { echo "CREATE DATABASE '$1' USER 'SYSDBA' PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8;"
    cat "$(dirname "$1")/table.sql"
    [ $# -lt 2 ] || cat "$2"; } | isql >/dev/null
}

# The data of one size, made again only when the generator changed; the starting databases
# are made when a case first needs them.
prepare() { # size dir
  local stamp
  stamp="$(cat "$here/gen.py" | sha1sum | cut -d' ' -f1) $1"
  if [ "$(cat "$2/.stamp" 2>/dev/null)" != "$stamp" ]; then
    echo "preparing $1 rows in $2 ..." >&2
    rm -rf "$2"
    mkdir -p "$2"
    "$PYTHON" "$here/gen.py" "$1" "$2"
    echo "$stamp" >"$2/.stamp"
  fi
}

template() { # dir name -> the starting database's path
  local db="$1/$2.fdb"
  if [ ! -f "$db" ]; then
    echo "preparing $db ..." >&2
    case "$2" in
      empty) new_database "$db.tmp" ;;
      half) new_database "$db.tmp" "$1/fill-half.sql" ;;
      full) new_database "$db.tmp" "$1/fill-all.sql" ;;
    esac
    mv "$db.tmp" "$db"
  fi
  echo "$db"
}

# The rows of a size under keys no other size uses, for append-large.
shifted() { # dir
  if [ ! -f "$1/shifted.vxi" ]; then
    awk -F';' -v OFS=';' 'NR > 1 { $1 += 100000000 } { print }' "$1/bench.csv" >"$1/bench-shifted.csv"
    sed 's|bench\.csv|bench-shifted.csv|' "$1/delimited.vxi" >"$1/shifted.vxi"
  fi
}

template_of() {
  case "${1#tcp-}" in
    a-update|update|delete) echo full ;;
    appendupdate) echo half ;;
    *) echo empty ;;
  esac
}

command_of() { # case dir db -> sets cmd
  local d="$2" db="$3"
  local f=("$FERROVANE" --database "$db" "${connect[@]}" --quiet --spec "$d/delimited.vxi")
  [[ $1 != tcp-* ]] || f+=(--password "$server_password")
  case "$1" in
    tcp-a-insert) cmd=("$baseline_a" insert "$db" "$d/bench.csv") ;;
    tcp-a-update) cmd=("$baseline_a" update "$db" "$d/bench.csv") ;;
    tcp-batch) cmd=("$baseline_a" batch "$db" "$d/bench.csv") ;;
    tcp-append) cmd=("${f[@]}" --mode append) ;;
    tcp-appendupdate) cmd=("${f[@]}" --mode appendupdate) ;;
    tcp-update) cmd=("${f[@]}" --mode update) ;;
    append-large) cmd=("$FERROVANE" --database "$db" "${connect[@]}" --quiet --spec "$d/shifted.vxi" --mode append) ;;
    a-insert) cmd=("$baseline_a" insert "$db" "$d/bench.csv") ;;
    a-update) cmd=("$baseline_a" update "$db" "$d/bench.csv") ;;
    b-isql) cmd=(isql-fb -q -bail -sqldialect 3 -user SYSDBA -ch UTF8 "$db" -i "$d/insert.sql") ;;
    append-delimited) cmd=("${f[@]}" --mode append) ;;
    append-fixed) cmd=("$FERROVANE" --database "$db" "${connect[@]}" --quiet --spec "$d/fixed.vxi" --mode append) ;;
    append-html) cmd=("$FERROVANE" --database "$db" "${connect[@]}" --quiet --spec "$d/html.vxi" --mode append) ;;
    append-xml) cmd=("$FERROVANE" --database "$db" "${connect[@]}" --quiet --spec "$d/xml.vxi" --mode append) ;;
    appendupdate) cmd=("${f[@]}" --mode appendupdate) ;;
    update) cmd=("${f[@]}" --mode update) ;;
    delete) cmd=("${f[@]}" --mode delete) ;;
    script) cmd=("${f[@]}" --mode append --script "$d/out.sql") ;;
  esac
}

# The line of counters the run must print, so that a fast wrong run is not a result.
expected_output() { # case size
  local n=$2 even=$(($2 / 2))
  case "${1#tcp-}" in
    a-insert|a-update|batch) echo "Processed: $n" ;;
    b-isql) echo "" ;;
    append-delimited|append-fixed|append-html|append-xml|append|script|append-large) echo "Processed: $n  Added: $n  Updated: 0  Deleted: 0  Skipped: 0  Errors: 0" ;;
    appendupdate) echo "Processed: $n  Added: $((n - even))  Updated: $even  Deleted: 0  Skipped: 0  Errors: 0" ;;
    update) echo "Processed: $n  Added: 0  Updated: $n  Deleted: 0  Skipped: 0  Errors: 0" ;;
    delete) echo "Processed: $n  Added: 0  Updated: 0  Deleted: $n  Skipped: 0  Errors: 0" ;;
  esac
}

stamp="$(date +%Y%m%d-%H%M%S)"
results="$WORK/results-$stamp.tsv"
meta="$WORK/meta-$stamp.txt"
{
  echo "date	$(date '+%Y-%m-%d %H:%M')"
  echo "host	$(hostname)"
  echo "cpu	$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores"
  echo "memory	$(awk '/MemTotal/ {printf "%.1f GB", $2 / 1048576}' /proc/meminfo)"
  echo "firebird	$(isql-fb -z -q </dev/null 2>&1 | head -1 | sed 's/^ISQL Version: \([^ ]*\).*/Firebird \1/')"
  echo "commit	$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)$([ -z "$(git -C "$root" status --porcelain -- src cli 2>/dev/null)" ] || echo ' + uncommitted changes')"
  echo "binary	built $built"
  echo "reps	$REPS"
  echo "load_start	$(cut -d' ' -f1-3 /proc/loadavg)"
} >"$meta"
printf 'size\tcase\trep\tseconds\tpeak_kb\tstatus\tnote\n' >"$results"

run_cases() { # size remote cases...
  local size=$1 remote=$2 dir="$WORK/data-$1" reference="" rep c db log rc t0 t1 seconds peak status note want got sum
  shift 2
  prepare "$size" "$dir"
  echo "file_bytes	$size	$(stat -c %s "$dir/bench.csv")" >>"$meta"
  # Repetitions outermost: a burst of load from elsewhere then hits every case alike.
  for rep in $(seq 1 "$REPS"); do
    for c in "$@"; do
      if [ "$c" = append-large ]; then
        [ "$size" -le 100000 ] || continue
        prepare $((size * 10)) "$WORK/data-$((size * 10))"
        shifted "$dir"
        start="$(template "$WORK/data-$((size * 10))" full)"
      else
        start="$(template "$dir" "$(template_of "$c")")"
      fi
      # A file of its own for every remote run: the server may keep the last one open a
      # moment after its client has gone.
      file="$dir/run.fdb"
      [ "$remote" = 0 ] || file="$dir/tcp-$c-$rep.fdb"
      db="$file"
      [ "$remote" = 0 ] || db="localhost/$server_port:$file"
      rm -f "$dir/out.sql"
      cp "$start" "$file"
      # Everything flushed, not only the copy: a previous case's (or the generator's) dirty
      # pages written back during a run would slow that run down for nothing it did.
      sync
      command_of "$c" "$dir" "$db"
      log="$WORK/last-$c.log"
      rc=0
      t0=$(date +%s%N)
      ISC_PASSWORD="$server_password" "$TIME" -v -o "$WORK/time.txt" "${cmd[@]}" >"$log" 2>&1 || rc=$?
      t1=$(date +%s%N)
      seconds=$(awk -v a="$t0" -v b="$t1" 'BEGIN {printf "%.3f", (b - a) / 1e9}')
      peak=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$WORK/time.txt")
      status=ok note=""
      want="$(expected_output "$c" "$size")"
      got="$(grep -v '^The data import' "$log" | grep -v '^\s*$' || true)"
      if [ "$rc" -ne 0 ]; then
        status=failed note="exit $rc, see $log"
      elif [ "$got" != "$want" ]; then
        status=failed note="unexpected output, see $log"
      elif [ "$rep" -eq 1 ]; then
        # Contents are checked once per case: the later runs do the same thing.
        if [ "$c" = script ]; then
          inserts=$(grep -c '^INSERT INTO' "$dir/out.sql" || true)
          [ "$inserts" -eq "$size" ] || { status=failed note="$inserts INSERTs in the script"; }
        else
          sum="$(checksum "$db")"
          if [ "$c" = append-large ]; then
            [ "${sum%%:*}" = "$((size * 11))" ] || { status=failed note="$sum rows"; }
          elif [ "$c" = delete ]; then
            [ "$sum" = "0:0" ] || { status=failed note="rows left after delete: $sum"; }
          elif [ -z "$reference" ]; then
            # Reference contents: the generated rows, as the baseline's plain INSERTs leave them.
            reference="$sum"
            [ "${sum%%:*}" = "$size" ] || { status=failed note="$sum rows"; }
          elif [ "$sum" != "$reference" ]; then
            status=failed note="table differs from the first load ($sum, not $reference)"
          fi
        fi
      fi
      [ "$remote" = 0 ] || rm -f "$file"
      printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$size" "$c" "$rep" "$seconds" "$peak" "$status" "$note" >>"$results"
      printf '%8s rows  %-17s run %s: %8ss  %s %s\n' "$size" "$c" "$rep" "$seconds" "$status" "$note" >&2
    done
  done
  rm -f "$dir/run.fdb" "$dir/out.sql"
}

if [ -n "$local_cases" ]; then
  for size in $SIZES; do
    # shellcheck disable=SC2086
    run_cases "$size" 0 $local_cases
  done
fi
if [ -n "$remote_cases" ] && [ -n "$TCP_SIZES" ]; then
  start_server
  for size in $TCP_SIZES; do
    # shellcheck disable=SC2086
    run_cases "$size" 1 $remote_cases
  done
  stop_server
fi
echo "load_end	$(cut -d' ' -f1-3 /proc/loadavg)" >>"$meta"

"$PYTHON" "$here/report.py" "$meta" "$results" | tee "$WORK/report-$stamp.txt"
echo "(raw figures: $results)"
# A failed case fails the whole run, so a tiny run in CI notices a broken bench.
! cut -f6 "$results" | grep -qx failed
