"""ppt-convert: a mesh from any format meshio reads to any it writes, the
suite's mesh files (.zmf) included.

    ppt-convert [options] IN OUT
"""

import argparse
import importlib
import os
import pathlib
import sys

import meshio
import numpy

from . import vtu, zmf

# Where meshio's writers keep the cell types they know, by format. A format
# not listed here is handed every cell and left to its writer.
WRITER_TYPES = {
    "vtu": ("meshio._vtk_common", "meshio_to_vtk_type"),
    "vtk": ("meshio._vtk_common", "meshio_to_vtk_type"),
    "gmsh": ("meshio.gmsh.common", "_meshio_to_gmsh_type"),
    "gmsh22": ("meshio.gmsh.common", "_meshio_to_gmsh_type"),
    "xdmf": ("meshio.xdmf.common", "meshio_to_xdmf_type"),
    "abaqus": ("meshio.abaqus._abaqus", "meshio_to_abaqus_type"),
    "nastran": ("meshio.nastran._nastran", "meshio_to_nastran_type"),
    "med": ("meshio.med._med", "meshio_to_med_type"),
    "exodus": ("meshio.exodus._exodus", "meshio_to_exodus_type"),
    "permas": ("meshio.permas._permas", "meshio_to_permas_type"),
    "su2": ("meshio.su2._su2", "meshio_to_su2_type"),
    "avsucd": ("meshio.avsucd._avsucd", "meshio_to_avsucd_type"),
    "flac3d": ("meshio.flac3d._flac3d", "meshio_to_flac3d_type"),
    "tecplot": ("meshio.tecplot._tecplot", "meshio_to_tecplot_type"),
}
FIXED_TYPES = {
    "stl": {"triangle"},
    "off": {"triangle"},
    "ply": {"triangle", "quad", "polygon"},
    "obj": {"triangle", "quad", "polygon"},
}


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
    p.add_argument("-c", "--cells", metavar="TYPE,...",
                   help="keep only the cells of these meshio types (line for the bars of a Gmsh mesh)")
    p.add_argument("-i", "--input-format", metavar="FORMAT", help="meshio format of IN, when its ending does not tell")
    p.add_argument("-o", "--output-format", metavar="FORMAT", help="meshio format of OUT, when its ending does not tell")
    p.add_argument("-h", "--help", action="help", help="show this help and exit")
    return p


def file_formats(path, given):
    """The formats to try for a file, from -i/-o or from its ending (.msh is
    Gmsh's before ANSYS's)."""
    if given:
        if given != "zmf" and given not in meshio._helpers.reader_map and given not in meshio._helpers._writer_map:
            raise Failure("unknown format %r" % given)
        return [given]
    try:
        kinds = meshio._helpers._filetypes_from_path(pathlib.Path(path))
    except meshio.ReadError:
        raise Failure("%s: the ending names no format that meshio knows (give one with -i or -o)" % path)
    return sorted(kinds, key=lambda kind: kind != "gmsh")


def node_types(choices):
    types = {}
    for choice in choices:
        count, _, name = choice.partition("=")
        try:
            types[int(count)] = name
        except ValueError:
            raise Failure("--nodes %s: COUNT=TYPE expected, e.g. 4=tetra" % choice)
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
            return meshio._helpers.reader_map[kind](path)
        except Exception as error:  # a foreign reader's fault is one line, never a traceback
            faults.append("as %s: %s" % (kind, str(error).strip().splitlines()[0] if str(error).strip()
                                          else type(error).__name__))
    raise Failure("%s: cannot be read %s" % (path, "; ".join(faults)))


def writable(kind):
    """The cell types a format holds, or None when that is not known."""
    if kind in FIXED_TYPES:
        return FIXED_TYPES[kind]
    where = WRITER_TYPES.get(kind)
    if where is None:
        return None
    try:
        return set(getattr(importlib.import_module(where[0]), where[1]))
    except (ImportError, AttributeError):
        return None


def cell_set(members, cells):
    """Whether `members` indexes a block of `cells` cells."""
    if members is None:
        return False
    members = numpy.asarray(members)
    return members.ndim == 1 and members.dtype.kind in "iu" and \
        (members.size == 0 or (members.min() >= 0 and members.max() < cells))


def select(mesh, keep, kind):
    """Leaves out the cells not asked for, then those the output cannot hold
    (with one warning); cell data and cell sets go with their cells."""
    held = {block.type for block in mesh.cells}
    if keep is not None and keep - held:
        raise Failure("--cells: no cells of type %s in the mesh (it holds %s)" % (
            ", ".join(sorted(keep - held)), ", ".join(sorted(held)) or "none"))
    known = writable(kind)
    indices, dropped = [], {}
    for k, block in enumerate(mesh.cells):
        if keep is not None and block.type not in keep:
            continue
        if zmf.holds(block) if kind == "zmf" else known is None or block.type in known:
            indices.append(k)
        else:
            dropped[block.type] = dropped.get(block.type, 0) + len(block.data)
    if dropped:
        sys.stderr.write("ppt-convert: warning: %d cells left out that %s cannot hold (%s)\n" % (
            sum(dropped.values()), kind, ", ".join("%d %s" % (n, t) for t, n in sorted(dropped.items()))))
    mesh_cells = mesh.cells
    mesh.cells = [mesh.cells[k] for k in indices]
    mesh.cell_data = {name: [values[k] for k in indices] for name, values in mesh.cell_data.items()}
    # Gmsh's bounding entities come as cell sets that do not index their
    # cells, and stop the writers that turn sets into data: only true sets stay.
    mesh.cell_sets = {name: [values[k] for k in indices] for name, values in (mesh.cell_sets or {}).items()
                      if all(cell_set(values[k], len(mesh_cells[k])) for k in indices)}


def main(argv=None):
    try:
        options = parser().parse_args(argv)
        sources = file_formats(options.input, options.input_format)
        try:
            if vtu.run(options, sources):
                return 0
        except vtu.VtuError as error:
            raise Failure(str(error))
        target = file_formats(options.output, options.output_format)[0]
        sources = [kind for kind in sources if kind == "zmf" or kind in meshio._helpers.reader_map]
        if not sources:
            raise Failure("meshio cannot read %s files" % options.input)
        if target != "zmf" and target not in meshio._helpers._writer_map:
            raise Failure("meshio cannot write %s files" % target)
        keep = None
        if options.cells is not None:
            keep = {name.strip() for name in options.cells.split(",") if name.strip()}
        mesh = read(options.input, sources, options)
        if not isinstance(mesh.cell_data, dict):
            mesh.cell_data = {}
        select(mesh, keep, target)
        try:
            if target == "zmf":
                header = None
                if not (isinstance(mesh.info, dict) and zmf.HEADER_KEY in mesh.info):
                    header = os.path.basename(options.input)
                zmf.write(options.output, mesh, header=header)
            else:
                meshio.write(options.output, mesh, file_format=target)
        except Exception as error:  # as above: one line
            raise Failure("%s: cannot be written as %s: %s" % (options.output, target, str(error).strip() or type(error).__name__))
    except Failure as error:
        sys.stderr.write("ppt-convert: %s\n" % error)
        return 1
    except KeyboardInterrupt:
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
