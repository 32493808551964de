"""The independent side of the mirror and surplus-length tests: Debian's ezdxf writes the
drawings that entry points 1002, 1007 and 1030 change, and reads back what cadhost saved.

    edit_drawings.py symbols PATH
        three symbols "SYM" with ADDITION values 10, none and 10 (K1, K2, K3), one with 20
        (K4), a text, a line and a symbol on the locked layer "LOCKED" (K5); prints
        "NAME HANDLE" for each
    edit_drawings.py shapes PATH
        one entity of every type the mirror must handle, with a text and a symbol (two hatches:
        HATCH with a polyline path, HATCH2 with a line and an arc edge) and a MESH, which the
        drawing database does not transform; prints "TYPE HANDLE" for each
    edit_drawings.py dump PATH
        one line per model-space entity: "TYPE HANDLE LAYER key=value ..." (insert points,
        text rotation, attributes "ATTRIB TAG TEXT LAYER HEIGHT"), in file order, and the
        layers as "LAYER NAME frozen=0|1"

Run with the system's /usr/bin/python3, which has python3-ezdxf.
"""

import sys

import ezdxf


def symbol_block(doc):
    blk = doc.blocks.new("SYM")
    blk.add_circle((0, 0), 2)
    blk.add_attdef("NAME", (0, 3), dxfattribs={"height": 1})


def symbols(path):
    doc = ezdxf.new("R2010")
    symbol_block(doc)
    doc.layers.add("LOCKED").lock()
    msp = doc.modelspace()
    names = {}
    for i, value in enumerate(["10", None, "10", "20", "30"]):
        layer = "LOCKED" if i == 4 else "0"
        ref = msp.add_blockref("SYM", (10 * i, 0), dxfattribs={"layer": layer})
        ref.add_attrib("NAME", "K%d" % (i + 1), (10 * i, 3))
        if value is not None:
            ref.add_attrib("ADDITION", value, (10 * i, -3), dxfattribs={"layer": "0"})
        names["K%d" % (i + 1)] = ref.dxf.handle
    names["TEXT"] = msp.add_text("ABC", dxfattribs={"insert": (5, 10), "height": 2}).dxf.handle
    names["LINE"] = msp.add_line((0, 20), (10, 25)).dxf.handle
    doc.saveas(path)
    for name, handle in names.items():
        print(name, handle)


def shapes(path):
    doc = ezdxf.new("R2010")
    symbol_block(doc)
    msp = doc.modelspace()
    made = [
        msp.add_point((1, 2)),
        msp.add_solid([(0, 0), (2, 0), (0, 2), (2, 2)]),
        msp.add_trace([(0, 0), (2, 0), (0, 1), (2, 1)]),
        msp.add_3dface([(0, 0), (2, 0), (2, 2), (0, 2)]),
        msp.add_ellipse((5, 5), major_axis=(3, 1), ratio=0.5, start_param=0.2, end_param=2.0),
        msp.add_open_spline([(0, 0), (2, 3), (4, 1), (6, 4)]),
        msp.add_polyline2d([(0, 0), (3, 0), (3, 3)]),
        msp.add_lwpolyline([(10, 0, 0.5), (12, 0, 0), (12, 2, 0)], format="xyb"),
        msp.add_line((1, 1), (4, 2)),
        msp.add_circle((3, 3), 1),
        msp.add_arc((6, 6), 2, 10, 80),
        msp.add_text("MIRROR", dxfattribs={"insert": (20, 5), "height": 2}),
        msp.add_mtext("M TEXT", dxfattribs={"insert": (20, 10), "char_height": 2}),
    ]
    hatch = msp.add_hatch(color=3)
    hatch.paths.add_polyline_path([(30, 0), (34, 0), (34, 3)], is_closed=True)
    made.append(hatch)
    edges = msp.add_hatch(color=4)
    edge_path = edges.paths.add_edge_path()
    edge_path.add_line((64, 0), (60, 0))
    edge_path.add_arc((62, 0), 2, 180, 360)
    made.append(edges)
    leader = msp.add_leader([(40, 0), (42, 2), (45, 2)])
    made.append(leader)
    dim = msp.add_linear_dim(base=(0, -5), p1=(0, -2), p2=(6, -2))
    dim.render()
    made.append(dim.dimension)
    ref = msp.add_blockref("SYM", (50, 0))
    ref.add_attrib("NAME", "K1", (50, 3))
    made.append(ref)
    mesh = msp.add_mesh()
    with mesh.edit_data() as data:
        data.vertices = [(70, 0, 0), (72, 0, 0), (72, 2, 0)]
        data.faces = [(0, 1, 2)]
    made.append(mesh)
    doc.saveas(path)
    for entity in made:
        print("HATCH2" if entity is edges else entity.dxftype(), entity.dxf.handle)


def fmt(v):
    return "%.3f" % v if abs(v) > 0.0005 else "0.000"


def point(p):
    return ",".join(fmt(c) for c in (p[0], p[1]))


def dump(path):
    doc = ezdxf.readfile(path)
    for e in doc.modelspace():
        fields = [e.dxftype(), e.dxf.handle, e.dxf.layer]
        t = e.dxftype()
        if t in ("INSERT", "TEXT", "POINT"):
            fields.append("at=" + point(e.dxf.location if t == "POINT" else e.dxf.insert))
        if t == "INSERT":
            fields.append("xscale=" + fmt(e.dxf.xscale))
            fields.append("rotation=" + fmt(e.dxf.rotation % 360))
        if t == "TEXT":
            fields.append("rotation=" + fmt(e.dxf.rotation % 360))
            fields.append("mirror=%d" % e.dxf.text_generation_flag)
        if t == "LINE":
            fields.append("from=" + point(e.dxf.start) + " to=" + point(e.dxf.end))
        if t in ("CIRCLE", "ARC"):
            fields.append("center=" + point(e.dxf.center))
        if t == "ELLIPSE":
            fields.append("center=" + point(e.dxf.center) + " major=" + point(e.dxf.major_axis))
        if t in ("SOLID", "TRACE", "3DFACE"):
            fields.append("v0=" + point(e.dxf.vtx0) + " v1=" + point(e.dxf.vtx1))
        if t == "SPLINE":
            fields.append("c0=" + point(e.control_points[0]) + " c3=" + point(e.control_points[3]))
        if t == "POLYLINE":
            fields.append("v1=" + point(list(e.vertices)[1].dxf.location))
        if t == "LWPOLYLINE":
            pts = list(e.get_points("xyb"))
            fields.append("p0=" + point(pts[0]) + " b0=" + fmt(pts[0][2]))
        if t == "MTEXT":
            fields.append("at=" + point(e.dxf.insert))
        if t == "HATCH":
            path = e.paths[0]
            if hasattr(path, "vertices"):
                fields.append("p0=" + point(path.vertices[0]))
            else:
                line, arc = path.edges[0], path.edges[1]
                fields.append("line=" + point(line.start) + ">" + point(line.end) +
                              " arc=" + point(arc.center) + " angles=" + fmt(arc.start_angle) +
                              "," + fmt(arc.end_angle) + " ccw=%d" % arc.ccw)
        if t == "LEADER":
            fields.append("v0=" + point(e.vertices[0]))
        if t == "DIMENSION":
            fields.append("p1=" + point(e.dxf.defpoint2) + " p2=" + point(e.dxf.defpoint3))
            block = doc.blocks.get(e.dxf.geometry)
            lines = [x for x in block if x.dxftype() == "LINE"]
            fields.append("block=%s first=%s" % (e.dxf.geometry, point(lines[0].dxf.start)))
        print(" ".join(fields))
        if t == "INSERT":
            for a in e.attribs:
                print("  ATTRIB", a.dxf.tag, a.dxf.text, a.dxf.layer, fmt(a.dxf.height),
                      "at=" + point(a.dxf.insert), "rotation=" + fmt(a.dxf.rotation % 360))
    for layer in doc.layers:
        print("LAYER", layer.dxf.name, "frozen=%d" % layer.is_frozen())


if __name__ == "__main__":
    {"symbols": symbols, "shapes": shapes, "dump": dump}[sys.argv[1]](sys.argv[2])
