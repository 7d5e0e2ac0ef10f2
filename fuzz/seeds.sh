#!/usr/bin/env bash
# Makes the seed inputs of every fuzz target from the project's sample files and the
# shared fixtures, in the form each harness reads (its leading choice bytes first).
#   fuzz/seeds.sh OUT_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$here/.."
out="$1"
shared="$root/../shared/fixtures"
rm -rf "$out"
mkdir -p "$out"/{excel,dbase,paradox,advantage,dbisam,clarion,spss,text,html,xml,lotus,quattro,expression,specification}

# Three bytes, little-endian: where a table ends and its companion file begins.
size3() {
  local n
  n=$(stat -c %s "$1")
  printf "\\$(printf %03o $((n & 255)))\\$(printf %03o $((n >> 8 & 255)))\\$(printf %03o $((n >> 16 & 255)))"
}

companion() { # the memo or BLOB file beside a table, in any case, or nothing
  local base="${1%.*}" ext
  for ext in "$@"; do :; done
  find "$(dirname "$1")" -maxdepth 1 -iname "$(basename "$base").$2" | head -n 1
}

n=0
for f in "$root"/tests/data/xls/*.xls "$root"/tests/data/xls/*.xlsx "$shared"/xls/*.xls "$shared"/xls/*.xlsx; do
  [ -f "$f" ] || continue
  n=$((n + 1))
  case "$f" in *.xlsx) sel='\001' ;; *) sel='\000' ;; esac
  { printf "$sel"; cat "$f"; } > "$out/excel/seed$n"
done

for f in "$root"/tests/data/dbf/*.dbf "$shared"/dbf/*.dbf; do
  [ -f "$f" ] || continue
  n=$((n + 1))
  memo=$(companion "$f" fpt)
  sel='\001'
  if [ -z "$memo" ]; then memo=$(companion "$f" dbt); sel='\000'; fi
  { printf "$sel"; size3 "$f"; cat "$f"; [ -z "$memo" ] || cat "$memo"; } > "$out/dbase/seed$n"
done

for f in "$root"/tests/data/paradox/*.db "$root"/tests/data/paradox/*.DB "$shared"/paradox/*.db "$shared"/paradox/*.DB; do
  [ -f "$f" ] || continue
  n=$((n + 1))
  blob=$(companion "$f" mb)
  { size3 "$f"; cat "$f"; [ -z "$blob" ] || cat "$blob"; } > "$out/paradox/seed$n"
done

# Advantage, DBISAM and Clarion: a choice byte (all off), the table's length, the table, its companion.
table_with_companion() { # target, companion extension, tables...
  local target="$1" ext="$2" f other
  shift 2
  for f in "$@"; do
    [ -f "$f" ] || continue
    n=$((n + 1))
    other=$(companion "$f" "$ext")
    { printf '\000'; size3 "$f"; cat "$f"; [ -z "$other" ] || cat "$other"; } > "$out/$target/seed$n"
  done
}
table_with_companion advantage adm "$root"/tests/data/adt/*.adt "$root"/tests/data/adt/*.ADT \
  "$shared"/adt/*.adt "$shared"/adt/*.ADT
table_with_companion dbisam blb "$root"/tests/data/dbisam/*.dat
table_with_companion clarion mem "$root"/tests/data/clarion/*.dat

# Access: the database as it is (the small ones: every page is read).
mkdir -p "$out/access"
for f in "$root"/tests/data/access/acc95.mdb "$root"/tests/data/access/testV1997.mdb; do
  n=$((n + 1))
  cat "$f" > "$out/access/seed$n"
done
# The values decoded from a row's bytes: texts as Jet 4 writes them, an extended date.
mkdir -p "$out/access_values"
printf 'a\000b\000' > "$out/access_values/utf16"
printf '\377\376abc\000\075\330\000\336\000xyz' > "$out/access_values/compressed"
printf '0000000000000738685:0000000459000000000:7                   ' > "$out/access_values/date"

# Read in this process: every database the reader opens, for the text, date and memo
# kinds of the later versions too.
mkdir -p "$out/access_file"
for f in "$root"/tests/data/access/*.mdb "$root"/tests/data/access/*.accdb; do
  case "$f" in *-enc.*) continue ;; esac
  n=$((n + 1))
  cat "$f" > "$out/access_file/seed$n"
done

for f in "$root"/tests/data/spss/*.sav; do
  [ -f "$f" ] || continue
  n=$((n + 1))
  { printf '\000'; cat "$f"; } > "$out/spss/seed$n"
done

# Word: a choice byte (the naming row 1, the first row 1), then the document; the kinds
# that would be converted are seeds too, for the telling apart of kinds.
mkdir -p "$out/word"
for f in "$root"/tests/data/word/*.docx "$root"/tests/data/word/*.doc "$root"/tests/data/word/*.odt \
  "$root"/tests/data/word/*.rtf; do
  [ -f "$f" ] || continue
  n=$((n + 1))
  { printf '\002'; cat "$f"; } > "$out/word/seed$n"
done

# Address books and calendars: a choice byte (the mode, the regional settings), then the file.
mkdir -p "$out/vcard" "$out/vcalendar"
for f in "$root"/tests/data/vcard/*.vcf; do
  n=$((n + 1))
  { printf '\000'; cat "$f"; } > "$out/vcard/seed$n"
done
for f in "$root"/tests/data/calendar/*.ics "$root"/tests/data/calendar/*.vcs; do
  n=$((n + 1))
  { printf '\000'; cat "$f"; } > "$out/vcalendar/seed$n"
done

# Text: a layout byte (fixed, delimiter, qualifier, separator), field-name row, first row,
# character set and width, then the text.
printf '\x02\x01\x02\x00\x08' > "$out/text/semicolon"; cat "$root/examples/customers.csv" >> "$out/text/semicolon"
printf '\x01\x00\x01\x00\x0a07Zo\xc3\xab      15/05/1977 3,00\r\n08skip     01/01/2000 1,00\r\n' > "$out/text/fixed"
printf '\x40\x01\x01\x01\x05"a";"b""c";;\n"two\nlines";x\n\n' > "$out/text/quoted"
printf '\x05\x00\x01\x02\x03\xff\xfea\x00;\x00\xe9\x00\r\x00\n\x00b\x00' > "$out/text/utf16"

# HTML and XML: the choice bytes (variant, field-name row, first row), then the document.
for f in "$root"/tests/data/html/* "$shared"/html/*.htm*; do
  case "$f" in *.md) continue ;; esac
  [ -f "$f" ] || continue
  n=$((n + 1))
  { printf '\x01\x02\x01'; cat "$f"; } > "$out/html/seed$n"
done
for f in "$root"/tests/data/xml/*.xml "$shared"/xml/*.xml; do
  [ -f "$f" ] || continue
  n=$((n + 1))
  { printf '\x00\x00'; cat "$f"; } > "$out/xml/seed$n"
done

# Lotus and Quattro Pro: a choice byte (the mode, the sheet, the regional settings), then the file.
for kind in lotus quattro; do
  for f in "$root"/tests/data/$kind/* "$shared"/$kind/*; do
    [ -f "$f" ] || continue
    case "$f" in *.md) continue ;; esac
    n=$((n + 1))
    { printf '\x00'; cat "$f"; } > "$out/$kind/seed$n"
  done
done

i=0
while IFS= read -r expression; do
  i=$((i + 1))
  # A leading byte: the regional settings (i % 4), and whether a function is defined first.
  printf "\\x0$((i % 4))%s" "$expression" > "$out/expression/seed$i"
done <<'EXPRESSIONS'
1 + 2 * 3 - 4 / 5
IIF([Field1] > 2, 'big', 'small')
UPPER(TRIM(Field2)) + ' ' + LOWER("x y")
DATE() - 1
LEFT('abcdef', 3) + RIGHT('abcdef', 2) + MID('abcdef', 2, 2)
ROUND(3.14159, 2) + INT(-2.5) + ABS(-1) + 5!
NOT (1 = 2) AND (3 >= 2) OR ('a' <> 'b')
FORMATDATETIME('yyyy-mm-dd', NOW())
LOOKUP('STATES', 'CODE', Field1, 'NAME')
SUBSTITUTE(Field3, 'a;b', 'x;y')
STRTOINT('12') + STRTOFLOAT('1.5') + LENGTH('abc')
POS('b', 'abc') * 10 % 3
EXPRESSIONS
printf '\x04TWICE(x, y)=x*2 + IIF(y > 1, y, 0)\nTWICE(3, 4) + SQR1(PI)' > "$out/expression/function"
printf '\x05ONE=1\nONE + ONE' > "$out/expression/constant"

cp "$root/examples/customers.vxi" "$out/specification/customers"
printf '[Common]\r\nTableType=XLS\r\nMap0=ID=B\r\n[Sheet]\r\nSheetIndex=1\r\n[Text]\r\nFixed=1\r\nRecordSeparator=7C7C\r\n' \
  > "$out/specification/sheet"
