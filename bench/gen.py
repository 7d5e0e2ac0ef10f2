#!/usr/bin/env python3
"""Writes the benchmark data for N rows into a folder.

    gen.py N OUTDIR

OUTDIR receives:
  bench.csv      semicolon-separated, a header row, CRLF line ends
  bench.txt      the same rows in fixed-width columns, no header
  delimited.vxi  the .vxi file that loads bench.csv
  fixed.vxi      the .vxi file that loads bench.txt
  bench.html     the same rows as one HTML table, a header row of <th> first
  bench.xml      the same rows as element records
  html.vxi, xml.vxi  the .vxi files that load them
  insert.sql     an isql script: one INSERT per row, one COMMIT (baseline B)
  table.sql      the DDL of the benchmark table
  fill-all.sql   fills the table with old rows under every key (update, delete)
  fill-half.sql  the same under every second key (append/update)

The rows are a pure function of their key, so every run and every machine loads the same
bytes; no library random generator is used because their sequences are not promised to
stay the same between Python versions.
"""

import os
import sys

TABLE = "BENCH"

# (name, SQL type, fixed-width columns)
COLUMNS = [
    ("ID", "INTEGER NOT NULL", 10),
    ("CODE", "VARCHAR(10)", 10),
    ("NAME", "VARCHAR(30)", 30),
    ("AMOUNT", "NUMERIC(12,2)", 13),
    ("BORN", "DATE", 10),
    ("NOTE", "VARCHAR(100)", 100),
    ("QTY", "SMALLINT", 6),
    ("COUNTER", "INTEGER", 11),
]

WORDS = [
    "amber", "birch", "cobalt", "delta", "ember", "fjord", "granite", "harbor", "indigo", "juniper",
    "kestrel", "lumen", "meadow", "nickel", "orchid", "pewter", "quarry", "russet", "saffron", "tundra",
    "umber", "violet", "willow", "xenon", "yarrow", "zephyr", "alder", "basalt", "cedar", "dune",
]

CODE_CHARS = "ABCDEFGHJKLMNPQRSTUVWXYZ0123456789"
MASK64 = (1 << 64) - 1


def mix(x):
    """splitmix64 finaliser: a well-spread 64-bit hash of x."""
    x = (x + 0x9E3779B97F4A7C15) & MASK64
    x = ((x ^ (x >> 30)) * 0xBF58476D1CE4E5B9) & MASK64
    x = ((x ^ (x >> 27)) * 0x94D049BB133111EB) & MASK64
    return x ^ (x >> 31)


def civil_from_days(z):
    """(year, month, day) of z days after 1970-01-01 (proleptic Gregorian)."""
    z += 719468
    era = z // 146097
    doe = z - era * 146097
    yoe = (doe - doe // 1460 + doe // 36524 - doe // 146096) // 365
    y = yoe + era * 400
    doy = doe - (365 * yoe + yoe // 4 - yoe // 100)
    mp = (5 * doy + 2) // 153
    d = doy - (153 * mp + 2) // 5 + 1
    m = mp + 3 if mp < 10 else mp - 9
    return (y + (1 if m <= 2 else 0), m, d)


def row(key):
    """The eight values of a row as text, dates as (y, m, d)."""
    h1, h2, h3 = mix(key), mix(key ^ 0x5BD1E995), mix(key * 31 + 7)
    code_len = 4 + h1 % 7
    code = "".join(CODE_CHARS[(h1 >> (6 * i + 8)) % len(CODE_CHARS)] for i in range(code_len))
    name = f"{WORDS[h2 % 30].capitalize()} {WORDS[(h2 >> 8) % 30]} {key}"[:30]
    cents = (h2 >> 16) % 1_000_000_000 - 10_000_000  # -100000.00 .. 9899999.99
    sign = "-" if cents < 0 else ""
    amount = f"{sign}{abs(cents) // 100}.{abs(cents) % 100:02d}"
    born = civil_from_days(-7305 + (h3 % 25000))  # 1950 .. 2018
    note = ""
    n = h3 >> 16
    while len(note) < 100:
        note += WORDS[n % 30] + " "
        n = n // 30 or mix(n + key)
    note = note[:99] + "."
    qty = (h1 >> 40) % 20000 - 1000
    counter = (h3 >> 20) % 4_000_000_000 - 2_000_000_000
    return [str(key), code, name, amount, born, note, str(qty), str(counter)]


def dmy(d):
    return f"{d[2]:02d}/{d[1]:02d}/{d[0]:04d}"


def iso(d):
    return f"{d[0]:04d}-{d[1]:02d}-{d[2]:02d}"


def vxi_file(source, fixed, kind="Text"):
    lines = [
        "[Common]",
        "App=Ferrovane",
        f"TableName={TABLE}",
        "DatasetKeys=ID",
        "Mode=0",
        f"TableType={kind}",
        f"SourceFileName={source}",
        "CharacterSet=0",
        "CommitCount=300",
        "[Mappings]",
        f"Count={len(COLUMNS)}",
    ]
    first = 1
    for i, (col, _, width) in enumerate(COLUMNS):
        field = f"Text{first}-{first + width - 1}" if fixed else col if kind == "XML" else f"Field{i + 1}"
        lines.append(f"Map{i}={col}={field}")
        first += width
    lines += [
        "[Text]",
        "FieldDelimiter=3B",
        "TextQualifier=22",
        "RecordSeparator=0D0A",
        f"Fixed={1 if fixed else 0}",
        "TrimSpaces=3",
        f"RowFirst={1 if fixed or kind == 'XML' else 2}",
        "RowLast=2147483647",
        f"RowFieldNames={0 if fixed else 1}",
        "[DataFormat]",
        "DateOrder=1",
        "DateSeparator=2F",
        "TimeSeparator=3A",
        "ThousandSeparator=2C",
        "DecimalSeparator=2E",
        "CurrencyString=",
        "FourDigitYear=1",
        "LeadingZerosInDate=1",
        "CustomDateTimeFormat=",
        "BooleanTrue=True",
        "BooleanFalse=False",
        "UseRegionalSettings=0",
        "[Condition]",
        "LoadWhen=",
        "SkipIf=",
    ]
    return "\r\n".join(lines) + "\r\n"


def fill_sql(n, first, step):
    """Prefills from the server side, keys first, first + step, ... up to n. The old rows
    differ from the file's in every other column, so an update really rewrites them."""
    return (
        "SET TERM ^ ;\n"
        "EXECUTE BLOCK AS\n"
        "  DECLARE K INTEGER;\n"
        "BEGIN\n"
        f"  K = {first};\n"
        f"  WHILE (K <= {n}) DO BEGIN\n"
        f"    INSERT INTO {TABLE} VALUES (:K, 'old', 'old row', 0, DATE '2000-01-01',\n"
        "      'an old row that the benchmark overwrites', 0, 0);\n"
        f"    K = K + {step};\n"
        "  END\n"
        "END^\n"
        "SET TERM ; ^\n"
        "COMMIT;\n"
    )


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: gen.py N OUTDIR")
    n = int(sys.argv[1])
    out = os.path.abspath(sys.argv[2])
    os.makedirs(out, exist_ok=True)
    names = [c[0] for c in COLUMNS]

    with open(os.path.join(out, "table.sql"), "w", newline="\n") as f:
        cols = ",\n  ".join(f"{c} {t}" for c, t, _ in COLUMNS)
        f.write(f"CREATE TABLE {TABLE} (\n  {cols},\n  CONSTRAINT PK_{TABLE} PRIMARY KEY (ID)\n);\nCOMMIT;\n")
    with open(os.path.join(out, "fill-all.sql"), "w", newline="\n") as f:
        f.write(fill_sql(n, 1, 1))
    # Every second key rather than the first half, so that inserts and updates alternate.
    with open(os.path.join(out, "fill-half.sql"), "w", newline="\n") as f:
        f.write(fill_sql(n, 2, 2))
    with open(os.path.join(out, "delimited.vxi"), "w", newline="") as f:
        f.write(vxi_file(os.path.join(out, "bench.csv"), False))
    with open(os.path.join(out, "fixed.vxi"), "w", newline="") as f:
        f.write(vxi_file(os.path.join(out, "bench.txt"), True))
    with open(os.path.join(out, "html.vxi"), "w", newline="") as f:
        f.write(vxi_file(os.path.join(out, "bench.html"), False, "HTML"))
    with open(os.path.join(out, "xml.vxi"), "w", newline="") as f:
        f.write(vxi_file(os.path.join(out, "bench.xml"), False, "XML"))

    widths = [c[2] for c in COLUMNS]
    insert_head = f"INSERT INTO {TABLE} ({', '.join(names)}) VALUES ("
    # Written in chunks: a list of a million lines joined at once would cost memory for nothing.
    with open(os.path.join(out, "bench.csv"), "w", newline="") as csv, \
            open(os.path.join(out, "bench.txt"), "w", newline="") as fixed, \
            open(os.path.join(out, "insert.sql"), "w", newline="\n") as sql, \
            open(os.path.join(out, "bench.html"), "w", newline="") as html, \
            open(os.path.join(out, "bench.xml"), "w", newline="") as xml:
        csv.write(";".join(names) + "\r\n")
        html.write("<html><head><meta charset=\"utf-8\"><title>Bench</title></head><body>\n<table border=\"1\">\n"
                   "<tr>" + "".join(f"<th>{c}</th>" for c in names) + "</tr>\n")
        xml.write('<?xml version="1.0" encoding="UTF-8"?>\n<RECORDS>\n')
        sql.write("SET SQL DIALECT 3;\nSET NAMES UTF8;\n")
        chunk_csv, chunk_fixed, chunk_sql, chunk_html, chunk_xml = [], [], [], [], []
        for key in range(1, n + 1):
            v = row(key)
            born = v[4]
            text = v[:4] + [dmy(born)] + v[5:]
            chunk_csv.append(";".join(text))
            chunk_fixed.append("".join(t.ljust(w) for t, w in zip(text, widths)))
            chunk_sql.append(f"{insert_head}{v[0]}, '{v[1]}', '{v[2]}', {v[3]}, '{iso(born)}', "
                             f"'{v[5]}', {v[6]}, {v[7]});")
            chunk_html.append('<tr class="r">' + "".join(f"<td>{t}</td>" for t in text) + "</tr>")
            chunk_xml.append("  <RECORD>" + "".join(f"<{c}>{t}</{c}>" for c, t in zip(names, text)) + "</RECORD>")
            if len(chunk_csv) == 10000 or key == n:
                csv.write("\r\n".join(chunk_csv) + "\r\n")
                fixed.write("\r\n".join(chunk_fixed) + "\r\n")
                sql.write("\n".join(chunk_sql) + "\n")
                html.write("\n".join(chunk_html) + "\n")
                xml.write("\n".join(chunk_xml) + "\n")
                chunk_csv, chunk_fixed, chunk_sql, chunk_html, chunk_xml = [], [], [], [], []
        sql.write("COMMIT;\n")
        html.write("</table>\n</body></html>\n")
        xml.write("</RECORDS>\n")


if __name__ == "__main__":
    main()
