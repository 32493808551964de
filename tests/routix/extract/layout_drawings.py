"""The independent side of the key-file tests: Debian's ezdxf writes the layout drawings that
entry point 1006 reads.

    layout_drawings.py edges FOLDER
        FOLDER/LAYOUT_P01.dwg with the cases the extraction must get right (plates, a symbol on
        a plate border, a terminal block with an empty middle PIN, a rotation of -90 degrees,
        a wire direction 2 without 1, a symbol type it does not handle, a Japanese tag, a tag
        holding a TAB, a name kept in two parts), FOLDER/layoutp9.DWG (no "LAYOUT_" in the
        name), and prints "NAME HANDLE" for every symbol, for the expected lines
    layout_drawings.py bench FOLDER COUNT SYMBOLS
        COUNT drawings LAYOUT_<n>.dwg of SYMBOLS symbols each (components and terminal blocks
        on two plates), for the benchmark
    layout_drawings.py read FOLDER
        reads every LAYOUT*.dwg of FOLDER with ezdxf and counts the block references

The drawings are DXF text under the ".dwg" names the tools look for. Run with the system's
/usr/bin/python3, which has python3-ezdxf.
"""

import glob
import os
import sys

import ezdxf

PLATE_APP = "ORVAZelko_WpPlate"
SYMBOL_APP = "ZELKO_SYMBOL"


def new_drawing():
    doc = ezdxf.new("R2010")
    for app in (PLATE_APP, SYMBOL_APP, "ZELKOWP2_TANSHIBANGOU", "ZELKOWP2_CN_NAME"):
        doc.appids.new(app)
    return doc


def symbol_block(doc, name, kind):
    block = doc.blocks.new(name)
    block.add_lwpolyline([(-2, -2), (2, -2), (2, 2), (-2, 2)], close=True)
    doc.block_records.get(name).set_xdata(SYMBOL_APP, [(1000, kind)])
    return block


def plate(msp, name, x0, y0, x1, y1):
    outline = msp.add_lwpolyline([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], close=True)
    outline.set_xdata(PLATE_APP, [(1000, name)])
    return outline


def insert(msp, block, at, attributes, rotation=0.0, xdata=None):
    ref = msp.add_blockref(block, at, dxfattribs={"rotation": rotation})
    for k, (tag, text) in enumerate(attributes):
        attrib = ref.add_attrib(tag, text, (at[0], at[1] - 3 * (k + 1)))
        if isinstance(text, tuple):
            attrib.dxf.text = text[0]
            for app, value in text[1]:
                attrib.set_xdata(app, [(1000, value)])
    if xdata:
        ref.set_xdata(PLATE_APP, [(1000, xdata)])
    return ref


def edges(folder):
    doc = new_drawing()
    msp = doc.modelspace()
    for name, kind in (("CB-3P", "BAN"), ("TB-3", "TERM"), ("RT-1", "TERM"), ("PN", "PNL")):
        symbol_block(doc, name, kind)
    plate(msp, "PL1", 0, 0, 100, 100)
    plate(msp, "PL2", 200, 0, 300, 100)
    handles = []

    def add(label, *args, **kwargs):
        ref = insert(msp, *args, **kwargs)
        handles.append((label, ref.dxf.handle))

    # A component: wire direction 2 without 1, a tube direction 2, surplus length, operation.
    add("CB1", "CB-3P", (50, 50), [
        ("NAME", "CB1"), ("WP_PLATE_ADRS", "A1"), ("INST_NO", "U1"), ("ADDITION", "150"),
        ("OP_NAME", "-X"), ("PIN1", "1"), ("PIN2", "2"),
        ("WIREDIRECTION2", ("T", [("ZELKOWP2_TANSHIBANGOU", "2"), ("ZELKOWP2_CN_NAME", "CN")])),
        ("TUBEDIRECTION2", "B")])
    # A terminal block turned by -90 degrees: PIN2 empty, three wire directions.
    add("TB1", "TB-3", (250, 50), [
        ("NAME", "TB1"), ("WP_PLATE_ADRS", "B1"), ("PIN1", "1"), ("PIN2", ""), ("PIN3", "3"),
        ("WIREDIRECTION1", "L"), ("WIREDIRECTION2", "R"), ("WIREDIRECTION3", "T")],
        rotation=-90)
    # On the border of PL1: no plate by position, its own plate data counts.
    add("X1", "CB-3P", (100, 50), [("NAME", "X1"), ("PIN1", "1")], xdata="OWN")
    # A relay terminal with one PIN, a Japanese tag and a name in two parts.
    add("XT1", "RT-1", (20, 20), [("NAME", "端子"), ("NAME2", "XT1"), ("PIN1", "5")])
    # A tag holding a TAB and a character the code page lacks, outside every plate, no PIN
    # and no direction.
    add("TAB", "CB-3P", (500, 500), [("NAME", "A\tB\U0001F600")])
    # A symbol type the key file does not take.
    add("PNL", "PN", (10, 90), [("NAME", "P1")])
    doc.saveas(os.path.join(folder, "LAYOUT_P01.dwg"))

    other = new_drawing()
    symbol_block(other, "CB-3P", "BAN")
    ref = insert(other.modelspace(), "CB-3P", (1, 2), [("NAME", "K9"), ("PIN1", "1")])
    handles.append(("K9", ref.dxf.handle))
    other.saveas(os.path.join(folder, "layoutp9.DWG"))
    for label, handle in handles:
        print(label, handle)


def bench(folder, count, symbols):
    for n in range(1, count + 1):
        doc = new_drawing()
        msp = doc.modelspace()
        symbol_block(doc, "CB-3P", "BAN")
        symbol_block(doc, "TB-10", "TERM")
        plate(msp, "PL1", 0, 0, 1000, 1000)
        plate(msp, "PL2", 1100, 0, 2100, 1000)
        for s in range(symbols):
            x = (s % 2) * 1100 + 20 + (s // 2 % 30) * 30
            y = 20 + (s // 60) * 150
            if s % 10 == 9:
                attributes = [("NAME", "TB%d" % s), ("INST_NO", "U1")]
                attributes += [("PIN%d" % k, str(k)) for k in range(1, 11)]
                attributes += [("WIREDIRECTION%d" % k, "T") for k in range(1, 11)]
                insert(msp, "TB-10", (x, y), attributes)
            else:
                attributes = [("NAME", "CB%d" % s), ("WP_PLATE_ADRS", "A%d" % s),
                              ("INST_NO", "U1"), ("ADDITION", "100")]
                attributes += [("PIN%d" % k, str(k)) for k in range(1, 7)]
                attributes.append(("WIREDIRECTION1", ("T", [("ZELKOWP2_TANSHIBANGOU", "1")])))
                insert(msp, "CB-3P", (x, y), attributes, rotation=90 * (s % 3))
        doc.saveas(os.path.join(folder, "LAYOUT_%d.dwg" % n))


def read(folder):
    count = 0
    for path in sorted(glob.glob(os.path.join(folder, "LAYOUT*.dwg"))):
        count += len(ezdxf.readfile(path).modelspace().query("INSERT"))
    print(count)


if __name__ == "__main__":
    if sys.argv[1] == "edges":
        edges(sys.argv[2])
    elif sys.argv[1] == "bench":
        bench(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]))
    elif sys.argv[1] == "read":
        read(sys.argv[2])
