"""A project for the draw-all-directions command, written independently of the plug-in: the
project store (sqlite3, from the maker's schema), one layout drawing with its symbols and the
installation's four mark drawings (ezdxf), and a reader of what the command drew.

    direction_project.py make FOLDER SCHEMA COUNT
        FOLDER/PRJ: a project whose plan holds COUNT terminals, all on FOLDER/PRJ/DWG/LAYOUT/
        LAYOUT_P01.dwg: NT1 (one terminal, default wire code N, tube code T), DL1 (one
        terminal that takes no direction, its WIREDIRECTION1 holding "T"), terminal block TB1
        with terminals 1 and 2 (wire codes L and R), and components C1, C2, ... of five
        terminals each (the last one takes what is left; wire codes T, B, L, R, T, no tube).
        Symbol i stands at x = 40 (i mod 40), y = 40 (i div 40); the plan's pin offsets are
        (5 (p - 1), 0, 0). C1 carries 3D pin offsets (1, 2 p, 0) under ZELKO_3D_PIN_OFS, C2 the
        attribute REVERSE "1" (mirrored; its 3D marks go to the back side).
        FOLDER/zelko/SUPPORT: the mark drawings.
    direction_project.py read FILE [positions]
        one line per direction mark and label on "WARNING", sorted:
        "<block or MTEXT> <symbol NAME> <pin> <rotation in degrees> [<contents> fill=<colour>]"
        (with "positions", a mark's insertion point follows as "@x,y,z"),
        then "ATTR <symbol> <tag>=<text>" for the direction attributes of NT1, DL1 and TB1.
    direction_project.py attrs FILE SYMBOL...
        "<symbol> <tag>=<text> [<terminal>/<connector>]" for every direction attribute of
        the named symbols, in their order (the bracket when the attribute has binding data).

Run with the system's /usr/bin/python3 (python3-ezdxf).
"""

import os
import sqlite3
import sys

import ezdxf

SYMBOL_APP = "ZELKO_SYMBOL"
MARKS = ("WIREDIRECTION", "TUBEDIRECTION", "WIREDIRECTIONN", "TUBEDIRECTIONN")


def new_project(folder, schema):
    """FOLDER/PRJ with its store (the maker's schema, data version 25.00, panel P1 and its
    layout drawing LAYOUT/LAYOUT_P01.dwg) and the installation's support folder with the four
    mark drawings. Returns the layout folder and the open store."""
    project = os.path.join(folder, "PRJ")
    layout = os.path.join(project, "DWG", "LAYOUT")
    support = os.path.join(folder, "zelko", "SUPPORT")
    for path in (layout, os.path.join(project, "FT_OUTPUT"), support):
        os.makedirs(path, exist_ok=True)
    db = sqlite3.connect(os.path.join(project, "ZELKOPRJ.sqlite"))
    with open(schema, encoding="utf-8") as f:
        db.executescript(f.read())
    db.execute("INSERT INTO project VALUES ('data_version', '25.00')")
    db.execute("INSERT INTO panel (id, seq, panel_no, name, kind, row_id, row_seq) "
               "VALUES (1, 1, 'P1', 'P01', 0, NULL, 0)")
    db.execute("INSERT INTO drawing (path, kind, panel_no, flags) "
               "VALUES ('LAYOUT/LAYOUT_P01.dwg', 2, 'P1', 64)")
    for name in MARKS:
        mark = ezdxf.new("R2010")
        mark.modelspace().add_line((0, 0), (0, 5))
        mark.saveas(os.path.join(support, name + ".dxf"))
    return layout, db


def new_layout(width, height):
    """A drawing with the symbol blocks BANSYM (type BAN) and TERMSYM (type TERM), each a
    WIDTH x HEIGHT rectangle."""
    doc = ezdxf.new("R2010")
    doc.appids.new(SYMBOL_APP)
    for name, kind in (("BANSYM", "BAN"), ("TERMSYM", "TERM")):
        block = doc.blocks.new(name)
        block.add_lwpolyline([(0, 0), (width, 0), (width, height), (0, height)], close=True)
        doc.block_records.get(name).set_xdata(SYMBOL_APP, [(1000, kind)])
    return doc


def add_terminal(db, terminal_list, tag, number, pin, wire, tube=None, connector="",
                 offset=(0.0, 0.0), conventional=True, wire_text=None, tube_text=None):
    """One record of the component list (1) or the terminal-block list (2) of panel P1, unit U1,
    drawing LAYOUT_P01, front face: the default wire and tube code, their texts (the codes
    unless given), the default pin and its offset; without a terminal kind when not
    `conventional` (a direction-less terminal)."""
    db.execute(
        "INSERT INTO terminal (list, revision, owner_id, panel_no, drawing, tag, "
        "terminal_no, connector, unit, pin, pin_x, pin_y, wire_dir, tube_dir, "
        "wire_code, tube_code, terminal_kind, face) VALUES "
        "(?, 0, 1, 'P1', 'LAYOUT_P01', ?, ?, ?, 'U1', ?, ?, ?, ?, ?, ?, ?, ?, '表面')",
        (terminal_list, tag, number, connector, pin, offset[0], offset[1],
         wire if wire_text is None else wire_text, tube if tube_text is None else tube_text,
         wire, tube, "CONV" if conventional else None))


def components(count):
    """(tag, kind, terminal numbers, wire codes, tube codes, direction-less) of the plan."""
    parts = [("NT1", "BAN", ["1"], ["N"], ["T"], False),
             ("DL1", "BAN", ["1"], ["B"], [None], True),
             ("TB1", "TERM", ["1", "2"], ["L", "R"], [None, None], False)]
    left = count - 4
    k = 1
    while left > 0:
        n = min(5, left)
        parts.append(("C%d" % k, "BAN", [str(p) for p in range(1, n + 1)],
                      ["TBLRT"[p] for p in range(n)], [None] * n, False))
        left -= n
        k += 1
    return parts


def make(folder, schema, count):
    layout, db = new_project(folder, schema)

    doc = new_layout(30, 10)
    msp = doc.modelspace()
    for i, (tag, kind, pins, wires, tubes, less) in enumerate(components(count)):
        x, y = (i % 40) * 40.0, (i // 40) * 40.0
        ref = msp.add_blockref("TERMSYM" if kind == "TERM" else "BANSYM", (x, y))
        attributes = [("NAME", tag), ("INST_NO", "U1"), ("BAN_NO", "P1")]
        attributes += [("PIN%d" % (p + 1), pin) for p, pin in enumerate(pins)]
        if less:
            attributes.append(("WIREDIRECTION1", "T"))
        if tag == "C2":
            attributes.append(("REVERSE", "1"))
        for tag_, text in attributes:
            ref.add_attrib(tag_, text, (x, y - 2)).dxf.height = 1
        if tag == "C1":
            doc.appids.new("ZELKO_3D_PIN_OFS")
            offsets = []
            for p in range(1, len(pins) + 1):
                offsets += [(1070, p), (1010, (1, 2 * p, 0))]
            ref.set_xdata("ZELKO_3D_PIN_OFS", offsets)
        for p, pin in enumerate(pins):
            add_terminal(db, 2 if kind == "TERM" else 1, tag, pin, p + 1, wires[p], tubes[p],
                         offset=(5.0 * p, 0), conventional=not less)
    doc.saveas(os.path.join(layout, "LAYOUT_P01.dwg"))
    db.commit()
    db.close()



def symbol_names(doc):
    names = {}
    for ref in doc.modelspace().query("INSERT"):
        for attrib in ref.attribs:
            if attrib.dxf.tag == "NAME":
                names[ref.dxf.handle.upper()] = attrib.dxf.text
    return names



def mark_data(entity, names):
    """(symbol, pin index) of a mark or label: what its wire or tube mark data names (the
    symbol by `names`, "?" for a handle it lacks); None without mark data."""
    for app in ("ORVAZelko_WpDir", "ORVAZelko_WpDirTube"):
        if entity.has_xdata(app):
            data = entity.get_xdata(app)
            return names.get(str(data[0].value).upper(), "?"), data[1].value
    return None

def read(path, positions=False):
    doc = ezdxf.readfile(path)
    names = symbol_names(doc)
    lines = []
    for entity in doc.modelspace():
        if entity.dxf.layer != "WARNING":
            continue
        owner, pin = mark_data(entity, names) or ("?", 0)
        if entity.dxftype() == "INSERT":
            line = "%s %s %d %d" % (entity.dxf.name, owner, pin, round(entity.dxf.rotation) % 360)
            if positions:
                line += " @%g,%g,%g" % tuple(round(v, 6) + 0 for v in entity.dxf.insert)
            lines.append(line)
        else:
            lines.append("MTEXT %s %d %d %s fill=%s" % (
                owner, pin, round(entity.get_rotation()) % 360, entity.text,
                entity.dxf.get("bg_fill_color", "-")))
    for line in sorted(lines):
        print(line)
    for ref in doc.modelspace().query("INSERT"):
        name = names.get(ref.dxf.handle.upper())
        if name in ("NT1", "DL1", "TB1"):
            for attrib in ref.attribs:
                if "DIRECTION" in attrib.dxf.tag:
                    print("ATTR %s %s=%s" % (name, attrib.dxf.tag, attrib.dxf.text))


def attrs(path, wanted):
    doc = ezdxf.readfile(path)
    names = symbol_names(doc)
    for ref in doc.modelspace().query("INSERT"):
        name = names.get(ref.dxf.handle.upper())
        if name not in wanted:
            continue
        for attrib in ref.attribs:
            if "DIRECTION" not in attrib.dxf.tag:
                continue
            line = "%s %s=%s" % (name, attrib.dxf.tag, attrib.dxf.text)
            if attrib.has_xdata("ZELKOWP2_TANSHIBANGOU"):
                connector = ""
                if attrib.has_xdata("ZELKOWP2_CN_NAME"):
                    connector = attrib.get_xdata("ZELKOWP2_CN_NAME")[0].value
                line += " [%s/%s]" % (attrib.get_xdata("ZELKOWP2_TANSHIBANGOU")[0].value,
                                      connector)
            print(line)


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(sys.argv[2], sys.argv[3], int(sys.argv[4]))
    elif sys.argv[1] == "attrs":
        attrs(sys.argv[2], sys.argv[3:])
    else:
        read(sys.argv[2], len(sys.argv) > 3 and sys.argv[3] == "positions")
