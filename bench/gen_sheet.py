#!/usr/bin/env python3
"""Writes a workbook of N rows (Open XML) for the wizard's preview benchmark.

    gen_sheet.py N OUT.xlsx

One sheet: a header row (ID, NAME, AMOUNT) and N rows that are a pure function of their
number. Written by hand with zipfile: no spreadsheet library is needed.
"""
import sys
import zipfile

rows, out = int(sys.argv[1]), sys.argv[2]
parts = {
    "[Content_Types].xml": '<?xml version="1.0" encoding="UTF-8"?>'
    '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
    '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
    '<Default Extension="xml" ContentType="application/xml"/>'
    '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
    '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
    "</Types>",
    "_rels/.rels": '<?xml version="1.0" encoding="UTF-8"?>'
    '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
    '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>'
    "</Relationships>",
    "xl/workbook.xml": '<?xml version="1.0" encoding="UTF-8"?>'
    '<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
    'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
    '<sheets><sheet name="Data" sheetId="1" r:id="rId1"/></sheets></workbook>',
    "xl/_rels/workbook.xml.rels": '<?xml version="1.0" encoding="UTF-8"?>'
    '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
    '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>'
    "</Relationships>",
}


def cell(ref, value):
    if isinstance(value, str):
        return f'<c r="{ref}" t="inlineStr"><is><t>{value}</t></is></c>'
    return f'<c r="{ref}"><v>{value}</v></c>'


lines = ['<?xml version="1.0" encoding="UTF-8"?>',
         '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>',
         f'<row r="1">{cell("A1", "ID")}{cell("B1", "NAME")}{cell("C1", "AMOUNT")}</row>']
for n in range(1, rows + 1):
    r = n + 1
    lines.append(f'<row r="{r}">{cell(f"A{r}", n)}{cell(f"B{r}", f"Name {n}")}{cell(f"C{r}", (n * 37) % 10000 / 100)}</row>')
lines.append("</sheetData></worksheet>")
parts["xl/worksheets/sheet1.xml"] = "".join(lines)
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    for name, text in parts.items():
        z.writestr(name, text)
