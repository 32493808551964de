"""The independent side of the entry-direction tests: Debian's ezdxf writes the drawings the
direction rules work on and reads back what they wrote.

    direction_drawings.py write FILE
        FILE with the symbols in model space, in this order:
        CB1 (BAN): WIREDIRECTION1 unbound, WIREDIRECTION2 bound to terminal 3 (no connector),
            TUBEDIRECTION1 "X", WIREDIRECTION0 "T", TUBEDIRECTION0 "B", REVERSE "1";
            pin offsets 1 = (1, 2, 3) and 3 = (4, 5, 6) under ZELKO_3D_PIN_OFS
        CB2 (BAN): WIREDIRECTION1 "t" and WIREDIRECTION3 "L", both unbound, no attribute
            definitions (new direction attributes go on "PINOFF")
        a LINE (no block reference)
    direction_drawings.py selection FILE
        FILE with, in model space order: two direction marks (WIREDIRECTION, TUBEDIRECTION),
        component K1 (BAN, OP_NAME "(TO)", BAN_NO P1, INST_NO U1), terminal block T4 (TERM,
        PIN1..PIN4 = 11..14, B_CODE TB-4) grouped anonymously with T4B (TERM, NAME T4, PIN1 = 21), terminal
        block T1 (TERM, PIN1 = 5, B_CODE TB-1), terminal block T2 (TERM, PIN1, PIN2) grouped with a LINE, a
        LINE, a plain block reference (no maker symbol), a BAN symbol without NAME
    direction_drawings.py wiring FILE
        the wiring database FILE: part TB-4 with terminals 11, 12, 13 (pins 1, 2, 7), part
        TB-1 with one terminal
    direction_drawings.py read FILE
        prints each block reference's name and its attributes as
        "TAG=text layer [TANSHIBANGOU/CN_NAME]" in attribute order

Run with the system's /usr/bin/python3, which has python3-ezdxf.
"""

import sys

import ezdxf

SYMBOL_APP = "ZELKO_SYMBOL"
TERMINAL_APP = "ZELKOWP2_TANSHIBANGOU"
CONNECTOR_APP = "ZELKOWP2_CN_NAME"
OFFSET_APP = "ZELKO_3D_PIN_OFS"


def write(path):
    doc = ezdxf.new("R2010")
    for app in (SYMBOL_APP, TERMINAL_APP, CONNECTOR_APP, OFFSET_APP):
        doc.appids.new(app)
    msp = doc.modelspace()
    for name in ("CB1", "CB2"):
        block = doc.blocks.new(name)
        block.add_lwpolyline([(-2, -2), (2, -2), (2, 2), (-2, 2)], close=True)
        doc.block_records.get(name).set_xdata(SYMBOL_APP, [(1000, "BAN")])

    ref = msp.add_blockref("CB1", (10, 20))
    for k, (tag, text, bound) in enumerate([
            ("WIREDIRECTION1", "", None),
            ("WIREDIRECTION2", "T", ("3", "")),
            ("TUBEDIRECTION1", "X", None),
            ("WIREDIRECTION0", "T", None),
            ("TUBEDIRECTION0", "B", None),
            ("REVERSE", "1", None)]):
        attrib = ref.add_attrib(tag, text, (10, 20 - 3 * (k + 1)))
        if bound:
            attrib.set_xdata(TERMINAL_APP, [(1000, bound[0])])
            attrib.set_xdata(CONNECTOR_APP, [(1000, bound[1])])
    ref.set_xdata(OFFSET_APP, [(1070, 1), (1010, (1, 2, 3)), (1070, 3), (1010, (4, 5, 6))])

    ref = msp.add_blockref("CB2", (100, 20), dxfattribs={"rotation": 90})
    ref.add_attrib("WIREDIRECTION1", "t", (100, 17))
    ref.add_attrib("WIREDIRECTION3", "L", (100, 14))
    msp.add_line((0, 0), (5, 5))
    doc.saveas(path)


def selection(path):
    doc = ezdxf.new("R2010")
    doc.appids.new(SYMBOL_APP)
    msp = doc.modelspace()
    for name, kind in (("BANSYM", "BAN"), ("TERMSYM", "TERM"), ("PLAIN", None)):
        block = doc.blocks.new(name)
        block.add_line((0, 0), (1, 1))
        if kind:
            doc.block_records.get(name).set_xdata(SYMBOL_APP, [(1000, kind)])
    for name in ("WIREDIRECTION", "TUBEDIRECTION"):
        doc.blocks.new(name).add_line((0, 0), (0, 5))
        msp.add_blockref(name, (0, 0))

    def symbol(block, at, attributes):
        ref = msp.add_blockref(block, at, dxfattribs={"rotation": 30})
        for tag, text in attributes:
            ref.add_attrib(tag, text, at)
        return ref

    symbol("BANSYM", (10, 0), [("NAME", "K1"), ("OP_NAME", "(TO)"), ("BAN_NO", "P1"),
                               ("INST_NO", "U1"), ("PIN1", "A1")])
    t4 = symbol("TERMSYM", (20, 0), [("NAME", "T4"), ("BAN_NO", "P2"), ("B_CODE", "TB-4")] +
                [("PIN%d" % n, str(10 + n)) for n in range(1, 5)])
    t4b = symbol("TERMSYM", (30, 0), [("NAME", "T4"), ("PIN1", "21")])
    doc.groups.new().extend([t4, t4b])
    symbol("TERMSYM", (40, 0), [("NAME", "T1"), ("PIN1", "5"), ("B_CODE", "TB-1")])
    t2 = symbol("TERMSYM", (50, 0), [("NAME", "T2"), ("PIN1", "1"), ("PIN2", "2")])
    line = msp.add_line((0, 0), (3, 3))
    doc.groups.new().extend([t2, line])
    msp.add_line((0, 0), (5, 5))
    msp.add_blockref("PLAIN", (60, 0))
    symbol("BANSYM", (70, 0), [("BAN_NO", "P1")])
    doc.saveas(path)


def wiring(path):
    import sqlite3
    db = sqlite3.connect(path)
    db.execute("CREATE TABLE pin (code TEXT COLLATE NOCASE, bompinval TEXT COLLATE NOCASE, "
               "bompinno INTEGER)")
    db.executemany("INSERT INTO pin VALUES (?, ?, ?)",
                   [("TB-4", "11", 1), ("TB-4", "12", 2), ("TB-4", "13", 7), ("TB-1", "5", 1)])
    db.commit()
    db.close()


def xdata_text(entity, app):
    if not entity.has_xdata(app):
        return "-"
    values = [value for code, value in entity.get_xdata(app) if code == 1000]
    return values[0] if values else ""


def read(path):
    doc = ezdxf.readfile(path)
    for ref in doc.modelspace().query("INSERT"):
        print(ref.dxf.name)
        for attrib in ref.attribs:
            binding = ""
            if attrib.has_xdata(TERMINAL_APP) or attrib.has_xdata(CONNECTOR_APP):
                binding = " [%s/%s]" % (xdata_text(attrib, TERMINAL_APP),
                                        xdata_text(attrib, CONNECTOR_APP))
            print("  %s=%s %s%s" % (attrib.dxf.tag, attrib.dxf.text, attrib.dxf.layer, binding))


if __name__ == "__main__":
    {"write": write, "read": read, "selection": selection, "wiring": wiring}[sys.argv[1]](sys.argv[2])
