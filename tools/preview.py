"""Writes a PNG picture of a drawing (.dxf) or of a mesh file (.zmf)."""

import os
import sys
import warnings


class Unreadable(Exception):
    pass


class Unwritable(Exception):
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

# Past this many faces and bars matplotlib takes minutes and gigabytes: a
# sample of them is drawn, the same one on every run.
DRAWN = 50000


def read_mesh(path):
    """Header, drawing label, elements (arrays of node lists from 0, in the
    file's order, one per node count) and nodes of the first drawing, read
    by the package pptools."""
    try:
        from pptools import GuessWarning, zmf
    except ImportError as error:
        raise Unreadable("%s (Debian: apt-get install python3-meshio python3-numpy)" % error)
    try:
        with warnings.catch_warnings():
            # A picture draws the nodes of an element whatever its type.
            warnings.simplefilter("ignore", GuessWarning)
            mesh = zmf.read(path)
    except zmf.ZmfError as error:
        raise Unreadable(error.detail)
    elements = [zmf.file_order(block.type, block.data) for block in mesh.cells]
    return mesh.info[zmf.HEADER_KEY].strip(), mesh.info[zmf.LABEL_KEY].strip(), elements, mesh.points


def shapes(elements):
    """Polygons and lines to draw, as node lists from 0: a brick's six faces,
    a face as itself, an element of one or two nodes as a line."""
    import numpy as np

    polygons, lines = [], []
    for nodes in elements:
        if nodes.shape[1] == 20:
            polygons.append(nodes[:, np.array(BRICK_FACES) - 1].reshape(-1, 8))
        elif nodes.shape[1] >= 3:
            polygons.append(nodes)
        else:
            lines.append(nodes[:, [0, -1]])
    return polygons, lines


def sample(groups, total, limit, seed=0):
    """At most `limit` of the `total` rows of the arrays, a fixed choice."""
    import numpy as np

    if total <= limit:
        return groups
    chosen = np.sort(np.random.default_rng(seed).choice(total, size=limit, replace=False))
    out, start = [], 0
    for rows in groups:
        mine = chosen[(chosen >= start) & (chosen < start + len(rows))] - start
        out.append(rows[mine])
        start += len(rows)
    return out


def preview_mesh(path, out):
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    from mpl_toolkits.mplot3d.art3d import Line3DCollection, Poly3DCollection

    header, label, elements, xyz = read_mesh(path)
    count = sum(len(nodes) for nodes in elements)
    polygons, lines = shapes(elements)
    shown = sum(len(rows) for rows in polygons + lines)
    chosen = sample(polygons + lines, shown, DRAWN)
    polygons, lines = chosen[:len(polygons)], chosen[len(polygons):]
    drawn = sum(len(rows) for rows in chosen)
    note = ""
    if drawn < shown:
        note = "; a sample of %d of its %d faces and bars drawn" % (drawn, shown)
        tell("preview: %s: %d elements%s (ppt-convert to .vtu and ParaView show them all)" % (path, count, note))
    figure = plt.figure(figsize=(9, 8))
    axes = figure.add_subplot(projection="3d")
    axes.set_box_aspect((1, 1, 1))
    for rows in polygons:
        if len(rows):
            axes.add_collection3d(Poly3DCollection(
                xyz[rows], facecolor="#9ec3e6", edgecolor="#1f3b57", linewidth=0.4, alpha=0.85))
    for rows in lines:
        if len(rows):
            axes.add_collection3d(Line3DCollection(xyz[rows], colors="#b03020", linewidths=1.5))
    if len(xyz):
        low, high = xyz.min(axis=0), xyz.max(axis=0)
        centre = (low + high) / 2
        half = max(float((high - low).max()) / 2, 1e-9)
        axes.set_xlim(centre[0] - half, centre[0] + half)
        axes.set_ylim(centre[1] - half, centre[1] + half)
        axes.set_zlim(centre[2] - half, centre[2] + half)
    axes.set_xlabel("x")
    axes.set_ylabel("y")
    axes.set_zlabel("z")
    # The file's own text: a "$" is no mathematics, a byte no font holds no warning.
    axes.set_title("%s - %s\n%d elements, %d nodes%s" % (header, label, count, len(xyz), note.replace("; ", "\n")),
                   parse_math=False)
    with warnings.catch_warnings():
        warnings.filterwarnings("ignore", message="Glyph .* missing from", category=UserWarning)
        figure.savefig(out, dpi=100)
    plt.close(figure)


def outfile():
    """pptools' writer of whole outputs (pptools/outfile.py), loaded alone:
    the package needs meshio, which a drawing does not."""
    import importlib.util

    package = importlib.util.find_spec("pptools")
    for folder in (package.submodule_search_locations or []) if package else []:
        spec = importlib.util.spec_from_file_location("pptools_outfile", os.path.join(folder, "outfile.py"))
        if spec is not None and os.path.isfile(spec.origin):
            module = importlib.util.module_from_spec(spec)
            spec.loader.exec_module(module)
            return module
    raise ImportError("the package pptools is missing, whose outfile.py writes the picture")


def check_output(out):
    """Refuses a picture that cannot be written, before any work."""
    folder = os.path.dirname(out) or "."
    if os.path.isdir(out):
        raise Unwritable("is a folder")
    if not os.access(out if os.path.exists(out) else folder, os.W_OK):
        raise Unwritable("permission denied")


def main(argv):
    if len(argv) != 2:
        tell("usage: tools/preview JOB.dxf | JOB.zmf")
        return 1
    path = argv[1]
    extension = os.path.splitext(path)[1].lower()
    out = png_name(path)
    try:
        if extension not in (".dxf", ".zmf"):
            raise Unreadable("the name must end in .dxf or .zmf")
        check_output(out)
        picture = outfile()
        picture.end_as_interrupt()
        try:
            # Drawn beside its place and put there when whole.
            with picture.staged(out) as written:
                (preview_dxf if extension == ".dxf" else preview_mesh)(path, written)
        except OSError as error:  # the picture's: the input's are Unreadable
            raise Unwritable(error.strerror or str(error))
    except Unreadable as error:
        tell("preview: cannot read %s: %s" % (path, " ".join(str(error).split())))
        return 1
    except Unwritable as error:
        tell("preview: cannot write %s: %s" % (out, error))
        return 1
    except ImportError as error:
        tell("preview: %s: %s" % (path, " ".join(str(error).split())))
        return 1
    except MemoryError:
        tell("preview: %s: out of memory" % path)
        return 1
    except KeyboardInterrupt:
        return 1
    try:
        sys.stdout.write("Wrote %s\n" % out)
        sys.stdout.flush()
    except OSError as error:
        # Nothing more goes there, at exit either.
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
        if not isinstance(error, BrokenPipeError):  # a reader gone: no word, as a filter
            tell("preview: standard output: %s" % (error.strerror or error))
        return 1
    except (AttributeError, ValueError):  # no standard output at all
        return 1
    return 0


def tell(line):
    """A line on standard error, which may be closed or full."""
    try:
        sys.stderr.write(line + "\n")
        sys.stderr.flush()
    except (AttributeError, OSError, ValueError):
        pass


if __name__ == "__main__":
    sys.exit(main(sys.argv))
