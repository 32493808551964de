"""The independent side of the drawing-database tests: Debian's ezdxf writes the fixtures and
reads back, audits and describes what the database wrote.

    ezdxf_helper.py make NAME OUT.dxf     write fixture NAME
    ezdxf_helper.py audit FILE.dxf        print the audit's errors ("errors=N", one line each)
    ezdxf_helper.py dump FILE.dxf         print every entity and object, one line each, sorted
    ezdxf_helper.py query FILE.dxf WHAT   print facts the tests check (see query())

Run with the system's /usr/bin/python3, which has python3-ezdxf.
"""

import sys

import ezdxf
from ezdxf.lldxf.const import DXFValueError  # noqa: F401


def fixture_layers(path):
    doc = ezdxf.new("R2010")
    doc.layers.add("PLAIN", color=3)
    doc.layers.add("OFFLAYER", color=4).off()
    doc.layers.add("FROZENLAYER", color=5).freeze()
    doc.layers.add("LOCKEDLAYER", color=6).lock()
    every = doc.layers.add("ALLSTATES", color=40)
    every.off()
    every.freeze()
    every.lock()
    doc.saveas(path)


def fixture_blocks(path):
    doc = ezdxf.new("R2010")
    doc.appids.new("ORVAZelko_WpPlate")
    doc.appids.new("ZELKOWP2_TANSHIBANGOU")
    symbol = doc.blocks.new("SYMBOL", base_point=(0, 0))
    symbol.add_line((0, 0), (10, 0))
    symbol.add_line((10, 0), (10, 5))
    symbol.add_attdef("PIN1", (1, 1), dxfattribs={"height": 1})
    symbol.add_attdef("NAME", (1, 3), dxfattribs={"height": 1})
    msp = doc.modelspace()
    ref = msp.add_blockref("SYMBOL", (100, 50), dxfattribs={"rotation": 90, "layer": "0"})
    ref.set_xdata("ORVAZelko_WpPlate", [(1000, "PLATE-A"), (1070, 7)])
    pin = ref.add_attrib("PIN1", "T1", (100, 51), dxfattribs={"height": 1})
    pin.set_xdata("ZELKOWP2_TANSHIBANGOU", [(1000, "12"), (1010, (1.5, 2.5, 0))])
    ref.add_attrib("NAME", "K1", (100, 53), dxfattribs={"height": 1})
    msp.add_blockref("SYMBOL", (0, 0))
    doc.saveas(path)


def fixture_polylines(path):
    doc = ezdxf.new("R2010")
    doc.appids.new("ORVAZelko_WpPlate")
    msp = doc.modelspace()
    plate = msp.add_lwpolyline([(0, 0), (200, 0), (200, 100), (0, 100)], close=True)
    plate.set_xdata("ORVAZelko_WpPlate", [(1000, "PLATE-A")])
    msp.add_lwpolyline([(0, 0, 0, 0, 1), (10, 0)], format="xyseb")
    doc.saveas(path)


def fixture_groups(path):
    doc = ezdxf.new("R2010")
    msp = doc.modelspace()
    a = msp.add_line((0, 0), (1, 0))
    b = msp.add_line((0, 1), (1, 1))
    c = msp.add_circle((0, 0), 1)
    anon = doc.groups.new()  # "*A1"
    anon.extend([a, b])
    named = doc.groups.new("NAMED")
    named.extend([c])
    doc.saveas(path)


def fill_unmodelled(doc):
    msp = doc.modelspace()
    doc.appids.new("MYAPP")
    msp.add_point((1, 2, 3))
    msp.add_ellipse((0, 0), (5, 0), 0.5, start_param=0.1, end_param=3.0)
    msp.add_spline([(0, 0), (1, 2), (3, 3), (4, 0)])
    msp.add_solid([(0, 0), (1, 0), (0, 1), (1, 1)])
    msp.add_3dface([(0, 0, 0), (1, 0, 0), (1, 1, 1), (0, 1, 1)])
    msp.add_polyline3d([(0, 0, 0), (1, 1, 1), (2, 0, 2)])
    msp.add_polyline2d([(0, 0), (5, 0), (5, 5)], close=True)
    hatch = msp.add_hatch(color=2)
    hatch.paths.add_polyline_path([(0, 0), (10, 0), (10, 10), (0, 10)], is_closed=True)
    msp.add_mtext("mtext \\P second", dxfattribs={"char_height": 2}).set_location((5, 5))
    msp.add_xline((0, 0), (1, 1))
    msp.add_ray((0, 0), (1, 0))
    dim = msp.add_linear_dim(base=(0, 5), p1=(0, 0), p2=(10, 0))
    dim.render()
    leader = msp.add_leader([(0, 0), (5, 5), (10, 5)])
    leader.set_xdata("MYAPP", [(1000, "leader data"), (1040, 2.5), (1071, 123456)])
    msp.add_arc((0, 0), 3, 10, 80)
    msp.add_text("abc").set_xdata("MYAPP", [(1002, "{"), (1000, "nested"), (1002, "}")])
    doc.layouts.new("Sheet 2").add_line((0, 0), (1, 1))
    doc.objects.add_xrecord(doc.rootdict.dxf.handle)
    doc.header["$INSUNITS"] = 4
    doc.header["$USERI1"] = 42


def fixture_unmodelled(path):
    doc = ezdxf.new("R2018", setup=True)
    fill_unmodelled(doc)
    doc.saveas(path)


def fixture_unmodelled2000(path):
    doc = ezdxf.new("R2000", setup=True)
    fill_unmodelled(doc)
    doc.saveas(path)


def fixture_cp932(path):
    doc = ezdxf.new("R2004")
    doc.encoding = "cp932"
    doc.layers.add("配線")
    msp = doc.modelspace()
    msp.add_text("端子台", dxfattribs={"layer": "配線"})
    msp.add_text("記号 ✓ mark")  # the check mark is not in CP932: written as \U+2713
    doc.saveas(path)


def fixture_utf8(path):
    doc = ezdxf.new("R2018")
    doc.layers.add("配線")
    msp = doc.modelspace()
    msp.add_text("端子台 ✓", dxfattribs={"layer": "配線"})
    doc.saveas(path)


def fixture_insertion(path):
    """A drawing for the insertion algorithm: hidden and shown layers, a stray huge line,
    a tiny point, and a dimension scale."""
    doc = ezdxf.new("R2010")
    doc.layers.add("FROZEN").freeze()
    doc.layers.add("LOCKED").lock()
    doc.layers.add("OFF").off()
    msp = doc.modelspace()
    msp.add_line((10, 20), (30, 40), dxfattribs={"layer": "OFF"})
    msp.add_line((-500, -500), (-400, -400), dxfattribs={"layer": "FROZEN"})
    msp.add_line((-600, 0), (-550, 0), dxfattribs={"layer": "LOCKED"})
    msp.add_circle((50, 50), 5)
    msp.add_line((-200000, 0), (0, 0))  # 200000 wide: ignored by the size filter
    msp.add_point((-1000, -1000))  # no size: ignored
    doc.header["$DIMSCALE"] = 10
    doc.saveas(path)


FIXTURES = {
    "layers": fixture_layers,
    "blocks": fixture_blocks,
    "polylines": fixture_polylines,
    "groups": fixture_groups,
    "unmodelled": fixture_unmodelled,
    "unmodelled2000": fixture_unmodelled2000,
    "cp932": fixture_cp932,
    "utf8": fixture_utf8,
    "insertion": fixture_insertion,
}


def audit(path):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    print("errors=%d" % len(auditor.errors))
    for error in auditor.errors:
        print("error: %s" % error.message)


def describe(entity):
    attribs = entity.dxfattribs()
    attribs.pop("handle", None)
    parts = []
    for key in sorted(attribs):
        value = attribs[key]
        if isinstance(value, float):
            value = round(value, 9)
        elif hasattr(value, "__iter__") and not isinstance(value, str):
            value = tuple(round(v, 9) if isinstance(v, float) else v for v in value)
        parts.append("%s=%r" % (key, value))
    xdata = ""
    if entity.xdata is not None:
        xdata = " xdata=%r" % sorted((app, list(tags)) for app, tags in entity.xdata.data.items())
    return "%s %s %s%s" % (entity.dxf.handle, entity.dxftype(), " ".join(parts), xdata)


def dump(path):
    doc = ezdxf.readfile(path)
    lines = []
    for entity in doc.entitydb.values():
        # ezdxf makes SEQEND entities of its own when it loads, with handles of its own.
        if entity.is_alive and entity.dxftype() != "SEQEND":
            lines.append(describe(entity))
    for name in doc.header.varnames():
        if name in ("$TDCREATE", "$TDUCREATE", "$TDUPDATE", "$TDUUPDATE", "$TDINDWG"):
            continue  # ezdxf sets these itself on reading
        lines.append("header %s=%r" % (name, doc.header[name]))
    for line in sorted(lines):
        print(line)


def query(path, what):
    doc = ezdxf.readfile(path)
    msp = doc.modelspace()
    if what == "texts":
        for t in msp.query("TEXT"):
            print("%s|%s" % (t.dxf.layer, t.dxf.text))
    elif what == "layers":
        for layer in doc.layers:
            print("%s off=%d frozen=%d locked=%d color=%d" % (
                layer.dxf.name, layer.is_off(), layer.is_frozen(), layer.is_locked(),
                layer.color))
    elif what == "entities":
        for e in msp:
            line = e.dxftype() + " layer=" + e.dxf.layer
            if e.dxftype() == "LINE":
                line += " %r %r" % (tuple(e.dxf.start), tuple(e.dxf.end))
            elif e.dxftype() == "CIRCLE":
                line += " %r r=%g" % (tuple(e.dxf.center), e.dxf.radius)
            elif e.dxftype() == "LWPOLYLINE":
                line += " closed=%d %r" % (e.closed, [tuple(p) for p in e.get_points("xyb")])
            elif e.dxftype() == "MTEXT":
                line += " %r h=%g color=%d bg=%d bgcolor=%s" % (
                    e.text, e.dxf.char_height, e.dxf.color, e.dxf.get("bg_fill", 0),
                    e.dxf.get("bg_fill_color", None))
            elif e.dxftype() == "INSERT":
                line += " %s %r rot=%g" % (e.dxf.name, tuple(e.dxf.insert), e.dxf.rotation)
                for a in e.attribs:
                    line += " [%s=%s layer=%s]" % (a.dxf.tag, a.dxf.text, a.dxf.layer)
            if e.xdata is not None:
                line += " xdata=%r" % sorted((app, [tuple(t) for t in tags])
                                             for app, tags in e.xdata.data.items())
            print(line)
    elif what == "groups":
        for name, group in doc.groups:
            print("%s %s" % (name, " ".join(sorted(e.dxftype() for e in group))))
    elif what == "blocks":
        for block in doc.blocks:
            print("%s %d %s" % (block.name, len(block), " ".join(sorted(e.dxftype() for e in block))))
    elif what == "encoding":
        print(doc.encoding)
        print(doc.dxfversion)
    else:
        raise SystemExit("unknown query " + what)


def main(argv):
    if len(argv) < 3:
        raise SystemExit(__doc__)
    command = argv[1]
    if command == "make":
        FIXTURES[argv[2]](argv[3])
    elif command == "audit":
        audit(argv[2])
    elif command == "dump":
        dump(argv[2])
    elif command == "query":
        query(argv[2], argv[3])
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
