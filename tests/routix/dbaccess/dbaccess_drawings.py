"""The independent side of the drawing-access tests: Debian's ezdxf writes the drawings that
are inserted and reads back what the insertion made.

    dbaccess_drawings.py source OUT.dxf [huge] [dimscale=N] [empty]
        a drawing with a line on an off layer, a circle on a frozen layer and a line on a
        locked layer; "huge" adds a line 200000 units long, "empty" leaves only a zero-length
        line, "dimscale=N" sets the dimension scale
    dbaccess_drawings.py inserts FILE.dxf
        one line per model-space INSERT: layer, x, y and the layers of its block's entities

Run with the system's /usr/bin/python3, which has python3-ezdxf.
"""

import sys

import ezdxf


def source(path, options):
    doc = ezdxf.new("R2010")
    doc.layers.add("OFFLAYER").off()
    doc.layers.add("FROZENLAYER").freeze()
    doc.layers.add("LOCKEDLAYER").lock()
    msp = doc.modelspace()
    if "empty" in options:
        msp.add_line((5, 5), (5, 5))
    else:
        msp.add_line((10, 20), (30, 40), dxfattribs={"layer": "OFFLAYER"})
        msp.add_circle((-500, -500), 5, dxfattribs={"layer": "FROZENLAYER"})
        msp.add_line((-300, -300), (-290, -290), dxfattribs={"layer": "LOCKEDLAYER"})
    if "huge" in options:
        msp.add_line((-100000, 0), (100000, 0))
    for option in options:
        if option.startswith("dimscale="):
            doc.header["$DIMSCALE"] = float(option.split("=")[1])
    doc.saveas(path)


def inserts(path):
    doc = ezdxf.readfile(path)
    for ref in doc.modelspace().query("INSERT"):
        layers = sorted(e.dxf.layer for e in doc.blocks.get(ref.dxf.name))
        p = ref.dxf.insert
        print(f"{ref.dxf.layer} {p.x:g} {p.y:g} {' '.join(layers)}")


if __name__ == "__main__":
    if sys.argv[1] == "source":
        source(sys.argv[2], sys.argv[3:])
    else:
        inserts(sys.argv[2])
