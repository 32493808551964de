"""Drawings for the renderer's tests, written by Debian's ezdxf (/usr/bin/python3).

    fixtures.py NAME OUT.dxf

Every fixture lies in the window 0,0 to 100,100, so a picture 1000 pixels wide of that window
shows a drawing unit as 10 pixels, with y = 100 at the top.
"""

import sys

import ezdxf


def geometry(path):
    doc = ezdxf.new("R2010")
    msp = doc.modelspace()
    msp.add_line((10, 10), (90, 10), dxfattribs={"color": 1})
    msp.add_circle((50, 50), 10, dxfattribs={"color": 3})
    msp.add_arc((50, 50), 20, 0, 90, dxfattribs={"color": 5})
    msp.add_lwpolyline([(20, 70), (40, 70), (40, 90), (20, 90)], close=True,
                       dxfattribs={"color": 30})
    # a half circle by bulge from (60,80) to (80,80), counter-clockwise: below the chord
    msp.add_lwpolyline([(60, 80, 0, 0, 1), (80, 80)], format="xyseb", dxfattribs={"color": 6})
    msp.add_point((5, 95), dxfattribs={"color": 2})
    doc.saveas(path)


def layers(path):
    doc = ezdxf.new("R2010")
    doc.layers.add("SHOWN", color=4)
    doc.layers.add("OFFLAYER", color=2).off()
    doc.layers.add("FROZEN", color=2).freeze()
    doc.layers.add("TRUE", color=1).rgb = (0x12, 0x34, 0x56)
    msp = doc.modelspace()
    msp.add_line((10, 10), (90, 10), dxfattribs={"layer": "SHOWN"})       # by layer: cyan
    msp.add_line((10, 20), (90, 20), dxfattribs={"layer": "OFFLAYER"})
    msp.add_line((10, 30), (90, 30), dxfattribs={"layer": "FROZEN"})
    msp.add_line((10, 40), (90, 40), dxfattribs={"layer": "TRUE"})        # the layer's true colour
    line = msp.add_line((10, 50), (90, 50), dxfattribs={"layer": "SHOWN"})
    line.rgb = (0xAB, 0xCD, 0xEF)                                          # its own true colour
    msp.add_line((10, 60), (90, 60), dxfattribs={"layer": "SHOWN", "color": 7})
    doc.saveas(path)


def blocks(path):
    doc = ezdxf.new("R2010")
    doc.layers.add("OFFLAYER", color=2).off()
    doc.layers.add("FROZEN", color=2).freeze()
    doc.layers.add("GREEN", color=3)
    arm = doc.blocks.new("ARM", base_point=(0, 0))
    arm.add_line((0, 0), (10, 0), dxfattribs={"color": 0, "layer": "0"})  # by block
    arm.add_line((0, 0), (0, 2), dxfattribs={"layer": "GREEN"})           # its own layer
    outer = doc.blocks.new("OUTER", base_point=(0, 0))
    outer.add_blockref("ARM", (5, 0), dxfattribs={"rotation": 90, "color": 0})
    msp = doc.modelspace()
    msp.add_blockref("ARM", (50, 50), dxfattribs={"color": 5, "xscale": 2, "yscale": 2,
                                                 "rotation": 90})
    msp.add_blockref("ARM", (40, 30), dxfattribs={"color": 1, "xscale": -1})   # mirrored
    msp.add_blockref("OUTER", (70, 20), dxfattribs={"color": 6})             # nested
    msp.add_blockref("ARM", (10, 80), dxfattribs={"layer": "OFFLAYER", "color": 4})
    msp.add_blockref("ARM", (10, 90), dxfattribs={"layer": "FROZEN", "color": 4})
    # an array of references: 3 columns 15 apart, 2 rows 5 apart, from (30,60)
    msp.add_blockref("ARM", (30, 60), dxfattribs={"color": 2, "column_count": 3, "row_count": 2,
                                                 "column_spacing": 15, "row_spacing": 5})
    doc.saveas(path)


def texts(path):
    doc = ezdxf.new("R2010")
    msp = doc.modelspace()
    msp.add_text("AB", dxfattribs={"height": 5, "insert": (50, 60)})
    centred = msp.add_text("AB", dxfattribs={"height": 5})
    centred.set_placement((50, 50), align=ezdxf.enums.TextEntityAlignment.BOTTOM_CENTER)
    centred.dxf.halign = 1
    centred.dxf.valign = 0
    right = msp.add_text("AB", dxfattribs={"height": 5})
    right.set_placement((50, 40), align=ezdxf.enums.TextEntityAlignment.RIGHT)
    msp.add_text("TALL", dxfattribs={"height": 10, "insert": (10, 20)})
    msp.add_text("UP", dxfattribs={"height": 5, "insert": (80, 10), "rotation": 90})
    msp.add_text("MIRROR", dxfattribs={"height": 5, "insert": (90, 80), "text_generation_flag": 2})
    msp.add_text("%%c20", dxfattribs={"height": 2, "insert": (10, 90)})
    symbol = doc.blocks.new("TERM", base_point=(0, 0))
    symbol.add_circle((0, 0), 2)
    symbol.add_attdef("NO", (3, 0), dxfattribs={"height": 2})
    symbol.add_attdef("HIDDEN", (3, -3), dxfattribs={"height": 2})
    ref = msp.add_blockref("TERM", (20, 80))
    ref.add_attrib("NO", "端子1", (23, 80), dxfattribs={"height": 2})
    hidden = ref.add_attrib("HIDDEN", "SECRET", (23, 77), dxfattribs={"height": 2})
    hidden.is_invisible = True
    mtext = msp.add_mtext("first\\Psecond", dxfattribs={"char_height": 3, "insert": (10, 70),
                                                       "attachment_point": 1})
    mtext.set_bg_color(1, scale=1.5)
    doc.saveas(path)


def widths(path):
    doc = ezdxf.new("R2010")
    msp = doc.modelspace()
    msp.add_lwpolyline([(10, 10), (90, 10)], dxfattribs={"const_width": 2, "color": 1})
    msp.add_lwpolyline([(10, 30, 0, 4, 0), (90, 30)], format="xyseb", dxfattribs={"color": 3})
    # an old-style 2D polyline: a half circle by bulge from (20,60) to (60,60), below the chord
    old = msp.add_polyline2d([(20, 60), (60, 60)], dxfattribs={"color": 5})
    old.vertices[0].dxf.bulge = 1
    msp.add_polyline3d([(70, 50, 0), (90, 70, 5)], dxfattribs={"color": 6})
    doc.saveas(path)


def hatches(path):
    doc = ezdxf.new("R2010")
    msp = doc.modelspace()
    solid = msp.add_hatch(color=1)
    solid.paths.add_polyline_path([(10, 10), (40, 10), (40, 40), (10, 40)], is_closed=True)
    pattern = msp.add_hatch(color=5)
    pattern.set_pattern_fill("ANSI31", color=5, scale=1)
    edges = pattern.paths.add_edge_path()
    edges.add_line((60, 10), (90, 10))
    edges.add_arc((75, 10), 15, 0, 180, ccw=True)
    doc.saveas(path)


def unknown(path):
    doc = ezdxf.new("R2010")
    msp = doc.modelspace()
    msp.add_line((10, 10), (90, 90))
    for x in (10, 20, 30):  # construction lines: endless, not drawn
        msp.add_xline((x, 50), (1, 1))
    doc.saveas(path)


def splines(path):
    doc = ezdxf.new("R2010")
    msp = doc.modelspace()
    # a quadratic curve on three control points: through (50,50) at its middle
    msp.add_open_spline([(0, 0), (50, 100), (100, 0)], degree=2, dxfattribs={"color": 1})
    # a rational one: a quarter circle of radius 40 about (0,0)
    msp.add_rational_spline([(40, 0), (40, 40), (0, 40)], [1, 2 ** -0.5, 1], degree=2,
                            dxfattribs={"color": 3})
    # only fit points: the polyline through them
    msp.add_spline([(60, 60), (70, 80), (80, 60)], dxfattribs={"color": 5})
    doc.saveas(path)


def codepage(path):
    # Release 2000: text in the drawing's code page, here Shift_JIS.
    doc = ezdxf.new("R2000")
    doc.encoding = "cp932"
    doc.layers.add("ダクト", color=2)
    msp = doc.modelspace()
    msp.add_text("端子台", dxfattribs={"height": 5, "insert": (10, 50), "layer": "ダクト"})
    msp.add_mtext("配線\\Pダクト", dxfattribs={"char_height": 3, "insert": (10, 80)})
    doc.saveas(path)


FIXTURES = {f.__name__: f for f in (geometry, layers, blocks, texts, widths, hatches, unknown,
                                    splines, codepage)}

if __name__ == "__main__":
    FIXTURES[sys.argv[1]](sys.argv[2])
