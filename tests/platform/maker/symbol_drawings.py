"""The independent side of the symbol-service tests: Debian's ezdxf writes the drawings and
reads back what the services wrote.

    symbol_drawings.py layout OUT.dxf    a layout with maker symbols, a plain block, a mark
    symbol_drawings.py mark OUT.dxf      a mark drawing based at (5, 5)
    symbol_drawings.py inserts FILE.dxf  one line per INSERT: block layer x y [TAG=text ...]
    symbol_drawings.py entities FILE.dxf one line per model-space entity: type layer + where
    symbol_drawings.py meshed OUT.dxf    a symbol whose block holds a line, a circle and then a
                                         MESH, with a visible attribute, and a line beside it
    symbol_drawings.py contents FILE.dxf the model-space entities (as "entities" and
                                         "inserts" print them), then "BLOCK name" and the
                                         types and layers of each named block's entities

Run with the system's /usr/bin/python3, which has python3-ezdxf.
"""

import sys

import ezdxf


def layout(path):
    doc = ezdxf.new("R2010")
    doc.appids.new("ZELKO_SYMBOL")
    doc.layers.add("NAMES")
    doc.layers.add("PINLAYER")
    cb = doc.blocks.new("CB-3P", base_point=(0, 0))
    cb.add_line((0, 0), (10, 0))
    cb.add_circle((5, 5), 2, dxfattribs={"layer": "PINLAYER"})
    cb.add_attdef("NAME", (0, 12), dxfattribs={"height": 2.5, "layer": "NAMES"})
    cb.add_attdef("PIN1", (0, -3), text="1", dxfattribs={"height": 1})
    cb.add_attdef("WIREDIRECTION1", (2, -3), dxfattribs={"height": 1, "layer": "PINLAYER"})
    doc.block_records.get("CB-3P").set_xdata("ZELKO_SYMBOL", [(1000, "BAN")])
    tb = doc.blocks.new("TB-10")
    tb.add_lwpolyline([(0, 0), (6, 0), (6, 6), (0, 6)], close=True)
    plain = doc.blocks.new("PLAIN")
    plain.add_line((0, 0), (1, 1))
    msp = doc.modelspace()
    ref = msp.add_blockref("CB-3P", (100, 50), dxfattribs={"rotation": 90})
    for tag, text in [("NAME", "CB"), ("NAME2", "1"), ("PIN1", "1"), ("PIN2", " 2 "),
                      ("PINX", "x"), ("BAN_NO", "P1"), ("INST_NO", "U1"), ("SPEC", "AC200V")]:
        ref.add_attrib(tag, text, (100, 50))
    tb_ref = msp.add_blockref("TB-10", (0, 0))
    tb_ref.set_xdata("ZELKO_SYMBOL", [(1000, "TERM")])
    tb_ref.add_attrib("PIN1", "7", (0, 0))
    msp.add_blockref("PLAIN", (0, 0))
    panel = msp.add_blockref("CB-3P", (0, 0))
    panel.set_xdata("ZELKO_SYMBOL", [(1000, "PNL")])
    msp.add_line((0, 0), (1, 0))
    doc.saveas(path)


def mark(path):
    doc = ezdxf.new("R2010")
    doc.header["$INSBASE"] = (5, 5, 0)
    doc.layers.add("WARNING")
    doc.modelspace().add_line((5, 5), (5, 15), dxfattribs={"layer": "WARNING"})
    doc.saveas(path)


def inserts(path):
    doc = ezdxf.readfile(path)
    for ref in doc.modelspace().query("INSERT"):
        attribs = " ".join(f"{a.dxf.tag}={a.dxf.text}" for a in ref.attribs)
        p = ref.dxf.insert
        print(f"{ref.dxf.name} {ref.dxf.layer} {p.x:g} {p.y:g} {attribs}".rstrip())


def entities(path):
    doc = ezdxf.readfile(path)
    for e in doc.modelspace():
        t = e.dxftype()
        if t == "LINE":
            s, n = e.dxf.start, e.dxf.end
            where = f"{s.x:.3f},{s.y:.3f} {n.x:.3f},{n.y:.3f}"
        elif t == "CIRCLE":
            where = f"{e.dxf.center.x:.3f},{e.dxf.center.y:.3f} r={e.dxf.radius:g}"
        elif t == "TEXT":
            where = e.dxf.text
        elif t == "INSERT":
            where = e.dxf.name
        else:
            where = ""
        print(f"{t} {e.dxf.layer} {where}".rstrip())


def meshed(path):
    doc = ezdxf.new("R2010")
    doc.appids.new("ZELKO_SYMBOL")
    doc.layers.add("PARTS")
    block = doc.blocks.new("MESHED")
    block.add_line((0, 0), (10, 0), dxfattribs={"layer": "PARTS"})
    block.add_circle((5, 5), 2)
    mesh = block.add_mesh(dxfattribs={"layer": "PARTS"})
    with mesh.edit_data() as data:
        data.vertices = [(0, 0, 0), (10, 0, 0), (10, 10, 0), (0, 10, 0)]
        data.faces = [(0, 1, 2, 3)]
    block.add_attdef("NAME", (0, 12), dxfattribs={"height": 2.5})
    doc.block_records.get("MESHED").set_xdata("ZELKO_SYMBOL", [(1000, "BAN")])
    msp = doc.modelspace()
    ref = msp.add_blockref("MESHED", (100, 50), dxfattribs={"rotation": 90})
    ref.add_attrib("NAME", "CB9", (100, 62), dxfattribs={"height": 2.5})
    msp.add_line((0, 0), (1, 0))
    doc.saveas(path)


def contents(path):
    entities(path)
    inserts(path)
    doc = ezdxf.readfile(path)
    for block in doc.blocks:
        if block.name.startswith("*"):
            continue
        print(f"BLOCK {block.name}")
        for e in block:
            print(f"  {e.dxftype()} {e.dxf.layer}")


if __name__ == "__main__":
    {"layout": layout, "mark": mark, "inserts": inserts, "entities": entities, "meshed": meshed,
     "contents": contents}[sys.argv[1]](sys.argv[2])
