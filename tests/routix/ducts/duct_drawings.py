"""The independent side of the duct tests: Debian's ezdxf writes the drawings that entry point
1033 reads and reads back what it drew.

    duct_drawings.py write CASE FILE   writes the drawing of a case (below) to FILE
    duct_drawings.py support FOLDER    writes FOLDER/SUPPORT/CMARK_DUCT.dxf, the junction mark
    duct_drawings.py read FILE         prints the lines and block references of FILE's model
                                       space, one a line, sorted
    duct_drawings.py outlines FILE     prints the closed polylines of FILE's model space with
                                       their layers and the layers' colours
    duct_drawings.py noducts PROJECT   empties the duct table of a project's store
    duct_drawings.py bench FILE COUNT  COUNT ducts in a grid of bars and stems, for the benchmark

Run with the system's /usr/bin/python3, which has python3-ezdxf.
"""

import sys

import ezdxf

GENERATED = "ZELKO_AUTO_GENERATED"
SIZE = "ZELKO_DUCT_SIZE"
JUNCTION = "ZELKO_DUCT"


def new_drawing(duct_layer=True):
    doc = ezdxf.new("R2010")
    for app in (GENERATED, SIZE, JUNCTION):
        doc.appids.new(app)
    if duct_layer:
        doc.layers.add("DCT40", color=40)
    return doc


def duct(msp, x0, y0, x1, y1, layer="DCT40", size=None, order=(0, 1, 2, 3), close=True):
    corners = [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]
    outline = msp.add_lwpolyline([corners[k] for k in order], close=close,
                                 dxfattribs={"layer": layer})
    if size is not None:
        outline.set_xdata(SIZE, size)
    return outline


def mark_block(doc):
    block = doc.blocks.new("CMARK_DUCT")
    block.add_circle((0, 0), 3)
    return block


def t_ducts(msp):
    duct(msp, 20, 700, 580, 740)                       # the bar
    duct(msp, 440, 100, 480, 700, size=[(1070, 60)])   # the stem, ending against the bar


def write(case, path):
    doc = new_drawing(case != "nolayer")
    msp = doc.modelspace()
    if case == "t":
        t_ducts(msp)
    elif case == "cross":
        duct(msp, 0, 80, 400, 120)
        duct(msp, 180, 0, 220, 400, order=(2, 3, 0, 1))
    elif case == "corner":
        duct(msp, 0, 0, 100, 40)
        duct(msp, 100, 20, 140, 300)
    elif case == "hand":
        # The T with what a previous run and the user left: a generated line and a mark of the
        # previous run (both replaced), a generated line on another layer, hand-drawn lines on
        # "DUCT" and "0" with references at their ends (kept, the one at the junction not
        # marked again), and a reference on another layer.
        t_ducts(msp)
        doc.layers.add("DUCT", color=40)
        mark_block(doc)
        old = msp.add_line((460, 100), (460, 700), dxfattribs={"layer": "DUCT"})
        old.set_xdata(GENERATED, [(1000, "ZelkoWPDuctAutoGen")])
        other = msp.add_line((0, 0), (5, 5), dxfattribs={"layer": "OTHER"})
        other.set_xdata(GENERATED, [(1000, "ZelkoWPDuctAutoGen")])
        msp.add_line((460, 720), (460, 800), dxfattribs={"layer": "DUCT"})
        msp.add_line((0, 900), (50, 900), dxfattribs={"layer": "0"})
        for at, layer in (((460, 720), "DUCT"), ((50, 900), "DUCT"), ((300, 300), "DUCT"),
                          ((310, 310), "0")):
            ref = msp.add_blockref("CMARK_DUCT", at, dxfattribs={"layer": layer})
            ref.set_xdata(JUNCTION, [(1000, "CP")])
    elif case == "bad":
        # Nothing here is a duct: open, rotated, five corners, no width, not a rectangle, and
        # a rectangle on a layer that is no duct layer.
        duct(msp, 0, 0, 100, 40, close=False)
        msp.add_lwpolyline([(0, 0), (70.7, 70.7), (42.4, 99), (-28.3, 28.3)], close=True,
                           dxfattribs={"layer": "DCT40"})
        msp.add_lwpolyline([(0, 0), (100, 0), (100, 40), (50, 50), (0, 40)], close=True,
                           dxfattribs={"layer": "DCT40"})
        duct(msp, 0, 0, 100, 0)
        msp.add_lwpolyline([(0, 0), (100, 0), (100, 40), (0, 30)], close=True,
                           dxfattribs={"layer": "DCT40"})
        duct(msp, 0, 0, 100, 40, layer="0")
    elif case == "duplicate":
        # The T with its bar drawn twice, and a square duct (its sides 1 and 3 are the short
        # sides: a vertical centre line) and an empty layer "dct_spare".
        t_ducts(msp)
        duct(msp, 20, 700, 580, 740, order=(2, 3, 0, 1))
        duct(msp, 1000, 0, 1040, 40)
        doc.layers.add("dct_spare")
    elif case == "nolayer":
        duct(msp, 0, 0, 100, 40, layer="0")
    else:
        raise SystemExit("unknown case " + case)
    doc.saveas(path)


def support(folder):
    import os
    os.makedirs(os.path.join(folder, "SUPPORT"), exist_ok=True)
    doc = ezdxf.new("R2010")
    doc.modelspace().add_circle((0, 0), 3)
    doc.saveas(os.path.join(folder, "SUPPORT", "CMARK_DUCT.dxf"))


def number(v):
    return "%g" % round(v, 4)


def xdata(entity, app):
    if entity.has_xdata(app):
        return ",".join(str(value) for _, value in entity.get_xdata(app))
    return "-"


def read(path):
    doc = ezdxf.readfile(path)
    rows = []
    for e in doc.modelspace():
        if e.dxftype() == "LINE":
            rows.append("LINE %s %s,%s %s,%s gen=%s size=%s" % (
                e.dxf.layer, number(e.dxf.start.x), number(e.dxf.start.y), number(e.dxf.end.x),
                number(e.dxf.end.y), xdata(e, GENERATED), xdata(e, SIZE)))
        elif e.dxftype() == "INSERT":
            rows.append("INSERT %s %s %s,%s %s" % (e.dxf.name, e.dxf.layer,
                                                   number(e.dxf.insert.x),
                                                   number(e.dxf.insert.y), xdata(e, JUNCTION)))
    layer = doc.layers.get("DUCT") if "DUCT" in doc.layers else None
    if layer is not None:
        rows.append("LAYER DUCT color=%d" % layer.color)
    for row in sorted(rows):
        print(row)


def outlines(path):
    doc = ezdxf.readfile(path)
    rows = []
    for e in doc.modelspace().query("LWPOLYLINE"):
        points = " ".join("%s,%s" % (number(x), number(y)) for x, y in e.get_points("xy"))
        rows.append("%s color=%d closed=%d %s" % (e.dxf.layer, doc.layers.get(e.dxf.layer).color,
                                                  e.closed, points))
    for row in sorted(rows):
        print(row)


def no_ducts(project):
    import os
    import sqlite3
    with sqlite3.connect(os.path.join(project, "ZELKOPRJ.sqlite")) as db:
        db.execute("DELETE FROM duct_type")


def bench(path, count):
    # Bars 40 wide every 200 units, and stems between them ending against both bars: every
    # stem lengthened at both ends, two marks each.
    doc = new_drawing()
    msp = doc.modelspace()
    columns = 25
    stems_per_bar = columns - 1
    made = 0
    row = 0
    while made < count:
        y = row * 200.0
        duct(msp, 0, y, columns * 100.0, y + 40)
        made += 1
        for k in range(stems_per_bar):
            if made >= count:
                break
            x = 100.0 * (k + 1)
            duct(msp, x - 20, y + 40, x + 20, y + 200)
            made += 1
        row += 1
    doc.saveas(path)


if __name__ == "__main__":
    command = sys.argv[1]
    if command == "write":
        write(sys.argv[2], sys.argv[3])
    elif command == "support":
        support(sys.argv[2])
    elif command == "read":
        read(sys.argv[2])
    elif command == "outlines":
        outlines(sys.argv[2])
    elif command == "noducts":
        no_ducts(sys.argv[2])
    elif command == "bench":
        bench(sys.argv[2], int(sys.argv[3]))
    else:
        raise SystemExit(__doc__)
