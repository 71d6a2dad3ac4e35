"""Reads a DXF file with ezdxf and prints what the tests compare as JSON on stdout."""
import json
import sys

import ezdxf


def entity(e):
    out = {"type": e.dxftype(), "layer": e.dxf.layer}
    if e.dxftype() == "LINE":
        out["start"] = list(e.dxf.start)[:2]
        out["end"] = list(e.dxf.end)[:2]
    elif e.dxftype() == "CIRCLE":
        out["center"] = list(e.dxf.center)[:2]
        out["radius"] = e.dxf.radius
    elif e.dxftype() == "POLYLINE":
        out["closed"] = e.is_closed
        out["vertices"] = [list(v.dxf.location)[:2] for v in e.vertices]
    return out


def main():
    doc = ezdxf.readfile(sys.argv[1])
    auditor = doc.audit()
    print(json.dumps({
        "version": doc.dxfversion,
        "errors": len(auditor.errors),
        "fixes": len(auditor.fixes),
        "insunits": doc.header.get("$INSUNITS", 0),
        "layers": [layer.dxf.name for layer in doc.layers],
        "linetypes": [lt.dxf.name for lt in doc.linetypes],
        "entities": [entity(e) for e in doc.modelspace()],
    }))


if __name__ == "__main__":
    main()
