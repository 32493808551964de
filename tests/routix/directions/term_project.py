"""A project for the terminal-block and change-all direction commands, written independently of
the plug-in: the project store (sqlite3, from the maker's schema), one layout drawing with its
symbols and marks, and the installation's four mark drawings (ezdxf); and a reader of what the
commands left in the drawing.

    term_project.py make FOLDER SCHEMA
        FOLDER/PRJ/DWG/LAYOUT/LAYOUT_P01.dwg holds, each symbol a 10 x 10 block:
        - TB2: three terminal symbols (PIN1 "1", "2", "3") at (0,0), (20,0), (40,0), rotation 0;
          the plan's wire codes L, L, R, no tube code, pin offset (2, 3). Each carries a wire
          mark of the last run on "WARNING" (and terminal 2 a label), and terminal 2 the stored
          WIREDIRECTION1 "B" (bound to terminal 2).
        - TB3: one terminal symbol at (100,0), rotation 90 degrees.
        - TB4: one terminal symbol at (0,100), wire code L, stored WIREDIRECTION1 "B".
        - C1: a component of terminals 1 and 2 at (0,200) (wire codes T, B; offsets (2, 3) and
          (7, 3)), with a wire mark on each pin; C1(TO): its "(TO)" side (OP_NAME "(TO)") at
          (100,200), terminals 1 and 2 of default pins 1 and 2 (offsets (2, 3) and (7, 3)).
        The layer "WARNING" exists, "PINOFF" does not.
        FOLDER/zelko/SUPPORT: the mark drawings.
    term_project.py read FILE
        "MARK <block> <symbol> <pin> <rotation> @x,y" for every mark on "WARNING" and
        "LABEL <symbol> <pin> <text>" for every label, sorted; then for every symbol in
        drawing order "ATTR <symbol>@x,y <tag>=<text> layer=<layer>[ bound=<terminal>/<connector>]"
        for its direction attributes; then "LAYER PINOFF" when that layer exists.

Run with the system's /usr/bin/python3 (python3-ezdxf).
"""

import os
import sys

import ezdxf

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import direction_project  # noqa: E402  (the project store, the symbol blocks, the mark drawings)

# (NAME, OP_NAME, kind, (x, y), rotation, [(terminal, default pin, wire code, offset x)],
#  stored wire text of pin 1 or None, marks of the last run: pins)
SYMBOLS = [
    ("TB2", "", "TERM", (0, 0), 0, [("1", 1, "L", 2)], None, [1]),
    ("TB2", "", "TERM", (20, 0), 0, [("2", 1, "L", 2)], "B", [1]),
    ("TB2", "", "TERM", (40, 0), 0, [("3", 1, "R", 2)], None, [1]),
    ("TB3", "", "TERM", (100, 0), 90, [("1", 1, "L", 2)], None, []),
    ("TB4", "", "TERM", (0, 100), 0, [("1", 1, "L", 2)], "B", []),
    ("C1", "", "BAN", (0, 200), 0, [("1", 1, "T", 2), ("2", 2, "B", 7)], None, [1, 2]),
    ("C1", "(TO)", "BAN", (100, 200), 0, [("1", 1, "T", 2), ("2", 2, "B", 7)], None, []),
]


def make(folder, schema):
    layout, db = direction_project.new_project(folder, schema)

    doc = direction_project.new_layout(10, 10)
    for app in ("ORVAZelko_WpDir", "DWG_CHECK", "ZELKOWP2_TANSHIBANGOU", "ZELKOWP2_CN_NAME"):
        doc.appids.new(app)
    doc.layers.add("WARNING")
    msp = doc.modelspace()
    doc.blocks.new("WIREDIRECTION").add_line((0, 0), (0, 5))
    for name, op, kind, (x, y), rotation, terminals, stored, marks in SYMBOLS:
        ref = msp.add_blockref("TERMSYM" if kind == "TERM" else "BANSYM", (x, y),
                               dxfattribs={"rotation": rotation})
        attributes = [("NAME", name), ("INST_NO", "U1"), ("BAN_NO", "P1")]
        if op:
            attributes.append(("OP_NAME", op))
        if kind == "TERM":
            attributes.append(("PIN1", terminals[0][0]))
        for tag, text in attributes:
            ref.add_attrib(tag, text, (x, y)).dxf.height = 1
        if stored is not None:
            attrib = ref.add_attrib("WIREDIRECTION1", stored, (x, y))
            attrib.set_xdata("ZELKOWP2_TANSHIBANGOU", [(1000, terminals[0][0])])
            attrib.set_xdata("ZELKOWP2_CN_NAME", [(1000, "")])
        for pin in marks:
            mark = msp.add_blockref("WIREDIRECTION", (x + 1, y + 1),
                                    dxfattribs={"layer": "WARNING"})
            mark.set_xdata("DWG_CHECK", [(1000, "")])
            mark.set_xdata("ORVAZelko_WpDir", [(1005, ref.dxf.handle), (1070, pin)])
            if kind == "TERM" and stored is not None:
                label = msp.add_mtext(terminals[0][0], dxfattribs={"layer": "WARNING",
                                                                  "insert": (x, y + 12)})
                label.set_xdata("ORVAZelko_WpDir", [(1005, ref.dxf.handle), (1070, pin)])
        for terminal, pin, wire, offset in terminals:
            direction_project.add_terminal(db, 2 if kind == "TERM" else 1, name + op, terminal,
                                           pin, wire, offset=(offset, 3))
    doc.saveas(os.path.join(layout, "LAYOUT_P01.dwg"))
    db.commit()
    db.close()



def symbol_names(doc):
    names = {}
    for ref in doc.modelspace().query("INSERT"):
        tags = {a.dxf.tag: a.dxf.text for a in ref.attribs}
        if "NAME" in tags:
            x, y = ref.dxf.insert[0], ref.dxf.insert[1]
            names[ref.dxf.handle.upper()] = "%s%s@%g,%g" % (tags["NAME"], tags.get("OP_NAME", ""),
                                                            x, y)
    return names


def first_string(entity, app):
    if not entity.has_xdata(app):
        return None
    return entity.get_xdata(app)[0].value


def read(path):
    doc = ezdxf.readfile(path)
    names = symbol_names(doc)
    lines = []
    for entity in doc.modelspace():
        if entity.dxf.layer != "WARNING":
            continue
        owner, pin = direction_project.mark_data(entity, names) or ("?", 0)
        if entity.dxftype() == "INSERT":
            x, y = (round(v, 6) + 0 for v in (entity.dxf.insert.x, entity.dxf.insert.y))
            lines.append("MARK %s %s %d %d @%g,%g" % (entity.dxf.name, owner, pin,
                                                      round(entity.dxf.rotation) % 360, x, y))
        else:
            lines.append("LABEL %s %d %s" % (owner, pin, entity.text))
    for line in sorted(lines):
        print(line)
    for ref in doc.modelspace().query("INSERT"):
        name = names.get(ref.dxf.handle.upper())
        if name is None:
            continue
        for attrib in ref.attribs:
            if "DIRECTION" not in attrib.dxf.tag:
                continue
            line = "ATTR %s %s=%s layer=%s" % (name, attrib.dxf.tag, attrib.dxf.text,
                                               attrib.dxf.layer)
            terminal = first_string(attrib, "ZELKOWP2_TANSHIBANGOU")
            if terminal is not None:
                line += " bound=%s/%s" % (terminal, first_string(attrib, "ZELKOWP2_CN_NAME"))
            print(line)
    if "PINOFF" in doc.layers:
        print("LAYER PINOFF")


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(sys.argv[2], sys.argv[3])
    else:
        read(sys.argv[2])
