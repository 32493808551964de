#!/usr/bin/python3
"""Makes the sample template of the wire-processing table (samples/processing-table.xlsx).

KABLOS fills the worksheet "Sheet1" of a template page by page through workbook-level names
that each stand for one cell: the page header cells, and one column cell per column of the two
blocks of ten rows (names ending in 1 and 2); the rows of a block are the ten cells below its
column cell. This tool lays out one A4 page with all of those names, so that the tests, the
benchmark and the main job have a template that does not depend on a user's own.

Usage: /usr/bin/python3 make_template.py OUTPUT.xlsx [OUTPUT.xls]
(needs Debian's python3-openpyxl; the .xls copy, the form older templates come in, is made from
the .xlsx by LibreOffice in headless mode with a private profile)
"""

import datetime
import os
import shutil
import subprocess
import sys
import tempfile

from openpyxl import Workbook
from openpyxl.styles import Alignment, Border, Font, Side
from openpyxl.workbook.defined_name import DefinedName

FONT = "IPAGothic"
THIN = Side(style="thin")
BOX = Border(left=THIN, right=THIN, top=THIN, bottom=THIN)

# Column cells of a block: name stem, template heading, column letter, width. Columns A, D and G
# also hold the labels of the page header (HEADER), so they are as wide as the longest label in
# them: "装置ユニット" and "電線サイズ" in A, "回路区分" in D, "盤Ｎｏ" and "線種類" in G.
COLUMNS = [
    ("NO", "No", "A", 10),
    ("TLEN", "長さ", "B", 8),
    ("FROMADR", "From\n配置アドレス", "C", 15),
    ("FROMTAN", "端子", "D", 8.5),
    ("SENBAN", "線番", "E", 10),
    ("TOADR", "To\n配置アドレス", "F", 15),
    ("TOTAN", "端子", "G", 7),
    ("FROMAMP", "From\n端末種別", "H", 11),
    ("TOAMP", "To\n端末種別", "I", 11),
    ("CAP", "端末色", "J", 7),
]

# Page header: name, label, label cell, value cell.
HEADER = [
    ("TITELNAME", "製造番号", "A3", "B3"),
    ("SNO", "図番", "D3", "E3"),
    ("BNO", "盤Ｎｏ", "G3", "H3"),
    ("UNITNO", "装置ユニット", "A4", "B4"),
    ("KUBUN", "回路区分", "D4", "E4"),
    ("WPI", "線種類", "G4", "H4"),
    ("WSIZE", "電線サイズ", "A5", "B5"),
    ("WCOLOR", "電線色", "D5", "E5"),
]

BLOCK_HEADING_ROWS = {1: 7, 2: 19}


def main(output):
    book = Workbook()
    sheet = book.active
    sheet.title = "Sheet1"

    def name(defined, cell):
        column = "".join(ch for ch in cell if ch.isalpha())
        row = "".join(ch for ch in cell if ch.isdigit())
        book.defined_names.append(
            DefinedName(defined, attr_text=f"Sheet1!${column}${row}"))

    sheet["A1"] = "電線処理表"
    sheet["A1"].font = Font(name=FONT, size=16, bold=True)
    sheet["I1"].font = Font(name=FONT, size=10)
    name("PRINTPAGE", "I1")
    sheet["I2"].font = Font(name=FONT, size=10)
    sheet["I2"].number_format = "yyyy/mm/dd"
    sheet["I2"].alignment = Alignment(horizontal="left")
    name("PRINTDATE", "I2")

    for defined, label, label_cell, value_cell in HEADER:
        sheet[label_cell] = label
        sheet[label_cell].font = Font(name=FONT, size=9, bold=True)
        sheet[value_cell].font = Font(name=FONT, size=10)
        sheet[value_cell].border = Border(bottom=THIN)
        name(defined, value_cell)

    for block, heading_row in BLOCK_HEADING_ROWS.items():
        sheet.row_dimensions[heading_row].height = 42
        for stem, heading, column, width in COLUMNS:
            cell = sheet[f"{column}{heading_row}"]
            cell.value = heading
            cell.font = Font(name=FONT, size=9, bold=True)
            cell.alignment = Alignment(horizontal="center", vertical="center", wrap_text=True)
            cell.border = BOX
            name(f"{stem}{block}", f"{column}{heading_row}")
            sheet.column_dimensions[column].width = width
            for row in range(heading_row + 1, heading_row + 11):
                data = sheet[f"{column}{row}"]
                data.font = Font(name=FONT, size=9)
                data.alignment = Alignment(vertical="center", wrap_text=True)
                data.border = BOX
        for row in range(heading_row + 1, heading_row + 11):
            sheet.row_dimensions[row].height = 26

    sheet.print_area = "A1:J29"
    sheet.page_setup.paperSize = sheet.PAPERSIZE_A4
    sheet.page_setup.orientation = "portrait"
    sheet.page_setup.fitToWidth = 1
    sheet.page_setup.fitToHeight = 1
    sheet.sheet_properties.pageSetUpPr.fitToPage = True
    sheet.print_options.horizontalCentered = True

    fixed = datetime.datetime(2026, 1, 1)
    book.properties.creator = "KABLOS"
    book.properties.created = fixed
    book.properties.modified = fixed
    book.save(output)


def to_xls(source, target):
    with tempfile.TemporaryDirectory() as work:
        profile = "file://" + os.path.join(work, "profile")
        subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless",
                        "--norestore", "--convert-to", "xls", "--outdir", work, source],
                       check=True, stdout=subprocess.DEVNULL)
        made = os.path.join(work, os.path.splitext(os.path.basename(source))[0] + ".xls")
        shutil.move(made, target)


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    main(sys.argv[1])
    if len(sys.argv) == 3:
        to_xls(sys.argv[1], sys.argv[2])
