"""Writes a PNG picture of a drawing (.dxf) or of a mesh file (.zmf)."""

import os
import sys


class Unreadable(Exception):
    pass


def png_name(path):
    return os.path.splitext(path)[0] + ".png"


def preview_dxf(path, out):
    import ezdxf
    from ezdxf.addons.drawing import Frontend, RenderContext
    from ezdxf.addons.drawing.matplotlib import MatplotlibBackend
    from ezdxf.addons.drawing.properties import LayoutProperties
    import logging
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    # The drawing names no font; the fallback font serves and needs no notice.
    logging.getLogger("matplotlib.font_manager").setLevel(logging.ERROR)
    try:
        doc = ezdxf.readfile(path)
    except (IOError, ezdxf.DXFStructureError) as error:
        raise Unreadable(str(error))
    msp = doc.modelspace()
    if len(msp) == 0:
        raise Unreadable("the drawing holds no entity")
    # Layers exist only by the names in the entities; give each an entry of
    # the default colour, which is drawn black on the white background.
    for name in sorted({e.dxf.layer for e in msp}):
        if name not in doc.layers:
            doc.layers.add(name, color=7)
    figure = plt.figure(figsize=(10.4, 9.0))
    axes = figure.add_axes([0, 0, 1, 1])
    properties = LayoutProperties.from_layout(msp)
    properties.set_colors("#ffffff")
    Frontend(RenderContext(doc), MatplotlibBackend(axes)).draw_layout(
        msp, finalize=True, layout_properties=properties)
    figure.set_size_inches(10.4, 9.0)  # the backend resizes the figure to the drawing
    figure.savefig(out, dpi=100, facecolor="#ffffff")
    plt.close(figure)


# Outer faces of a 20-node brick, each a corner then alternately mid-side and
# corner nodes around its boundary (the node order of the brick's faces).
BRICK_FACES = [
    (1, 2, 3, 4, 5, 6, 7, 8),
    (1, 2, 3, 10, 15, 14, 13, 9),
    (3, 4, 5, 11, 17, 16, 15, 10),
    (5, 6, 7, 12, 19, 18, 17, 11),
    (7, 8, 1, 9, 13, 20, 19, 12),
    (13, 14, 15, 16, 17, 18, 19, 20),
]


def read_mesh(path):
    """Header, drawing label, elements (node lists from 1, in the file's
    order) and nodes of the first drawing, read by the package pptools."""
    try:
        from pptools import zmf
    except ImportError as error:
        raise Unreadable("%s (Debian: apt-get install python3-meshio python3-numpy)" % error)
    try:
        mesh = zmf.read(path)
    except zmf.ZmfError as error:
        raise Unreadable(error.detail)
    elements = []
    for block in mesh.cells:
        elements += (zmf.file_order(block.type, block.data) + 1).tolist()
    coordinates = [tuple(p) for p in mesh.points.tolist()]
    return mesh.info[zmf.HEADER_KEY].strip(), mesh.info[zmf.LABEL_KEY].strip(), elements, coordinates


def preview_mesh(path, out):
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    from mpl_toolkits.mplot3d.art3d import Line3DCollection, Poly3DCollection

    header, label, elements, xyz = read_mesh(path)
    polygons, lines = [], []
    for nodes in elements:
        if len(nodes) == 20:
            polygons += [[xyz[nodes[k - 1] - 1] for k in face] for face in BRICK_FACES]
        elif len(nodes) >= 3:
            polygons.append([xyz[n - 1] for n in nodes])
        else:
            lines.append([xyz[n - 1] for n in nodes] * (2 if len(nodes) == 1 else 1))
    figure = plt.figure(figsize=(9, 8))
    axes = figure.add_subplot(projection="3d")
    axes.set_box_aspect((1, 1, 1))
    if polygons:
        axes.add_collection3d(Poly3DCollection(
            polygons, facecolor="#9ec3e6", edgecolor="#1f3b57", linewidth=0.4, alpha=0.85))
    if lines:
        axes.add_collection3d(Line3DCollection(lines, colors="#b03020", linewidths=1.5))
    if xyz:
        low = [min(p[k] for p in xyz) for k in range(3)]
        high = [max(p[k] for p in xyz) for k in range(3)]
        centre = [(a + b) / 2 for a, b in zip(low, high)]
        half = max(max(b - a for a, b in zip(low, high)) / 2, 1e-9)
        axes.set_xlim(centre[0] - half, centre[0] + half)
        axes.set_ylim(centre[1] - half, centre[1] + half)
        axes.set_zlim(centre[2] - half, centre[2] + half)
    axes.set_xlabel("x")
    axes.set_ylabel("y")
    axes.set_zlabel("z")
    axes.set_title("%s - %s\n%d elements, %d nodes" % (header, label, len(elements), len(xyz)))
    figure.savefig(out, dpi=100)
    plt.close(figure)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: tools/preview JOB.dxf | JOB.zmf\n")
        return 1
    path = argv[1]
    extension = os.path.splitext(path)[1].lower()
    try:
        if extension == ".dxf":
            preview_dxf(path, png_name(path))
        elif extension == ".zmf":
            preview_mesh(path, png_name(path))
        else:
            raise Unreadable("the name must end in .dxf or .zmf")
    except Unreadable as error:
        sys.stderr.write("preview: cannot read %s: %s\n" % (path, error))
        return 1
    print("Wrote %s" % png_name(path))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
