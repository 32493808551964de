#!/usr/bin/python3
"""Writes layout.dxf, the drawing the host tests select from and run commands on.

Run with Debian's ezdxf: /usr/bin/python3 make_layout.py (the file is committed; rerun it only
to change the drawing). Every entity carries its name in a text attribute or in its layer so
the tests find it without knowing its handle.
"""
import ezdxf

doc = ezdxf.new("R2010")
doc.layers.add("DCT1")
doc.layers.add("DCT2")
doc.layers.add("WARNING")
doc.layers.add("PLATE")
block = doc.blocks.new("SYM_A")
block.add_circle((0, 0), 2)
block.add_attdef("NAME", (0, 3), dxfattribs={"height": 1})
msp = doc.modelspace()
msp.add_blockref("SYM_A", (10, 10)).add_attrib("NAME", "K1", (10, 13))
msp.add_blockref("SYM_A", (50, 10), dxfattribs={"layer": "DCT1"}).add_attrib(
    "NAME", "K2", (50, 13))
msp.add_line((0, 0), (5, 0), dxfattribs={"layer": "WARNING"})
msp.add_line((60, 0), (70, 0), dxfattribs={"layer": "DCT2"})
msp.add_lwpolyline([(100, 0), (120, 0), (120, 10), (100, 10)], close=True,
                   dxfattribs={"layer": "DCT1"})
msp.add_text("HELLO", dxfattribs={"insert": (30, 30), "height": 2})
doc.saveas("layout.dxf")
