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
    {"write": write, "read": read}[sys.argv[1]](sys.argv[2])
