"""The independent side of the development-drawing tests: Debian's ezdxf writes the panel
drawings that entry point 1000 places and reads back the development drawings it saves.

    development_drawings.py panels PROJECT
        replaces the drawings of the sample project's panels P4 and P5 (row ROW2) in its store
        by four drawings written here, DWG/PANEL/A1.dwg and A2.dwg (P4), B1.dwg and B2.dwg (P5):
        each holds a frame from (500, 300) to (500 + width, 300 + 200) with the widths 300,
        400, 500, 600, two plates "PL1" and "PL2" whose outlines touch, and the symbols
        "ON1" (BAN, on PL1), "EDGE" (TERM, overlapping both plates), "BOX" (PNL, on PL2, with a
        BAN_NO of "OLD"), "OTHER" (type "XYZ") and, in A1, a point, a hatch and an ellipse
    development_drawings.py broken PROJECT
        lists a fifth drawing of P4 after A2, "DWG/PANEL/BROKEN.dwg", that cannot be read
    development_drawings.py bench PROJECT
        puts the sample project's panels (written with --panels 10) into one row ROW1 and gives
        each panel three drawings of 300 symbols (components with six terminals on two
        plates), DWG/PANEL/BENCH_<panel>_<n>.dwg, for the benchmark
    development_drawings.py read FILE
        prints the model space of a saved drawing: "INSERT name x y" for every block
        reference with "  TAG=TEXT" lines of its attributes (and, for an anonymous block, the
        names and attributes of the references in its definition), and "ENTITY type layer
        linetype lineweight colour" for every other entity

Run with the system's /usr/bin/python3, which has python3-ezdxf.
"""

import os
import sqlite3
import sys

import ezdxf

PLATE_APP = "ORVAZelko_WpPlate"
SYMBOL_APP = "ZELKO_SYMBOL"
WIDTHS = {"A1": 300, "A2": 400, "B1": 500, "B2": 600}


def symbol_block(doc, name, kind):
    block = doc.blocks.new(name)
    block.add_lwpolyline([(-5, -5), (5, -5), (5, 5), (-5, 5)], close=True)
    doc.block_records.get(name).set_xdata(SYMBOL_APP, [(1000, kind)])
    return block


def panel_drawing(path, width, odd_kinds):
    doc = ezdxf.new("R2010")
    for app in (PLATE_APP, SYMBOL_APP):
        doc.appids.new(app)
    doc.layers.add("PARTS", color=3, linetype="DASHED")
    msp = doc.modelspace()
    x0, y0 = 500, 300
    msp.add_lwpolyline([(x0, y0), (x0 + width, y0), (x0 + width, y0 + 200), (x0, y0 + 200)],
                       close=True)
    half = x0 + width / 2
    for name, a, b in (("PL1", x0 + 10, half), ("PL2", half, x0 + width - 10)):
        outline = msp.add_lwpolyline([(a, y0 + 10), (b, y0 + 10), (b, y0 + 190), (a, y0 + 190)],
                                     close=True)
        outline.set_xdata(PLATE_APP, [(1000, name)])
    for kind in ("BAN", "TERM", "PNL", "XYZ"):
        symbol_block(doc, "S_" + kind, kind)
    msp.add_blockref("S_BAN", (x0 + 40, y0 + 100), dxfattribs={"layer": "PARTS"}).add_attrib(
        "NAME", "ON1", (x0 + 40, y0 + 100))
    msp.add_blockref("S_TERM", (half, y0 + 100)).add_attrib("NAME", "EDGE", (half, y0 + 100))
    box = msp.add_blockref("S_PNL", (x0 + width - 40, y0 + 100))
    box.add_attrib("NAME", "BOX", (x0 + width - 40, y0 + 100))
    box.add_attrib("BAN_NO", "OLD", (x0 + width - 40, y0 + 95))
    msp.add_blockref("S_XYZ", (x0 + 60, y0 + 60)).add_attrib("NAME", "OTHER", (x0 + 60, y0 + 60))
    if odd_kinds:
        msp.add_point((x0 + 150, y0 + 150), dxfattribs={"layer": "PARTS", "color": 1})
        hatch = msp.add_hatch(color=5, dxfattribs={"layer": "PARTS"})
        hatch.paths.add_polyline_path([(x0 + 150, y0 + 150), (x0 + 160, y0 + 150),
                                       (x0 + 160, y0 + 160)], is_closed=True)
        msp.add_ellipse((x0 + 155, y0 + 155), major_axis=(8, 0), ratio=0.5,
                        dxfattribs={"layer": "PARTS", "lineweight": 50, "linetype": "DASHED"})
    doc.saveas(path)


def panels(project):
    folder = os.path.join(project, "DWG", "PANEL")
    for name, width in WIDTHS.items():
        panel_drawing(os.path.join(folder, name + ".dwg"), width, name == "A1")
    db = sqlite3.connect(os.path.join(project, "ZELKOPRJ.sqlite"))
    db.execute("DELETE FROM drawing WHERE panel_no IN ('P4', 'P5')")
    for name, panel in (("A1", "P4"), ("A2", "P4"), ("B1", "P5"), ("B2", "P5")):
        db.execute("INSERT INTO drawing (path, kind, panel_no, flags) VALUES (?, 2, ?, 64)",
                   ("PANEL/%s.dwg" % name, panel))
    db.commit()


def broken(project):
    with open(os.path.join(project, "DWG", "PANEL", "BROKEN.dwg"), "w") as f:
        f.write("0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nnot a number\n")
    db = sqlite3.connect(os.path.join(project, "ZELKOPRJ.sqlite"))
    rows = db.execute("SELECT path FROM drawing WHERE panel_no = 'P5'").fetchall()
    db.execute("DELETE FROM drawing WHERE panel_no = 'P5'")
    db.execute("INSERT INTO drawing (path, kind, panel_no, flags) VALUES (?, 2, 'P4', 64)",
               ("PANEL/BROKEN.dwg",))
    for (path,) in rows:
        db.execute("INSERT INTO drawing (path, kind, panel_no, flags) VALUES (?, 2, 'P5', 64)",
                   (path,))
    db.commit()


def bench(project, drawings=3, symbols=300):
    db = sqlite3.connect(os.path.join(project, "ZELKOPRJ.sqlite"))
    panels = [row[0] for row in db.execute("SELECT panel_no FROM panel ORDER BY seq")]
    db.execute("UPDATE panel SET row_id = 1, row_seq = seq")
    db.execute("DELETE FROM panel_row WHERE id <> 1")
    db.execute("DELETE FROM drawing WHERE kind = 2")
    for panel in panels:
        for n in range(1, drawings + 1):
            name = "BENCH_%s_%d" % (panel, n)
            doc = ezdxf.new("R2010")
            for app in (PLATE_APP, SYMBOL_APP):
                doc.appids.new(app)
            msp = doc.modelspace()
            for k, (a, b) in enumerate(((0, 1000), (1000, 2000))):
                outline = msp.add_lwpolyline([(a, 0), (b, 0), (b, 1000), (a, 1000)], close=True)
                outline.set_xdata(PLATE_APP, [(1000, "PL%d" % (k + 1))])
            symbol_block(doc, "CB", "BAN")
            for i in range(symbols):
                x, y = 20 + (i % 30) * 65, 20 + (i // 30) * 95
                ref = msp.add_blockref("CB", (x, y))
                ref.add_attrib("NAME", "CB%d" % i, (x, y))
                for pin in range(1, 7):
                    ref.add_attrib("PIN%d" % pin, str(pin), (x, y - pin))
            doc.saveas(os.path.join(project, "DWG", "PANEL", name + ".dwg"))
            db.execute("INSERT INTO drawing (path, kind, panel_no, flags) VALUES (?, 2, ?, 64)",
                       ("PANEL/%s.dwg" % name, panel))
    db.commit()


def attribs(ref, indent):
    for attrib in ref.attribs:
        print("%s%s=%s" % (indent, attrib.dxf.tag, attrib.dxf.text))


def read(path):
    doc = ezdxf.readfile(path)
    for entity in doc.modelspace():
        if entity.dxftype() == "INSERT":
            x, y, _ = entity.dxf.insert
            print("INSERT %s %.3f %.3f" % (entity.dxf.name, x, y))
            attribs(entity, "  ")
            if entity.dxf.name.startswith("*"):
                for inner in doc.blocks.get(entity.dxf.name):
                    if inner.dxftype() == "INSERT":
                        print("  NESTED %s" % inner.dxf.name)
                        attribs(inner, "    ")
        else:
            print("ENTITY %s %s %s %s %s" % (entity.dxftype(), entity.dxf.layer,
                                             entity.dxf.get("linetype", "BYLAYER"),
                                             entity.dxf.get("lineweight", -1),
                                             entity.dxf.get("color", 256)))


if __name__ == "__main__":
    {"panels": panels, "broken": broken, "bench": bench, "read": read}[sys.argv[1]](sys.argv[2])
