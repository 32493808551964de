"""A project for the general-component direction dialog (entry points 1009 and 1014) and the
3D plates of the direction marks, written independently of the plug-in with sqlite3 and ezdxf.

    general_project.py make FOLDER SCHEMA
        FOLDER/PRJ with FOLDER/PRJ/DWG/LAYOUT/LAYOUT_P01.dwg and the mark drawings in
        FOLDER/zelko/SUPPORT. Every symbol is of type BAN, unit U1, panel P1; the plan's pin
        offsets are (5 (p - 1), 0, 0). Prints "<tag> <handle>" for every symbol, so scripts
        can select them:
          A1 at (0, 0): terminals 1 and 2, wire codes T and B; it holds
             WIREDIRECTION1 "L" and the unused WIREDIRECTION3 "R", TUBEDIRECTION3 "T", and a
             wire mark of an earlier run names its index 3.
          V1 at (0, 50) and V2 at (50, 50): one terminal 1 on connector CN1 each,
             stored WIREDIRECTION1 "T" and "B".
          N1 at (100, 50): one terminal, default wire code and text N.
        Plates (closed polylines with ORVAZelko_WpPlate): PL1 from (0, 200) to (600, 1000),
        drawn from its lower left corner along +X; PL2 from (1000, 200) to (1800, 800), drawn
        from its lower right corner along +Y (turned by 90 degrees).
          F1 at (100, 300) on PL1: terminals 1, 2, default text T and L.
          B1 at (300, 300) on PL1 with REVERSE "1" (the back side): terminals 1, 2,
             default text T and L.
          T1 at (1400, 500) on PL2: terminals 1, 2, default text T and L.
          R1 at (200, 600) on PL1, rotated by 90 degrees: terminal 1, default text T.
    general_project.py plates FILE
        a drawing of plate outlines for the plate list: PL1 (0, 0)-(600, 800) in the XY plane
        with S0 (panel P9, outside it, first in drawing order) and S1 (panel P1) naming it;
        its back face drawn as an outline of its own, PL1-B (700, 0)-(1300, 800), with S2
        (panel P1); PL3 standing upright, normal (0, -1, 0), 400 by 300 (world X by Z), with
        S3 (panel P2) at (100, 0, 100); PL4 without a symbol.
    general_project.py read FILE [positions]
        as direction_project.py read, with the direction attributes of every symbol.

Run with the system's /usr/bin/python3 (python3-ezdxf).
"""

import os
import sys

import ezdxf

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import direction_project  # noqa: E402  (the mark drawings and the mark reader)

PLATE_APP = "ORVAZelko_WpPlate"

# tag, position, rotation, plate, extra attributes, terminals: (number, connector,
# wire code, wire text)
SYMBOLS = [
    ("A1", (0, 0), 0, None, [("WIREDIRECTION1", "L"), ("WIREDIRECTION3", "R"),
                                    ("TUBEDIRECTION3", "T")],
     [("1", "", "T", "T"), ("2", "", "B", "B")]),
    ("V1", (0, 50), 0, None, [("WIREDIRECTION1", "T")], [("1", "CN1", "L", "L")]),
    ("V2", (50, 50), 0, None, [("WIREDIRECTION1", "B")], [("1", "CN1", "L", "L")]),
    ("N1", (100, 50), 0, None, [], [("1", "", "N", "N")]),
    ("F1", (100, 300), 0, "PL1", [], [("1", "", None, "T"), ("2", "", None, "L")]),
    ("B1", (300, 300), 0, "PL1", [("REVERSE", "1")],
     [("1", "", None, "T"), ("2", "", None, "L")]),
    ("T1", (1400, 500), 0, "PL2", [], [("1", "", None, "T"), ("2", "", None, "L")]),
    ("R1", (200, 600), 90, "PL1", [], [("1", "", None, "T")]),
    ("X9", (150, 50), 0, None, [], []),
    ("XT1", (200, 50), 0, None, [("PIN1", "1")], None),
]


def make(folder, schema):
    layout, db = direction_project.new_project(folder, schema)

    doc = direction_project.new_layout(30, 10)
    doc.appids.new(PLATE_APP)
    msp = doc.modelspace()
    for name, points in (("PL1", [(0, 200), (600, 200), (600, 1000), (0, 1000)]),
                         ("PL2", [(1800, 200), (1800, 800), (1000, 800), (1000, 200)])):
        outline = msp.add_lwpolyline(points, close=True, dxfattribs={"layer": "PLATE"})
        outline.set_xdata(PLATE_APP, [(1000, name)])
    for tag, (x, y), rotation, plate, extra, terminals in SYMBOLS:
        ref = msp.add_blockref("TERMSYM" if terminals is None else "BANSYM", (x, y),
                               dxfattribs={"rotation": rotation})
        print(tag, ref.dxf.handle)
        if tag == "A1":
            # The mark an earlier run drew for index 3.
            if "WIREDIRECTION" not in doc.blocks:
                doc.blocks.new("WIREDIRECTION").add_line((0, 0), (0, 5))
                for app in ("ORVAZelko_WpDir", "DWG_CHECK"):
                    doc.appids.new(app)
            mark = msp.add_blockref("WIREDIRECTION", (10, 0), dxfattribs={"layer": "WARNING",
                                                                          "rotation": 270})
            mark.set_xdata("ORVAZelko_WpDir", [(1005, ref.dxf.handle), (1070, 3)])
            mark.set_xdata("DWG_CHECK", [(1000, "")])
        attributes = [("NAME", tag), ("INST_NO", "U1"), ("BAN_NO", "P1")]
        if plate:
            attributes.append(("WP_PLATENAME", plate))
        for tag_, text in attributes + extra:
            ref.add_attrib(tag_, text, (x, y - 2)).dxf.height = 1
        for p, (number, connector, code, text) in enumerate(terminals or []):
            direction_project.add_terminal(db, 1, tag, number, p + 1, code, connector=connector,
                                           offset=(5.0 * p, 0), wire_text=text)
    doc.saveas(os.path.join(layout, "LAYOUT_P01.dwg"))
    db.commit()
    db.close()



def plates(path):
    doc = ezdxf.new("R2010")
    doc.appids.new(PLATE_APP)
    msp = doc.modelspace()
    outlines = [("PL1", [(0, 0), (600, 0), (600, 800), (0, 800)], (0, 0, 1)),
                ("PL1-B", [(700, 0), (1300, 0), (1300, 800), (700, 800)], (0, 0, 1)),
                ("PL3", [(0, 0), (400, 0), (400, 300), (0, 300)], (0, -1, 0)),
                ("PL4", [(2000, 0), (2100, 0), (2100, 100), (2000, 100)], (0, 0, 1))]
    for name, points, normal in outlines:
        outline = msp.add_lwpolyline(points, close=True, dxfattribs={"extrusion": normal})
        outline.set_xdata(PLATE_APP, [(1000, name)])
    block = doc.blocks.new("SYM")
    block.add_line((0, 0), (10, 0))
    for position, plate, panel in (((5000, 5000, 0), "PL1", "P9"), ((100, 100, 0), "PL1", "P1"),
                                   ((800, 100, 0), "PL1-B", "P1"), ((100, 0, 100), "PL3", "P2")):
        ref = msp.add_blockref("SYM", position)
        for tag, text in (("WP_PLATENAME", plate), ("BAN_NO", panel)):
            ref.add_attrib(tag, text, position).dxf.height = 1
    doc.saveas(path)


def read(path, positions=False):
    doc = ezdxf.readfile(path)
    names = direction_project.symbol_names(doc)
    lines = []
    for entity in doc.modelspace():
        if entity.dxf.layer != "WARNING" or entity.dxftype() != "INSERT":
            continue
        data = direction_project.mark_data(entity, names)
        if data is None:
            continue
        line = "%s %s %d %d" % (entity.dxf.name, data[0], data[1],
                                round(entity.dxf.rotation) % 360)
        if positions:
            line += " @%g,%g,%g" % tuple(round(v, 6) + 0 for v in entity.dxf.insert)
        lines.append(line)
    for line in sorted(lines):
        print(line)
    for ref in doc.modelspace().query("INSERT"):
        name = names.get(ref.dxf.handle.upper())
        if name is None:
            continue
        for attrib in sorted(ref.attribs, key=lambda a: a.dxf.tag):
            if "DIRECTION" in attrib.dxf.tag:
                print("ATTR %s %s=%s" % (name, attrib.dxf.tag, attrib.dxf.text))


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(sys.argv[2], sys.argv[3])
    elif sys.argv[1] == "plates":
        plates(sys.argv[2])
    else:
        read(sys.argv[2], len(sys.argv) > 3 and sys.argv[3] == "positions")
