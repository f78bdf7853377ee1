#!/usr/bin/env python3
"""Writes the workbooks and documents the office tests read into the folder given as argument."""
import datetime
import os
import shutil
import struct
import sys
import zipfile

import docx
from docx.oxml import parse_xml
from docx.oxml.ns import nsdecls
import openpyxl
import xlwt

out = sys.argv[1]
shutil.rmtree(out, ignore_errors=True)
os.makedirs(out)


def path(name):
    return os.path.join(out, name)


def put(name, data):
    with open(path(name), "w" if isinstance(data, str) else "wb") as f:
        f.write(data)


# Three sheets; the first is the mail-merge sheet (an empty cell in row 2, a date, a bool).
book = openpyxl.Workbook()
first = book.active
first.title = "客户"
first.append([13912345678, "张三", datetime.date(2024, 5, 6)])
first.append(["13812345678, 13712345678", None, 3.25])
first.append(["no number", "王五", True])
second = book.create_sheet("second")
second["C5"] = 13612345678
second["D6"] = datetime.datetime(2024, 5, 6, 10, 30, 0)
book.create_sheet("third")["A1"] = "0755-12345678"
book.save(path("book.xlsx"))

# A package written by hand: sheets listed in another order than their part names, rich-run and
# phonetic shared strings, an inline string, a custom date format, the 1904 date system, an error,
# a boolean, rows and cells without references, data that starts at C5.
NS = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" ' \
     'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"'
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
parts = {
    "[Content_Types].xml": '<?xml version="1.0" encoding="UTF-8"?><Types/>',
    "xl/workbook.xml": f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<workbook {NS}>'
                       '<workbookPr date1904="1"/><sheets><sheet name="A" sheetId="1" r:id="rId7"/>'
                       '<sheet name="B" sheetId="2" r:id="rId3"/></sheets></workbook>',
    "xl/_rels/workbook.xml.rels":
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        f'<Relationship Id="rId3" Type="{REL}worksheet" Target="worksheets/sheet1.xml"/>'
        f'<Relationship Id="rId7" Type="{REL}worksheet" Target="/xl/worksheets/sheet2.xml"/>'
        f'<Relationship Id="rId9" Type="{REL}sharedStrings" Target="strings.xml"/>'
        f'<Relationship Id="rId8" Type="{REL}styles" Target="styles.xml"/></Relationships>',
    "xl/strings.xml": f'<sst {NS}><si><r><t>139</t></r><r><rPr><b/></rPr><t xml:space="preserve">1234</t></r>'
                      '<r><t>5678</t></r><rPh><t>ignored 13000000000</t></rPh></si>'
                      '<si><t>A&amp;B 张三</t></si></sst>',
    "xl/styles.xml": f'<styleSheet {NS}><numFmts count="1"><numFmt numFmtId="164" formatCode="&quot;on&quot; yyyy/mm/dd"/>'
                     '</numFmts><cellStyleXfs count="1"><xf numFmtId="14"/></cellStyleXfs>'
                     '<cellXfs count="3"><xf numFmtId="0"/><xf numFmtId="164"/><xf numFmtId="2"/></cellXfs></styleSheet>',
    "xl/worksheets/sheet2.xml": f'<worksheet {NS}><sheetData>'
                                '<row r="5"><c r="C5" t="s"><v>0</v></c><c r="E5" s="1"><v>0</v></c></row>'
                                '<row><c t="inlineStr"><is><r><t>137</t></r><r><t>12345678</t></r></is></c>'
                                '<c t="e"><v>#N/A</v></c><c t="b"><v>1</v></c><c s="2"><v>0.5</v></c></row>'
                                '</sheetData></worksheet>',
    "xl/worksheets/sheet1.xml": f'<worksheet {NS}><sheetData><row r="1"><c r="A1" t="s"><v>1</v></c>'
                                '<c r="B1"><v>13512345678</v></c></row></sheetData></worksheet>',
}
with zipfile.ZipFile(path("handmade.xlsx"), "w", zipfile.ZIP_DEFLATED) as z:
    for name, text in parts.items():
        z.writestr(name, text)

# The binary workbook: two sheets, numbers stored as floats, a date.
xls = xlwt.Workbook()
a = xls.add_sheet("one")
a.write(0, 0, 13312345678.0)
a.write(0, 1, "李四")
a.write(1, 2, datetime.date(2024, 5, 6), xlwt.easyxf(num_format_str="YYYY-MM-DD"))
xls.add_sheet("two").write(3, 3, "Tel: 010-12345678")
xls.save(path("book.xls"))

# A document with a number split over three runs and one in a table.
document = docx.Document()
p = document.add_paragraph("客户 ")
for run in ("138", "1234", "5678"):
    p.add_run(run).bold = True
document.add_paragraph("tel 010-12345678")
document.add_table(rows=1, cols=1).cell(0, 0).text = "13612345678"
document.save(path("numbers.docx"))

# A document ending in a table, with numbers in its header and footer and a tracked deletion.
# ending-table.doc, kept beside this script, is this document as Word 97 once converted with
# `soffice --headless --convert-to doc:"MS Word 97" ending-table.docx` (LibreOffice 7.4).
document = docx.Document()
document.sections[0].header.paragraphs[0].text = "header 13000000001"
document.sections[0].footer.paragraphs[0].text = "footer 13000000002"
p = document.add_paragraph("body 13812345678 ")
p._p.append(parse_xml(f'<w:del {nsdecls("w")} w:id="1" w:author="a" w:date="2024-01-01T00:00:00Z">'
                      '<w:r><w:delText>13000000003</w:delText></w:r></w:del>'))
table = document.add_table(rows=20, cols=2)
for row in range(20):
    table.cell(row, 0).text = f"139000000{row:02d}"
    table.cell(row, 1).text = f"张三{row}"
document.save(path("ending-table.docx"))
shutil.copy(os.path.join(os.path.dirname(os.path.abspath(__file__)), "ending-table.doc"), out)
# A document of more than 64 MiB of text, in paragraphs of 1 MiB.
with zipfile.ZipFile(path("long-document.docx"), "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("word/document.xml", '<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">'
               '<w:body><w:p><w:r><w:t>13812345678</w:t></w:r></w:p>' +
               f'<w:p><w:r><w:t>{"x" * (1 << 20)}</w:t></w:r></w:p>' * 65 + "</w:body></w:document>")
# Line breaks inside a paragraph and inside a cell, between two numbers; .xls dates with a time.
document = docx.Document()
document.add_paragraph().add_run("13812345678\n13912345678")  # the line break as <w:br/>
document.save(path("breaks.docx"))
book = openpyxl.Workbook()
book.active["A1"] = "13812345678\n13712345678"
book.save(path("breaks.xlsx"))
xls = xlwt.Workbook()
times = xls.add_sheet("times")
times.write(0, 0, datetime.datetime(2024, 5, 6, 10, 30, 5), xlwt.easyxf(num_format_str="YYYY-MM-DD HH:MM:SS"))
times.write(0, 1, datetime.datetime(2024, 5, 6), xlwt.easyxf(num_format_str="YYYY-MM-DD HH:MM"))
xls.save(path("datetime.xls"))

# HTML saved as .xls, a text file in a folder named like a document.
put("html.xls", "<html><table><tr><td>13212345678</td></tr></table></html>")
os.makedirs(path("x.doc"))
put("x.doc/numbers.txt", "13112345678\n")

# Damaged files: truncated copies, a compound file that is no workbook (as an encrypted .xlsx is),
# and a zip bomb whose sheet inflates far beyond the readers' limit.
for name in ("book.xlsx", "book.xls", "numbers.docx"):
    data = open(path(name), "rb").read()
    put("truncated-" + name, data[: len(data) * 2 // 3])
put("secret.xlsx", b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + b"\0" * 4088)
with zipfile.ZipFile(path("bomb.xlsx"), "w", zipfile.ZIP_DEFLATED) as z:
    for name in ("xl/workbook.xml", "xl/_rels/workbook.xml.rels"):
        z.writestr(name, parts[name])
    with z.open("xl/worksheets/sheet2.xml", "w", force_zip64=True) as sheet:
        sheet.write(f'<worksheet {NS}><sheetData><row r="1"><c r="A1"><v>13912345678</v></c></row>'.encode())
        block = b" " * (1 << 20)
        for _ in range(300):
            sheet.write(block)
        sheet.write(b"</sheetData></worksheet>")


# Hostile workbooks. A sheet declaring (DIMENSIONS) far more cells than its file holds; a workbook
# whose sheet list is lost; packages of one cell more than a workbook holds (empty rows), of
# strings longer than a cell holds, of more shared strings than a workbook holds cells.
def patch_records(name, record, change, every):
    data = bytearray(open(path(name), "rb").read())
    at = data.find(record)
    while at >= 0:
        change(data, at)
        at = data.find(record, at + 4) if every else -1
    return data


def declare(data, at):
    struct.pack_into("<IIHHH", data, at + 4, 0, 65536, 0, 50, 0)  # A1:AX65536 on the first sheet


put("declared.xls", patch_records("book.xls", b"\x00\x02\x0e\x00", declare, False))
# Both sheet records (0x85, 11 bytes) made unknown.
put("no-sheet.xls", patch_records("book.xls", b"\x85\x00\x0b\x00", lambda data, at: data.__setitem__(at, 0x86), True))


ONE_SHEET = f'<workbook {NS}><sheets><sheet name="A" sheetId="1" r:id="rId7"/></sheets></workbook>'


def package(name, sheet, strings=None, workbook=ONE_SHEET, second=None):
    with zipfile.ZipFile(path(name), "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("xl/workbook.xml", workbook)
        z.writestr("xl/_rels/workbook.xml.rels", parts["xl/_rels/workbook.xml.rels"])
        z.writestr("xl/worksheets/sheet2.xml", f'<worksheet {NS}><sheetData>{sheet}</sheetData></worksheet>')
        if second is not None:
            z.writestr("xl/worksheets/sheet1.xml", f'<worksheet {NS}><sheetData>{second}</sheetData></worksheet>')
        if strings is not None:
            z.writestr("xl/strings.xml", f"<sst {NS}>{strings}</sst>")


first = '<row r="1"><c r="A1"><v>13912345678</v></c></row>'
package("no-sheet.xlsx", first, workbook=f"<workbook {NS}><sheets/></workbook>")
package("4000001-cells.xlsx", first + "<row/>" * 4_000_000)
# A shared-string index that is no number names no string (not the first one).
package("bad-index.xlsx", '<row r="1"><c r="A1" t="s"><v>1x</v></c><c r="B1" t="s"><v>1</v></c></row>',
        "<si><t>13000000000</t></si><si><t>13100000000</t></si>")
package("strings.xlsx", first, f"<si><t>{'1' * (1 << 20)}</t></si>" * 50)
# A table of more strings than a workbook may have cells, all of them empty.
package("empty-strings.xlsx", first, "<si/>" * 4_000_001)


# Workbooks that pack far better than 64:1, as common writers store them: every text inline, a
# Chinese text as numeric references. 100,000 rows of a phone number and the same text of 140
# characters (1.3 MB, a sheet of 120 MB); 12,000 rows of one long text each.
text140 = "".join(f"&#{ord(c)};" for c in ("尊敬的客户您好，本店春季新品上市，全场八折，会员再享九五折，详情请咨询门店。" * 4)[:140])
package("entities.xlsx", "".join(f'<row r="{r}"><c><v>{13900000000 + r}</v></c><c t="inlineStr"><is><t>{text140}</t></is></c></row>'
                                 for r in range(1, 100001)))
package("long-texts.xlsx", "".join(f'<row r="{r}"><c r="A{r}" t="inlineStr"><is><t>第{r}条 {text140 * 4} 13800000000'
                                   '</t></is></c></row>' for r in range(1, 12001)))
# What makes nothing inflates to 64 MiB at most, however well it packs: blanks past it, in runs of
# 1 MiB between elements that are no cells; the same blanks after texts that earn them their place.
blank_mib = " " * ((1 << 20) - 4) + "<x/>"
package("no-cells.xlsx", first + blank_mib * 65)
package("among-texts.xlsx", first + f'<row><c t="inlineStr"><is><t>{"1" * 30000}</t></is></c></row>{" " * 100000}' * 1000)
package("blank-run.xlsx", first + " " * (17 << 20))


# Cells that are no cells (past the last row or column), and grids that pass the cell limit by
# the rows they take: the last cell of a sheet, and 200 rows as wide as a sheet above it.
for name, ref in (("far-row.xlsx", "A9999999"), ("past-last-row.xlsx", "A1048577"), ("past-last-column.xlsx", "XFE1")):
    package(name, f'<row><c r="{ref}"><v>13912345678</v></c></row>')
last = '<row r="1048576"><c r="XFD1048576"><v>13912345678</v></c></row>'
package("last-cell.xlsx", first + last)
package("tall.xlsx", "".join(f'<row><c r="XFD{r}"><v>1</v></c></row>' for r in range(1, 201)) + last)

# Long cells: a shared string of 12 MiB shown in 20 cells; a cell of one character more than a
# cell holds; one as long as a cell holds, shared by 200 cells and one inline; a string of 32,767
# characters in 33,000 cells, whose texts together pass the 1 GiB one reading hands out.
def shared_cells(count, per_row=100):
    return "".join("<row>" + '<c t="s"><v>0</v></c>' * min(per_row, count - at) + "</row>"
                   for at in range(0, count, per_row))


package("long-string.xlsx", shared_cells(20), f"<si><t>{'1' * (12 << 20)}</t></si>")
package("cell-plus-one.xlsx", f'<row><c t="inlineStr"><is><t>{"字" * 32768}</t></is></c></row>')
package("cell-sized.xlsx", f'<row><c t="inlineStr"><is><t>{"字" * 32767}</t></is></c></row>' + shared_cells(200),
        f"<si><t>{'字' * 32767}</t></si>")
package("handed-out.xlsx", shared_cells(33000), f"<si><t>{'1' * 32767}</t></si>")
# A sheet long enough that making its messages takes a while: a number and a name in each row.
package("20000-rows.xlsx", "".join(f'<row><c><v>{13900000000 + r}</v></c><c t="inlineStr"><is><t>客户{r}</t></is></c></row>'
                                   for r in range(20000)))

# Text in UTF-16 without a byte-order mark, and bytes with zero bytes that are no text.
numbers = "手机 13812345678\r\n13912345678\r\n"
for name, codec in (("utf16le.txt", "utf-16-le"), ("utf16be.txt", "utf-16-be")):
    put(name, numbers.encode(codec))
put("zeros.txt", b"13812345678\0\0\r\n\0\x01\0\x02")

# Empty files: a workbook or document of no bytes is unreadable, an empty text file an empty list.
for name in ("empty.xlsx", "empty.xls", "empty.doc", "empty.docx", "empty.txt"):
    put(name, b"")


# A BIFF8 workbook written record by record, as spreadsheet programs write long texts: a string
# longer than a record goes on in CONTINUE records (8,224 bytes of data at most each), its
# characters after a flags byte that says whether they are one byte or two each.
MAX_DATA = 8224


def record(rid, body):
    return struct.pack("<HH", rid, len(body)) + body


def continued(rid, head, pieces):
    """A record of `head` and then the pieces, split over CONTINUE records. A piece is ("bytes", b)
    (split anywhere), ("whole", b) (never split) or ("chars", text) (split between characters,
    each part after a split led by its flags byte; a part all below U+0100 is one byte a character)."""
    records, body = [], bytearray(head)

    def flush():
        nonlocal body
        records.append(body)
        body = bytearray()

    def encoded(text):
        wide = any(ord(c) > 0xFF for c in text)
        return wide, text.encode("utf-16-le" if wide else "latin-1")

    for kind, data in pieces:
        if kind == "whole":
            if len(body) + len(data) > MAX_DATA:
                flush()
            body += data
        elif kind == "bytes":
            while data:
                if len(body) == MAX_DATA:
                    flush()
                take = MAX_DATA - len(body)
                body += data[:take]
                data = data[take:]
        else:
            lead = False  # a part after a split begins with its flags byte
            while data:
                if MAX_DATA - len(body) < 3:
                    flush()
                    lead = True
                wide, _ = encoded(data)
                count = (MAX_DATA - len(body) - (1 if lead else 0)) // (2 if wide else 1)
                wide, raw = encoded(data[:count])
                if lead:
                    body.append(1 if wide else 0)
                body += raw
                data = data[count:]
                if data:
                    flush()
                    lead = True
    flush()
    return record(rid, bytes(records[0])) + b"".join(record(0x003C, bytes(r)) for r in records[1:])


def string_head(text, runs=0, ext=0):
    """The head of a BIFF8 string: characters, flags (two-byte characters, runs, extension)."""
    wide = any(ord(c) > 0xFF for c in text)
    flags = (1 if wide else 0) | (8 if runs else 0) | (4 if ext else 0)
    return struct.pack("<HB", len(text), flags) + (struct.pack("<H", runs) if runs else b"") + \
        (struct.pack("<I", ext) if ext else b"")


def string_pieces(text, runs=0, ext=0):
    return [("whole", string_head(text, runs, ext)), ("chars", text), ("bytes", b"\x01\0\0\0" * runs + b"\x07" * ext)]


def cell(rid, row, col, xf, tail):
    return record(rid, struct.pack("<HHH", row, col, xf) + tail)


def compound_file(stream, name="Workbook", shift=9):
    """A compound file of 512-byte sectors (4,096-byte ones with shift 12) holding one stream (at
    least 4,096 bytes, so that it lives in the file's own sectors)."""
    size = 1 << shift
    stream = stream + b"\0" * (max(4096, -(-len(stream) // size) * size) - len(stream))
    count = len(stream) // size
    fat_sectors = 1
    while fat_sectors * size // 4 < fat_sectors + 1 + count:
        fat_sectors += 1
    fat = [0xFFFFFFFD] * fat_sectors + [0xFFFFFFFE]  # the FAT, then the directory
    first = fat_sectors + 1
    fat += [first + i + 1 for i in range(count - 1)] + [0xFFFFFFFE]
    fat += [0xFFFFFFFF] * (fat_sectors * size // 4 - len(fat))

    def entry(name, kind, start, size, child=0xFFFFFFFF):
        e = bytearray(128)
        raw = name.encode("utf-16-le") + b"\0\0"
        e[0:len(raw)] = raw
        struct.pack_into("<HBB", e, 64, len(raw), kind, 1)
        struct.pack_into("<III", e, 68, 0xFFFFFFFF, 0xFFFFFFFF, child)
        struct.pack_into("<II", e, 116, start, size)
        return bytes(e)

    directory = entry("Root Entry", 5, 0xFFFFFFFE, 0, 1) + entry(name, 2, first, len(stream))
    directory += b"\0" * (size - len(directory))
    header = bytearray(size)
    header[0:8] = b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"
    struct.pack_into("<HHHHH", header, 24, 0x3E, 3 if shift == 9 else 4, 0xFFFE, shift, 6)
    struct.pack_into("<IIIIIIIII", header, 44, fat_sectors, fat_sectors, 0, 4096, 0xFFFFFFFE, 0, 0xFFFFFFFE, 0, 0)
    difat = list(range(fat_sectors)) + [0xFFFFFFFF] * (109 - fat_sectors)
    struct.pack_into("<109I", header, 76, *difat)
    return bytes(header) + struct.pack(f"<{len(fat)}I", *fat) + directory + stream


def biff_workbook(sheets, strings, formats=(), xfs=(0,), date1904=False, extra=b""):
    """A BIFF8 stream: globals with the `extra` records, formats, XFs (their format numbers),
    sheets and the shared strings (text, runs, extension bytes), then each sheet's records."""
    bof = lambda kind: record(0x0809, struct.pack("<HHHHII", 0x0600, kind, 0, 1997, 0, 6))
    globals_ = bof(0x0005) + extra + record(0x0022, struct.pack("<H", int(date1904)))
    for number, code in formats:
        globals_ += record(0x041E, struct.pack("<H", number) + string_head(code) + code.encode("latin-1"))
    for number in xfs:
        globals_ += record(0x00E0, struct.pack("<HH", 0, number) + b"\0" * 16)
    names = []
    for i, _ in enumerate(sheets):
        name = f"S{i}".encode()
        names.append(len(globals_))
        globals_ += record(0x0085, struct.pack("<IBBBB", 0, 0, 0, len(name), 0) + name)
    pieces = []
    for text, runs, ext in strings:
        pieces += string_pieces(text, runs, ext)
    globals_ += continued(0x00FC, struct.pack("<II", len(strings), len(strings)), pieces)
    globals_ = bytearray(globals_ + record(0x000A, b""))
    stream = bytes(globals_)
    for i, body in enumerate(sheets):
        struct.pack_into("<I", globals_, names[i] + 4, len(stream))
        stream += bof(0x0010) + body + record(0x000A, b"")
    return bytes(globals_) + stream[len(globals_):]


def rk_int(value):
    return struct.pack("<I", (value << 2) | 2)


def number(value):
    return struct.pack("<d", value)


# One cell of 32,767 characters (Chinese, then Latin ones that go on one byte each, a number at the end),
# 20,000 Latin characters, a rich string with its runs and extension split by a record's end; a
# LABEL and a formula's STRING continued too; every kind of number cell and cached formula value,
# dates by their format, and a chart's substream inside the sheet.
long_chinese = "".join(chr(0x4E00 + i % 20000) for i in range(20000)) + "x" * (12767 - 11) + "13812345678"
long_latin = "x" * (20000 - 11) + "13712345678"
strings = [("13912345678", 0, 0), (long_chinese, 0, 0), (long_latin, 0, 0),
           ("y" * 8150 + "13612345678", 30, 40)]
label = "z" * 9000 + " 13412345678"
formula_string = "电话" * 4500 + " 0755-12345678"
formula = lambda row, col, value: cell(0x0006, row, col, 0, value + b"\0\0" + b"\0" * 4 + b"\0\0")
chart = record(0x0809, struct.pack("<HHHHII", 0x0600, 0x0020, 0, 1997, 0, 6)) + \
    cell(0x0203, 0, 0, 0, number(13000000009)) + record(0x000A, b"")
first = b"".join([
    record(0x0200, struct.pack("<IIHHH", 0, 6, 0, 4, 0)),
    *(cell(0x00FD, 0, col, 0, struct.pack("<I", col)) for col in range(4)),
    cell(0x00FD, 0, 4, 0, struct.pack("<I", 99)),  # no such string
    cell(0x0203, 1, 0, 0, number(13312345678)),
    cell(0x027E, 1, 1, 0, rk_int(42)),
    cell(0x027E, 1, 2, 0, struct.pack("<I", (325 << 2) | 3)),  # 3.25: an integer in hundredths
    record(0x00BD, struct.pack("<HHH", 1, 3, 1) + rk_int(45418) + struct.pack("<H", 3) +
           struct.pack("<I", 0x3FE00000) + struct.pack("<H", 4)),  # a date, 0.5 as a cut double
    chart,
    formula(2, 0, number(13512345678)),
    formula(2, 1, b"\0\0\0\0\0\0\xFF\xFF"),
    record(0x04BC, b"\0" * 8),  # a shared formula between the formula and its string
    continued(0x0207, b"", string_pieces(formula_string)[:2]),
    formula(2, 2, b"\x01\0\x01\0\0\0\xFF\xFF"),  # True
    formula(2, 3, b"\x02\0\x07\0\0\0\xFF\xFF"),  # an error
    cell(0x0205, 3, 0, 0, b"\x00\x00"),  # False
    cell(0x0205, 3, 1, 0, b"\x07\x01"),  # an error
    continued(0x0204, struct.pack("<HHH", 3, 2, 0), string_pieces(label)[:2]),
    cell(0x0203, 4, 0, 2, number(45418.4375)),
    cell(0x0201, 5, 5, 0, b""),  # a blank cell with a format is no text
])
second = cell(0x0203, 0, 0, 0, number(13212345678))
put("long.xls", compound_file(biff_workbook([first, second], strings, formats=[(164, "yyyy/mm/dd hh:mm")],
                                            xfs=(0, 14, 164, 2))))
# The same long cells as a common writer saves them.
xls = xlwt.Workbook()
xls.add_sheet("long").write(0, 0, long_chinese)
xls.get_sheet(0).write(0, 1, long_latin)
xls.save(path("long-xlwt.xls"))


# An Excel 95 workbook (BIFF5, stream "Book"): texts in the code page its CODEPAGE record names.
def biff5_workbook(cells, codepage=936):
    bof = lambda kind: record(0x0809, struct.pack("<HHHH", 0x0500, kind, 0, 1995))
    code = "yyyy-mm-dd".encode()
    globals_ = bof(0x0005) + (record(0x0042, struct.pack("<H", codepage)) if codepage else b"") + \
        record(0x041E, struct.pack("<HB", 164, len(code)) + code) + \
        record(0x00E0, struct.pack("<HH", 0, 0) + b"\0" * 12) + record(0x00E0, struct.pack("<HH", 0, 164) + b"\0" * 12)
    at = len(globals_)
    globals_ += record(0x0085, struct.pack("<IBBB", 0, 0, 0, 2) + b"S1") + record(0x000A, b"")
    globals_ = bytearray(globals_)
    struct.pack_into("<I", globals_, at + 4, len(globals_))
    return bytes(globals_) + bof(0x0010) + cells + record(0x000A, b"")


gbk = lambda text: struct.pack("<H", len(text.encode("gbk"))) + text.encode("gbk")
put("excel95.xls", compound_file(biff5_workbook(b"".join([
    cell(0x0204, 0, 0, 0, gbk("张三 13912345678")),
    cell(0x0203, 0, 1, 1, number(45418)),
    formula(1, 0, b"\0\0\0\0\0\0\xFF\xFF"),
    record(0x0207, gbk("李四 13812345678")),
])), "Book"))


# Number formats: the same cells through openpyxl and xlwt (column A, one a row), and a BIFF8 book
# whose own formats are numbered from 50 (as one spreadsheet program numbers them), beside cells
# in built-in formats it does not define.
FORMATTED = [(123, "00000"), (3000, '"¥"#,##0.00'), (0.256, "0.00%"), (1234567.891, "#,##0.00"),
             (45418, 'yyyy"年"m"月"d"日"'), (0.520833333333333, "h:mm"), (45418, 'm"月"d"日"'),
             (12345, "0.00E+00"), (12, '"第"0"期"'), (3.25, '0.0"元"'), (-1234.5, "#,##0.00;[Red]-#,##0.00"),
             (-5, "[Red]0"), (0.1 + 0.2, "General"), ("张三", '"客户："@')]
book = openpyxl.Workbook()
for row, (value, code) in enumerate(FORMATTED, start=1):
    book.active.cell(row, 1, value).number_format = code
book.active.cell(len(FORMATTED) + 1, 1, 45418.5).number_format = "m/d/yy h:mm"  # built-in 22, not written out
book.active["B1"] = 13912345678
book.save(path("formats.xlsx"))
xls = xlwt.Workbook()
for row, (value, code) in enumerate(FORMATTED):
    xls_sheet = xls.get_sheet(0) if row else xls.add_sheet("formats")
    xls_sheet.write(row, 0, value, xlwt.easyxf(num_format_str=code))
xls.save(path("formats.xls"))
number_cells = [cell(0x0203, row, 0, xf, number(value)) for row, (xf, value) in
                enumerate([(1, 100020), (2, 3000), (3, 123), (4, 45418.5), (5, 45418), (6, 0.5), (7, -5)])]
put("own-formats.xls", compound_file(biff_workbook(
    [b"".join(number_cells) + cell(0x00FD, 7, 0, 8, struct.pack("<I", 0))], [("A1", 0, 0)],
    formats=[(50, "000000"), (51, '"¥"#,##0.00'), (52, "00000"), (164, "[Red]0"), (53, '"No."@')],
    xfs=(0, 50, 51, 52, 22, 14, 20, 164, 53))))

# Excel 95 books: one that names no code page (the system's, GBK); one in code page 1252 whose
# text goes on in a continuation (BIFF5 has no flags byte there).
put("excel95-no-codepage.xls", compound_file(biff5_workbook(cell(0x0204, 0, 0, 0, gbk("张三 13912345678")), None), "Book"))
latin = "café " + "x" * 9000 + " 13812345678"
put("excel95-1252.xls", compound_file(biff5_workbook(
    continued(0x0204, struct.pack("<HHHH", 0, 0, 0, len(latin)), [("bytes", latin.encode("latin-1"))]), 1252), "Book"))

# One of each form a record takes, each alone: a shared string with formatting runs only, one
# with a phonetic extension only; a negative RK integer, an RK number in hundredths (1.5 / 100);
# a TRUE cell.
forms = b"".join([
    *(cell(0x00FD, 0, col, 0, struct.pack("<I", col)) for col in range(3)),
    cell(0x027E, 1, 0, 0, struct.pack("<I", (-5 << 2 | 2) & 0xFFFFFFFF)),
    cell(0x027E, 1, 1, 0, struct.pack("<I", struct.unpack("<Q", number(1.5))[0] >> 32 | 1)),
    cell(0x0205, 1, 2, 0, b"\x01\x00"),
])
put("forms.xls", compound_file(biff_workbook([forms], [("13912345678", 2, 0), ("13812345678", 0, 6),
                                                     ("13712345678", 0, 0)])))
# An encrypted workbook (FILEPASS, RC4): its cells are no text.
put("encrypted.xls", compound_file(biff_workbook([cell(0x0203, 0, 0, 0, number(13912345678))], [],
                                                 extra=record(0x002F, struct.pack("<HHH", 1, 1, 1) + b"\0" * 48))))
# One cell more than a workbook holds (256 numbers a row), and a cell one character longer than a
# cell holds.
row_of = lambda row, cells: record(0x00BD, struct.pack("<HH", row, 0) + (struct.pack("<H", 0) + rk_int(1)) * cells +
                                   struct.pack("<H", cells - 1))
put("4000001-cells.xls", compound_file(biff_workbook([b"".join(row_of(r, 256) for r in range(15625)) +
                                                      cell(0x027E, 15625, 0, 0, rk_int(1))], []), shift=12))
put("32768-characters.xls", compound_file(biff_workbook([cell(0x00FD, 0, 0, 0, struct.pack("<I", 0))],
                                                        [("1" * 32768, 0, 0)])))
