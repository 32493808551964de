#!/usr/bin/python3
"""Independent look at .xlsx files for the KABLOS printing tests (Debian's python3-openpyxl).

  dump FILE             every worksheet and non-empty cell as openpyxl reads it, one line each:
                        "sheet<TAB>title<TAB>print area" and
                        "cell<TAB>title<TAB>A1<TAB>value<TAB>flags" (value with \\n for line feeds;
                        flags: d date, s shrink-to-fit, w wrap) then "name<TAB>name<TAB>formula".
                        Any warning of openpyxl (a part it had to repair or skip) fails, and so do
                        rows or cells out of order in the worksheet XML, which the spreadsheet
                        would have to repair.
  parts FILE            "name<TAB>sha1" of every part of the package.
  variant SRC DST OP X  a damaged template: OP rename (Sheet1 becomes X) or drop (name X goes).
  shared DST            a small workbook whose texts are shared strings (one in rich-text runs
                        with a phonetic guide) and whose one name stands for Sheet1!$B$2.
"""

import datetime
import hashlib
import re
import sys
import warnings
import zipfile

COLUMN = re.compile(r"([A-Z]+)(\d+)")


def column_number(letters):
    number = 0
    for ch in letters:
        number = number * 26 + ord(ch) - 64
    return number


def check_order(path):
    with zipfile.ZipFile(path) as package:
        for name in package.namelist():
            if not name.startswith("xl/worksheets/sheet"):
                continue
            xml = package.read(name).decode("utf-8")
            last_row = 0
            for row in re.finditer(r"<row [^>]*?r=\"(\d+)\"[^>]*>(.*?)</row>", xml, re.S):
                number = int(row.group(1))
                if number <= last_row:
                    sys.exit(f"{name}: row {number} out of order")
                last_row = number
                last_column = 0
                for cell in re.finditer(r"<c [^>]*?r=\"([A-Z]+)(\d+)\"", row.group(2)):
                    column = column_number(cell.group(1))
                    if column <= last_column or int(cell.group(2)) != number:
                        sys.exit(f"{name}: cell {cell.group(1)}{cell.group(2)} out of order")
                    last_column = column


def dump(path):
    import openpyxl
    warnings.simplefilter("error")
    check_order(path)
    book = openpyxl.load_workbook(path)
    out = []
    for sheet in book.worksheets:
        out.append(f"sheet\t{sheet.title}\t{sheet.print_area}")
        for row in sheet.iter_rows():
            for cell in row:
                if cell.value is None:
                    continue
                value = cell.value
                flags = ""
                if isinstance(value, datetime.datetime):
                    value = value.date().isoformat()
                    flags += "d"
                if cell.alignment.shrink_to_fit:
                    flags += "s"
                if cell.alignment.wrap_text:
                    flags += "w"
                text = str(value).replace("\\", "\\\\").replace("\n", "\\n")
                out.append(f"cell\t{sheet.title}\t{cell.coordinate}\t{text}\t{flags}")
    for defined in book.defined_names.definedName:
        out.append(f"name\t{defined.name}\t{defined.attr_text}")
    sys.stdout.write("\n".join(out) + "\n")


def parts(path):
    with zipfile.ZipFile(path) as package:
        for name in package.namelist():
            print(f"{name}\t{hashlib.sha1(package.read(name)).hexdigest()}")


def variant(source, target, operation, argument):
    import openpyxl
    book = openpyxl.load_workbook(source)
    if operation == "rename":
        book["Sheet1"].title = argument
    elif operation == "drop":
        del book.defined_names[argument]
    elif operation == "local":
        # Every workbook name becomes a name of the first worksheet ("all"), or just one.
        for defined in book.defined_names.definedName:
            if defined.localSheetId is None and argument in ("all", defined.name):
                defined.localSheetId = 0
    else:
        sys.exit("unknown variant " + operation)
    book.save(target)


SHARED_PARTS = {
    "[Content_Types].xml": """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/><Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/><Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/></Types>""",
    "_rels/.rels": """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>""",
    "xl/workbook.xml": """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets><definedNames><definedName name="HEAD">Sheet1!$B$2</definedName></definedNames></workbook>""",
    "xl/_rels/workbook.xml.rels": """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/><Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/></Relationships>""",
    "xl/sharedStrings.xml": """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="2" uniqueCount="2"><si><t>From
配置アドレス</t></si><si><r><t>電線</t></r><r><rPr><b/></rPr><t>処理表</t></r><rPh sb="0" eb="2"><t>デンセン</t></rPh></si></sst>""",
    "xl/styles.xml": """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><fonts count="1"><font><sz val="11"/><name val="IPAGothic"/></font></fonts><fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills><borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders><cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs><cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/></cellXfs><cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles></styleSheet>""",
    "xl/worksheets/sheet1.xml": """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData><row r="2"><c r="B2" t="s"><v>0</v></c><c r="D2" t="s"><v>1</v></c></row><row r="5"><c r="A5"><v>42</v></c></row></sheetData></worksheet>""",
}


def shared(target):
    with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as package:
        for name, text in SHARED_PARTS.items():
            package.writestr(name, text.encode("utf-8"))


if __name__ == "__main__":
    command = sys.argv[1] if len(sys.argv) > 1 else ""
    if command == "dump" and len(sys.argv) == 3:
        dump(sys.argv[2])
    elif command == "parts" and len(sys.argv) == 3:
        parts(sys.argv[2])
    elif command == "variant" and len(sys.argv) == 6:
        variant(*sys.argv[2:6])
    elif command == "shared" and len(sys.argv) == 3:
        shared(sys.argv[2])
    else:
        sys.exit(__doc__)
