"""ppt-convert: a mesh from any format meshio reads to any it writes, the
suite's mesh files (.zmf) included.

    ppt-convert [options] IN OUT
"""

import argparse
import os
import sys
import warnings

import meshio
import numpy

from . import losses, outfile, shells, vtu, zmf

# Formats that hold triangles alone: faces and solids go as outward triangles.
TRIANGLES_ONLY = {"stl"}


class Failure(Exception):
    pass


class Parser(argparse.ArgumentParser):
    def error(self, message):
        raise Failure(message + " (ppt-convert -h for help)")


def parser():
    p = Parser(prog="ppt-convert", add_help=False,
               description="Converts a mesh between the formats of meshio, the suite's .zmf included.")
    p.add_argument("input", metavar="IN")
    p.add_argument("output", metavar="OUT")
    p.add_argument("-d", "--drawing", type=int, default=1,
                   help="the drawing of a .zmf input, from 1 (default 1)")
    p.add_argument("-n", "--nodes", action="append", default=[], metavar="COUNT=TYPE",
                   help="elements of COUNT nodes of a .zmf input are cells of TYPE (4=tetra, 8=hexahedron)")
    p.add_argument("-p", "--pieces", type=int, metavar="N",
                   help="a .pvtu output over N pieces of consecutive elements (.zmf to .pvtu)")
    p.add_argument("-z", "--compress", action="store_true",
                   help="the arrays of a .vtu or .pvtu compressed by zlib: a smaller file, slower to write")
    p.add_argument("-c", "--cells", metavar="TYPE,...",
                   help="keep only the cells of these meshio types (line for the bars of a Gmsh mesh)")
    p.add_argument("-i", "--input-format", metavar="FORMAT", help="meshio format of IN, when its ending does not tell")
    p.add_argument("-o", "--output-format", metavar="FORMAT", help="meshio format of OUT, when its ending does not tell")
    p.add_argument("-h", "--help", action="help", help="show this help and exit")
    return p


def known_formats():
    return {"zmf"} | {kind for kinds in meshio.extension_to_filetypes.values() for kind in kinds}


def file_formats(path, given):
    """The formats to try for a file, from -i/-o or from its ending (.msh is
    Gmsh's before ANSYS's)."""
    if given:
        # Some of meshio's writers have no ending of their own (gmsh22,
        # vtk42): a name is known when meshio writes a triangle with it.
        if given not in known_formats() and not losses.writes(given):
            raise Failure("unknown format %r" % given)
        return [given]
    kinds, ending = [], ""
    for suffix in reversed(os.path.basename(path).split(".")[1:]):
        ending = ("." + suffix + ending).lower()
        kinds += meshio.extension_to_filetypes.get(ending, [])
    if not kinds:
        raise Failure("%s: the ending names no format that meshio knows (give one with -i or -o)" % path)
    return sorted(kinds, key=lambda kind: kind != "gmsh")


def check_output(path):
    """Refuses an output that cannot be written, before any work."""
    folder = os.path.dirname(path) or "."
    if os.path.isdir(path):
        raise Failure("%s: is a folder" % path)
    if not os.path.isdir(folder):
        raise Failure("%s: %s is not a folder" % (path, folder) if os.path.exists(folder)
                      else "%s: no folder %s" % (path, folder))
    if not os.access(path if os.path.exists(path) else folder, os.W_OK):
        raise Failure("%s: cannot be written (permission denied)" % path)


def node_types(choices):
    types = {}
    for choice in choices:
        count, _, name = choice.partition("=")
        try:
            count = int(count)
        except ValueError:
            name = ""
        if not name:
            raise Failure("--nodes %s: COUNT=TYPE expected, e.g. 4=tetra" % choice)
        if not 1 <= count <= zmf.COUNT_LIMIT:
            raise Failure("--nodes %s: the node count must be from 1 to %d" % (choice, zmf.COUNT_LIMIT))
        types[count] = name
    try:
        zmf.check_types(types)
    except ValueError as error:
        raise Failure("--nodes: %s" % error)
    return types


def read(path, kinds, options):
    if kinds == ["zmf"]:
        try:
            return zmf.read(path, options.drawing, node_types(options.nodes))
        except zmf.ZmfError as error:
            raise Failure(str(error))
    if options.drawing != 1 or options.nodes:
        raise Failure("--drawing and --nodes apply to a .zmf input")
    if not os.path.isfile(path):
        raise Failure("%s: no such file" % path)
    faults = []
    for kind in kinds:
        try:
            with losses.quiet():
                return meshio.read(path, file_format=kind)
        except Exception as error:  # a foreign reader's fault is one line, never a traceback
            faults.append("as %s: %s" % (kind, str(error).strip().splitlines()[0] if str(error).strip()
                                          else type(error).__name__))
    raise Failure("%s: cannot be read %s" % (path, "; ".join(faults)))


def cell_set(members, cells):
    """Whether `members` indexes a block of `cells` cells."""
    if members is None:
        return False
    members = numpy.asarray(members)
    return members.ndim == 1 and members.dtype.kind in "iu" and \
        (members.size == 0 or (members.min() >= 0 and members.max() < cells))


def select(mesh, keep):
    """Leaves out the cells not asked for; cell data and cell sets go with
    their cells."""
    held = {block.type for block in mesh.cells}
    if keep is not None and keep - held:
        raise Failure("--cells: no cells of type %s in the mesh (it holds %s)" % (
            ", ".join(sorted(keep - held)), ", ".join(sorted(held)) or "none"))
    keep_blocks(mesh, [k for k, block in enumerate(mesh.cells) if keep is None or block.type in keep])


def keep_blocks(mesh, indices):
    mesh_cells = mesh.cells
    mesh.cells = [mesh.cells[k] for k in indices]
    mesh.cell_data = {name: [values[k] for k in indices] for name, values in mesh.cell_data.items()}
    # Gmsh's bounding entities come as cell sets that do not index their
    # cells, and stop the writers that turn sets into data: only true sets stay.
    sets = mesh.cell_sets or {}
    mesh.cell_sets = {name: [values[k] for k in indices] for name, values in sets.items()
                      if all(cell_set(values[k], len(mesh_cells[k])) for k in indices)}
    if len(mesh.cell_sets) < len(sets):
        warnings.warn("not written (they do not index their cells): cell sets %s" % ", ".join(
            sorted(str(name) for name in sets if name not in mesh.cell_sets)), losses.LossWarning)


def fit(mesh, kind, path):
    """Leaves out the cells that the format cannot hold, and says what it will
    not hold of the rest; refuses a mesh with no cell left."""
    if kind in TRIANGLES_ONLY:
        mesh, open_edges = shells.to_triangles(mesh)
        if open_edges:
            warnings.warn("%d edges of the triangles are not met by exactly one other running them the other way: "
                          "the solids are not closed shells" % open_edges, losses.LossWarning)
    if kind == "zmf":
        held = [k for k, block in enumerate(mesh.cells) if zmf.holds(block)]
    else:
        try:
            held = losses.held_blocks(mesh, kind, os.path.splitext(path)[1])
        except losses.MissingModule as error:
            raise Failure("%s: not written: %s" % (path, error))
    dropped = {}
    for k, block in enumerate(mesh.cells):
        if k not in held:
            dropped[block.type] = dropped.get(block.type, 0) + len(block.data)
    if dropped:
        warnings.warn("%d cells left out that %s cannot hold (%s)" % (
            sum(dropped.values()), kind, ", ".join("%d %s" % (n, t) for t, n in sorted(dropped.items()))),
            losses.LossWarning)
    keep_blocks(mesh, held)
    if not any(len(block.data) for block in mesh.cells):
        raise Failure("%s: not written: no cell left to write" % path)
    if kind != "zmf":
        losses.check_format(mesh, kind, os.path.splitext(path)[1])
    return mesh


def write(path, mesh, kind, header):
    """Writes the output whole or not at all (outfile.staged)."""
    staged = path
    try:
        with outfile.staged(path) as staged:
            _write(staged, mesh, kind, header)
    except ImportError as error:
        raise Failure("%s: not written: %s" % (path, losses.missing_module(kind, error)))
    except Exception as error:  # any writer's fault: one line, no part of a file
        if isinstance(error, OSError) and error.strerror:
            raise Failure("%s: cannot be written: %s" % (path, error.strerror))
        said = str(error).replace(staged, path).strip()  # the writer's name of the file is the user's
        raise Failure("%s: cannot be written as %s: %s" % (path, kind, said.splitlines()[0] if said
                                                            else type(error).__name__))


def _write(path, mesh, kind, header):
    if kind == "zmf":
        zmf.write(path, mesh, header=header)
    elif kind == "stl":
        shells.write_stl(path, mesh)
    else:
        with losses.quiet() as said:
            meshio.write(path, mesh, file_format=kind)
        for line in said:
            warnings.warn("meshio: " + line)


def tell(line):
    """A line on standard error, which may be closed or full."""
    try:
        if sys.stderr is not None:
            sys.stderr.write(line + "\n")
            sys.stderr.flush()
    except (OSError, ValueError):
        pass


def say(message, category, filename, lineno, file=None, line=None):
    tell("ppt-convert: warning: %s" % " ".join(str(message).split()))


def main(argv=None):
    warnings.showwarning = say
    warnings.simplefilter("always")
    outfile.end_as_interrupt()
    losses.use_tool_hints()
    options = argparse.Namespace(input="ppt-convert")
    try:
        options = parser().parse_args(argv)
        sources = file_formats(options.input, options.input_format)
        check_output(options.output)
        try:
            if vtu.run(options, sources, node_types(options.nodes)):
                return 0
        except vtu.VtuError as error:
            raise Failure(str(error))
        target = file_formats(options.output, options.output_format)[0]
        keep = None
        if options.cells is not None:
            keep = {name.strip() for name in options.cells.split(",") if name.strip()}
        mesh = read(options.input, sources, options)
        if not isinstance(mesh.cell_data, dict):
            mesh.cell_data = {}
        select(mesh, keep)
        mesh = fit(mesh, target, options.output)
        header = None
        if not (isinstance(mesh.info, dict) and zmf.HEADER_KEY in mesh.info):
            header = os.path.basename(options.input)
        write(options.output, mesh, target, header)
    except Failure as error:
        tell("ppt-convert: %s" % error)
        return 1
    except KeyboardInterrupt:
        return 1
    except MemoryError:
        tell("ppt-convert: %s: out of memory" % options.input)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
