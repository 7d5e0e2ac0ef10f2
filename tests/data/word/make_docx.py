#!/usr/bin/env python3
"""Writes the hand-made .docx files of this folder: the least a package needs
([Content_Types].xml, the package relationships, the main part), each showing one way
tables are laid out. The zip entries carry a fixed date, so running it again gives the same
bytes.  Run from this folder: python3 make_docx.py"""

import zipfile

W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"
STRICT_W = "http://purl.oclc.org/ooxml/wordprocessingml/main"
MC = "http://schemas.openxmlformats.org/markup-compatibility/2006"
WPS = "http://schemas.microsoft.com/office/word/2010/wordprocessingShape"
V = "urn:schemas-microsoft-com:vml"
OFFICE_DOCUMENT = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument"


def content_types(part):
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
            '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
            '<Default Extension="xml" ContentType="application/xml"/>'
            f'<Override PartName="/{part}" ContentType="application/vnd.openxmlformats-officedocument.'
            'wordprocessingml.document.main+xml"/></Types>')


def relationships(part):
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            f'<Relationship Id="rId1" Type="{OFFICE_DOCUMENT}" Target="{part}"/></Relationships>')


def document(body, namespace=W):
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            f'<w:document xmlns:w="{namespace}" xmlns:mc="{MC}" xmlns:wps="{WPS}" xmlns:v="{V}">'
            f'<w:body>{body}</w:body></w:document>')


def write(name, body, part="word/document.xml", namespace=W):
    with zipfile.ZipFile(name, "w", zipfile.ZIP_DEFLATED) as z:
        for entry, text in (("[Content_Types].xml", content_types(part)), ("_rels/.rels", relationships(part)),
                            (part, document(body, namespace))):
            info = zipfile.ZipInfo(entry, date_time=(2026, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, text)


def p(*runs):
    return "<w:p>" + "".join(runs) + "</w:p>"


def r(text):
    return f'<w:r><w:t xml:space="preserve">{text}</w:t></w:r>'


def tc(content, props=""):
    if not content.startswith("<"):
        content = p(r(content)) if content else p()
    return f"<w:tc><w:tcPr>{props}</w:tcPr>{content}</w:tc>"


def tr(*cells, props=""):
    return f"<w:tr><w:trPr>{props}</w:trPr>" + "".join(cells) + "</w:tr>"


def tbl(widths, *rows):
    grid = "".join(f'<w:gridCol w:w="{w}"/>' for w in widths)
    return f"<w:tbl><w:tblPr/><w:tblGrid>{grid}</w:tblGrid>" + "".join(rows) + "</w:tbl>"


def span(n):
    return f'<w:gridSpan w:val="{n}"/>'


RESTART = '<w:vMerge w:val="restart"/>'
CONTINUE = "<w:vMerge/>"

# Merged cells: a spanning cell keeps its text in its first grid column, a cell that
# continues a vertical merge shows the text the merge began with, a row that starts
# further right (gridBefore) leaves its first columns empty. The grid widths are in twips.
write("merges.docx",
      p(r("Shops by region")) +
      tbl([1440, 2880, 1400, 700],
          tr(tc("Region"), tc("City"), tc("Shop", span(2))),
          tr(tc("North", RESTART), tc("Oslo"), tc("A"), tc("B")),
          tr(tc("", CONTINUE), tc("Bergen"), tc("C", span(2))),
          tr(tc("Troms\u00f8"), tc("D"), tc("E"), props='<w:gridBefore w:val="1"/>'),
          tr(tc("South", RESTART), tc("Rome", span(3))),
          tr(tc("", '<w:vMerge w:val="continue"/>'), tc("Naples"), tc("F"), tc("G"))))

text_box = ('<w:r><mc:AlternateContent><mc:Choice Requires="wps"><w:drawing><wps:txbx><w:txbxContent>'
            + p(r("in the box")) + '</w:txbxContent></wps:txbx></w:drawing></mc:Choice><mc:Fallback><w:pict>'
            '<v:textbox><w:txbxContent>' + p(r("in the box")) +
            '</w:txbxContent></v:textbox></w:pict></mc:Fallback></mc:AlternateContent></w:r>')
nested = tbl([500, 500], tr(tc("1"), tc("2")), tr(tc("3"), tc(p(r("4a")) + p(r("4b")))))

# The texts of cells: paragraphs one to a line, tabs and breaks inside runs, tracked
# changes as the document reads now, field results without their codes, a text box once
# (not its fallback copy too), a nested table's rows one to a line with tabs between cells.
write("texts.docx",
      tbl([2000, 4000],
          tr(tc("paragraphs"), tc(p(r("line one")) + p(r("line two")) + p())),
          tr(tc("tab and break"), tc(p('<w:r><w:t>a</w:t><w:tab/><w:t>b</w:t><w:br/><w:t>c</w:t></w:r>'))),
          tr(tc("tracked changes"),
             tc(p(r("kept "), '<w:ins w:id="1" w:author="x"><w:r><w:t>new</w:t></w:r></w:ins>',
                  '<w:del w:id="2" w:author="x"><w:r><w:delText>old</w:delText></w:r></w:del>',
                  '<w:moveFrom w:id="3" w:author="x"><w:r><w:t>moved away</w:t></w:r></w:moveFrom>'))),
          tr(tc("field"),
             tc(p('<w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText> PAGE </w:instrText></w:r>'
                  '<w:r><w:fldChar w:fldCharType="separate"/></w:r>', r("7"),
                  '<w:r><w:fldChar w:fldCharType="end"/></w:r>'))),
          tr(tc("text box"), tc(p(r("before "), text_box))),
          tr(tc("nested table"), tc(p(r("before")) + nested + p(r("after")))),
          tr(tc("hyphen and tab stops"),
             tc('<w:p><w:pPr><w:tabs><w:tab w:val="left" w:pos="720"/></w:tabs></w:pPr>'
                '<w:r><w:t>a</w:t><w:noBreakHyphen/><w:t>b</w:t></w:r></w:p>')),
          tr(tc("empty"), tc(""))) +
      p(r("A second table is not read:")) + tbl([100], tr(tc("second"))))

# The naming row: a header's first line, trimmed, names its column; a column without a
# header is named by its number. Five data rows for the row window.
write("headers.docx",
      p(r("People")) +
      tbl([1400, 2800, 1000, 1400],
          tr(tc("  ID "), tc(p(r("Name")) + p(r("(given and family)"))), tc(""), tc("Born")),
          *[tr(tc(str(i)), tc(f"Person {i}"), tc(f"x{i}"), tc(f"{i:02d}/01/2000")) for i in range(1, 6)]))

write("no-tables.docx", p(r("Only text here.")) + p(r("No table at all.")))

# A package whose main part is not where Word puts it, in the strict namespace.
write("strict-elsewhere.docx", tbl([2800], tr(tc("strict")), tr(tc("found"))), part="doc/main.xml",
      namespace=STRICT_W)

# What the runner test imports.
write("people.docx",
      p(r("Our people")) +
      tbl([700, 2800, 1400, 1400],
          tr(tc("ID"), tc("NAME"), tc("BORN"), tc("AMOUNT")),
          tr(tc("1"), tc("Ann Smith"), tc("15/05/1977"), tc("1234.50")),
          tr(tc("2"), tc(p(r("Zo\u00eb")) + p(r("M\u00fcller"))), tc("29/02/1980"), tc("2000")),
          tr(tc("3"), tc("Bob"), tc(""), tc("7.25"))))

# A package whose main part ends in the middle of a table row: damaged, not a document
# without tables.
with zipfile.ZipFile("cut-main-part.docx", "w", zipfile.ZIP_DEFLATED) as z:
    for entry, text in (("[Content_Types].xml", content_types("word/document.xml")),
                        ("_rels/.rels", relationships("word/document.xml")),
                        ("word/document.xml", document(tbl([1000], tr(tc("1")), tr(tc("2"))))[:-60])):
        info = zipfile.ZipInfo(entry, date_time=(2026, 1, 1, 0, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        z.writestr(info, text)
