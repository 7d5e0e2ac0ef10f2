#!/usr/bin/python3
"""Writes the LibreOffice-made workbooks of this folder (run by hand, never by CI).

    /usr/bin/python3 generate.py OUTDIR [--big]

Needs libreoffice-calc-nogui and python3-uno. --big also writes the 50,000-row
workbooks used to time a load (not committed).
"""
import os
import subprocess
import sys
import time

import uno
from com.sun.star.beans import PropertyValue
from com.sun.star.util import Date as UnoDate


def prop(name, value):
    p = PropertyValue()
    p.Name = name
    p.Value = value
    return p


def connect():
    pipe = "ferrovane_fixtures"
    office = subprocess.Popen(["soffice", "--headless", "--invisible", "--norestore",
                               "--accept=pipe,name=%s;urp;" % pipe])
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    for _ in range(60):
        try:
            ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
            desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
            return office, desktop
        except Exception:
            time.sleep(1)
    raise RuntimeError("LibreOffice did not start")


def new_book(desktop, names):
    doc = desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0, (prop("Hidden", True),))
    sheets = doc.Sheets
    while sheets.Count < len(names):
        sheets.insertNewByName("tmp%d" % sheets.Count, sheets.Count)
    for i, name in enumerate(names):
        sheets.getByIndex(i).Name = name
    return doc


def number_format(doc, code):
    formats = doc.NumberFormats
    locale = uno.createUnoStruct("com.sun.star.lang.Locale")
    key = formats.queryKey(code, locale, False)
    if key == -1:
        key = formats.addNew(code, locale)
    return key


FILTERS = {".xls": "MS Excel 97", ".xlsx": "Calc MS Excel 2007 XML"}


def save(doc, outdir, stem, suffixes, extra=()):
    for suffix in suffixes:
        url = uno.systemPathToFileUrl(os.path.join(os.path.abspath(outdir), stem + suffix))
        doc.storeToURL(url, (prop("FilterName", FILTERS[suffix]),) + tuple(extra))


def table(desktop, outdir):
    """One sheet with every kind of value, saved as BIFF8, BIFF5 and Open XML."""
    doc = new_book(desktop, ["Data", "Notes"])
    doc.DocumentProperties.Title = "Ferrovane table"
    doc.DocumentProperties.Author = "Ferrovane tests"
    sheet = doc.Sheets.getByIndex(0)
    header = ["ID", "NAME", "AMOUNT", "BORN", "AT", "PLAIN", "TOTAL", "RATIO", "BLANK", "OK"]
    for c, text in enumerate(header):
        sheet.getCellByPosition(c, 0).String = text
    rows = [
        (1, "Zoë Ærø", 12.5, 39448, 0.5, 39448),
        (2, "plain", -3.25, 36526, 0.75, 1.5),
        (3, "2005", 161, 40000, 0.25, 0),
    ]
    for r, (ident, name, amount, born, at, plain) in enumerate(rows, start=1):
        sheet.getCellByPosition(0, r).Value = ident
        sheet.getCellByPosition(1, r).String = name
        sheet.getCellByPosition(2, r).Value = amount
        sheet.getCellByPosition(3, r).Value = born
        sheet.getCellByPosition(4, r).Value = at
        sheet.getCellByPosition(5, r).Value = plain
        sheet.getCellByPosition(6, r).Formula = "=SUM(A%d;C%d)" % (r + 1, r + 1)
        sheet.getCellByPosition(7, r).Formula = "=A%d/0" % (r + 1) if r == 1 else "=A%d/2" % (r + 1)
        sheet.getCellByPosition(8, r).Formula = '=""' if r == 1 else '="x"&A%d' % (r + 1)
        sheet.getCellByPosition(9, r).Formula = "=A%d>1" % (r + 1)
    dates = number_format(doc, "DD/MM/YYYY")
    times = number_format(doc, "H:MM")
    fixed = number_format(doc, "0.00")
    sheet.getCellRangeByName("D2:D4").NumberFormat = dates
    sheet.getCellRangeByName("E2:E4").NumberFormat = times
    sheet.getCellRangeByName("F2:F4").NumberFormat = fixed
    sheet.getColumns().getByIndex(1).Width = 5000  # 1/100 mm
    doc.Sheets.getByIndex(1).getCellByPosition(0, 0).String = "second sheet"
    save(doc, outdir, "table", [".xls", ".xlsx"])
    doc.close(True)


def three_sheets(desktop, outdir):
    doc = new_book(desktop, ["First", "Second", "Third"])
    for i in range(3):
        sheet = doc.Sheets.getByIndex(i)
        sheet.getCellByPosition(0, 0).String = "sheet %d" % (i + 1)
        sheet.getCellByPosition(1, 1).Value = (i + 1) * 100
    save(doc, outdir, "three-sheets", [".xls", ".xlsx"])
    doc.close(True)


def encrypted(desktop, outdir):
    doc = new_book(desktop, ["Secret"])
    doc.Sheets.getByIndex(0).getCellByPosition(0, 0).String = "hidden"
    save(doc, outdir, "encrypted", [".xls"], (prop("Password", "secret"),))
    doc.close(True)


def dates_1904(desktop, outdir):
    doc = new_book(desktop, ["Dates"])
    null = UnoDate()
    null.Day, null.Month, null.Year = 1, 1, 1904
    doc.NullDate = null
    sheet = doc.Sheets.getByIndex(0)
    sheet.getCellByPosition(0, 0).String = "WHEN"
    sheet.getCellByPosition(0, 1).Formula = "=DATE(2008;1;1)"
    sheet.getCellByPosition(0, 1).NumberFormat = number_format(doc, "DD/MM/YYYY")
    save(doc, outdir, "dates-1904", [".xls", ".xlsx"])
    doc.close(True)


def long_strings(desktop, outdir):
    doc = new_book(desktop, ["Long"])
    sheet = doc.Sheets.getByIndex(0)
    sheet.getCellByPosition(0, 0).String = "".join(chr(ord("a") + i % 26) for i in range(10000))
    sheet.getCellByPosition(0, 1).String = "".join(chr(0x3B1 + i % 24) for i in range(6000))
    sheet.getCellByPosition(0, 2).String = "after"
    save(doc, outdir, "long-strings", [".xls"])
    doc.close(True)


def big(desktop, outdir):
    doc = new_book(desktop, ["Big"])
    sheet = doc.Sheets.getByIndex(0)
    rows = tuple(tuple(float(r * 10 + c) if c != 1 else "text %d" % (r % 1000) for c in range(10))
                 for r in range(50000))
    sheet.getCellRangeByName("A1:J50000").setDataArray(rows)
    save(doc, outdir, "big", [".xls", ".xlsx"])
    doc.close(True)


def biff5(outdir, stem):
    """LibreOffice no longer writes Excel 95; Gnumeric's ssconvert does."""
    source = os.path.join(outdir, stem + ".xls")
    target = os.path.join(outdir, stem + "-biff5.xls")
    subprocess.run(["ssconvert", "--export-type=Gnumeric_Excel:excel_biff7", source, target], check=True)


def main():
    outdir = sys.argv[1]
    office, desktop = connect()
    try:
        table(desktop, outdir)
        three_sheets(desktop, outdir)
        encrypted(desktop, outdir)
        dates_1904(desktop, outdir)
        long_strings(desktop, outdir)
        if "--big" in sys.argv:
            big(desktop, outdir)
    finally:
        try:
            desktop.terminate()
        except Exception:
            pass
        office.wait(timeout=60)
    biff5(outdir, "table")
    biff5(outdir, "three-sheets")


if __name__ == "__main__":
    main()
