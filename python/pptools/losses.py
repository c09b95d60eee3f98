"""What a written file will not hold of a mesh, said before it is written.

Every loss is one LossWarning through Python's warnings: cells that read
back as another type, data and sets that the format drops, coordinates that
a mesh file's 8 decimals flatten. What meshio's formats hold is found by
writing a sample of the mesh (one cell of each type) and reading it back.
"""

import contextlib
import io
import os
import re
import tempfile
import warnings

import meshio
import numpy as np


class LossWarning(UserWarning):
    """Part of a mesh that the file being written cannot hold."""


class GuessWarning(UserWarning):
    """Cells of a mesh file read as a type that their nodes make unlikely
    (a mesh file knows an element by its node count alone)."""


# How a message names the way back to a cell type: the library's argument,
# or ppt-convert's option once the tool says so.
_TOOL_HINTS = False


def use_tool_hints(on=True):
    global _TOOL_HINTS
    _TOOL_HINTS = on


def _warn(message, category=LossWarning):
    warnings.warn(message, category, stacklevel=4)


def _type_hint(count, name):
    if _TOOL_HINTS:
        return "-n %d=%s" % (count, name)
    return "types={%d: %r}" % (count, name)


# ------------------------------------------------------------ cell types

_FAMILY = re.compile(r"(vertex|line|triangle|quad|tetra|pyramid|wedge|hexahedron)([0-9]*)")
_FAMILY_NODES = {"vertex": 1, "line": 2, "triangle": 3, "quad": 4, "tetra": 4, "pyramid": 5, "wedge": 6,
                 "hexahedron": 8}


def known_type(name):
    """Whether meshio knows the cell type `name`."""
    try:
        meshio.CellBlock(name, np.empty((0, 1), dtype=np.int64))
    except (KeyError, TypeError, ValueError):
        return False
    return True


def node_count(name):
    """Nodes of a cell of meshio's type `name` (its name tells), or None."""
    match = _FAMILY.fullmatch(name)
    if match is None or not known_type(name):
        return None
    return int(match.group(2)) if match.group(2) else _FAMILY_NODES[match.group(1)]


# ------------------------------------------------------------ mesh files

# How far out of their plane the corners of a quad may stand, relative to
# its longer diagonal, and what the 8 decimals of a mesh file may add: a
# tetrahedron stands far out (0.7 when regular), a warped quad of a shell
# little.
FLAT = 1e-2
FLAT_ROUNDING = 2e-8


def say_guesses(name, points, cells, hint_types):
    """Says, in one warning, the 4-node elements read as quads whose corners
    are not in one plane: tetrahedra read without {4: "tetra"}. `cells`
    holds (cell type, node lists); `hint_types` are the types chosen."""
    if 4 in (hint_types or {}):
        return
    quads = [np.asarray(data) for kind, data in cells if kind == "quad"]
    total = sum(len(data) for data in quads)
    if not total:
        return
    raised = 0
    for data in quads:
        for first in range(0, len(data), 1 << 16):
            corner = [points[data[first:first + (1 << 16), k]] for k in range(4)]
            across = corner[2] - corner[0], corner[3] - corner[1]
            normal = np.cross(*across)
            size = np.sqrt(np.maximum(np.einsum("ij,ij->i", across[0], across[0]),
                                      np.einsum("ij,ij->i", across[1], across[1])))
            with np.errstate(invalid="ignore", divide="ignore"):
                # The distance between the lines of the two diagonals.
                height = np.abs(np.einsum("ij,ij->i", corner[1] - corner[0], normal)) / \
                    np.sqrt(np.einsum("ij,ij->i", normal, normal))
            raised += int(np.count_nonzero(height > FLAT * size + FLAT_ROUNDING))
    if raised:
        _warn("%s: %d of the %d 4-node elements are read as quads but their corners are not in one plane: "
              "if they are tetrahedra, read them with %s" % (name, raised, total, _type_hint(4, "tetra")),
              GuessWarning)

def _data_names(mesh, kept_point_sets=()):
    """The data and sets of a mesh, by kind, less those named as kept."""
    groups = [("point data", mesh.point_data), ("cell data", mesh.cell_data),
              ("field data", mesh.field_data),
              ("point sets", {k: v for k, v in (mesh.point_sets or {}).items() if k not in kept_point_sets}),
              ("cell sets", mesh.cell_sets)]
    return [(kind, sorted(str(name) for name in (names or {}))) for kind, names in groups]


def _say_dropped(groups, where):
    parts = ["%s %s" % (kind, ", ".join(names)) for kind, names in groups if names]
    if parts:
        _warn("not written (%s cannot hold them): %s" % (where, "; ".join(parts)))


def _flattened(points):
    """(distinct nodes written as another's text, nonzero values written as
    zero) when coordinates are written with 8 decimals."""
    rounded = np.round(points, 8)
    if np.array_equal(rounded, points):  # read from a mesh file: nothing to lose
        return 0, 0
    # Past 2**53 every double is a whole number, printed as it is.
    rounded = np.where(np.abs(points) < 2.0 ** 53, rounded, points)
    scaled = np.rint(points * 1e8)
    zeroed = int(np.count_nonzero((rounded == 0) & (points != 0)))
    if len(points) < 2:
        return 0, zeroed
    # Rows grouped by a 64-bit key of their text (values past the range of
    # the integers share one); only rows that share a key with another are
    # compared whole.
    key = _row_key(scaled.astype(np.int64).view(np.uint64))
    ordered = np.sort(key)
    shared = np.unique(ordered[1:][ordered[1:] == ordered[:-1]])
    if shared.size == 0:
        return 0, zeroed
    at = np.minimum(np.searchsorted(shared, key), len(shared) - 1)
    rows = np.flatnonzero(shared[at] == key)
    raw = np.ascontiguousarray(points[rows] + 0.0)  # -0 and 0 are one node
    return _distinct(raw) - _distinct(np.ascontiguousarray(rounded[rows] + 0.0)), zeroed


def _distinct(rows):
    return len(np.unique(rows.view(np.dtype((np.void, rows.dtype.itemsize * rows.shape[1]))).ravel()))


def _row_key(columns):
    key = np.zeros(len(columns), dtype=np.uint64)
    with np.errstate(over="ignore"):
        for k in range(columns.shape[1]):
            key = (key ^ columns[:, k]) * np.uint64(0x9E3779B97F4A7C15)
            key ^= key >> np.uint64(29)
    return key


def check_zmf(mesh, cell_type, check_types, special):
    """Says what a mesh file will not hold of `mesh`; raises meshio.WriteError
    for coordinates that cannot be written. `cell_type(count)` is the type
    read back by default, `check_types` refuses a choice of types, `special`
    the one point set held."""
    counts = {}
    for block in mesh.cells:
        data = np.asarray(block.data)
        if data.ndim != 2:
            continue
        count = data.shape[1]
        back = cell_type(count)
        if back != block.type:
            key = (block.type, count, back)
            counts[key] = counts.get(key, 0) + len(data)
    for (name, count, back), cells in sorted(counts.items()):
        try:
            check_types({count: name})
            way = "read them with %s" % _type_hint(count, name)
        except ValueError:
            way = "no choice of type brings them back"
        _warn("%d %s cells are written as %d-node elements, which read back as %s: %s"
              % (cells, name, count, back, way))
    _say_dropped(_data_names(mesh, (special,)), "a mesh file")
    points = np.asarray(mesh.points, dtype=np.float64)
    if points.size and not np.isfinite(points).all():
        raise meshio.WriteError("%d coordinates are not finite numbers" % np.count_nonzero(~np.isfinite(points)))
    if points.ndim == 2 and len(points):
        with np.errstate(over="ignore", invalid="ignore"):  # huge values are printed as they are
            merged, zeroed = _flattened(points)
        if merged:
            _warn("%d distinct nodes are written as the same coordinates as another node (8 decimals)" % merged)
        if zeroed:
            _warn("%d nonzero coordinates are written as 0 (8 decimals)" % zeroed)


# ------------------------------------------------------- meshio's formats

@contextlib.contextmanager
def quiet():
    """Runs meshio's readers and writers with what they print caught (meshio
    prints faults, and ends the program on some): yields a list that
    receives the lines said."""
    said = []
    out = io.StringIO()
    with contextlib.redirect_stdout(out), contextlib.redirect_stderr(out):
        try:
            yield said
        except SystemExit:
            lines = _lines(out.getvalue())
            raise meshio.ReadError(lines[-1] if lines else "meshio stopped")
        finally:
            said += _lines(out.getvalue())


def _lines(text):
    return [re.sub(r"^(Warning|Error):\s*", "", line.strip()) for line in text.splitlines() if line.strip()]


def _sample(mesh, blocks):
    """One cell of each block in `blocks`, with its points, data and sets."""
    cells = [(mesh.cells[k].type, np.asarray(mesh.cells[k].data)[:1]) for k in blocks]
    used = np.unique(np.concatenate([c.ravel() for _, c in cells])) if cells else np.zeros(0, dtype=np.int64)
    renumber = np.zeros(len(mesh.points), dtype=np.int64)
    renumber[used] = np.arange(len(used))
    sample = meshio.Mesh(np.asarray(mesh.points)[used], [(t, renumber[c]) for t, c in cells])
    sample.point_data = {k: np.asarray(v)[used] for k, v in mesh.point_data.items()}
    sample.cell_data = {k: [np.asarray(v[b])[:1] for b in blocks] for k, v in mesh.cell_data.items()}
    sample.field_data = dict(mesh.field_data)
    sample.point_sets = {k: np.zeros(1, dtype=np.int64) for k in mesh.point_sets or {}}
    sample.cell_sets = {k: [np.zeros(1, dtype=np.int64) for _ in blocks] for k in mesh.cell_sets or {}}
    return sample


# Formats that hold these cell types alone, known without a read-back:
# meshio's TetGen reader never ends on an .ele of other cells.
HOLDS_ONLY = {"tetgen": {"tetra"}}

# Debian's packages of the modules that meshio's writers import on demand.
MODULE_PACKAGES = {"h5py": "python3-h5py", "netCDF4": "python3-netcdf4"}


class MissingModule(Exception):
    """A format whose writer needs a Python module that is not installed."""

    def __init__(self, kind, module):
        self.kind, self.module = kind, module
        package = MODULE_PACKAGES.get(module)
        super().__init__("%s is written with the Python module %s, which is missing%s" % (
            kind, module, " (Debian: apt-get install %s)" % package if package else ""))


def missing_module(kind, error):
    """The MissingModule of an ImportError raised by the writer of `kind`."""
    name = getattr(error, "name", None) or str(error).strip() or "?"
    return MissingModule(kind, name.split(".")[0])


def _round_trip(sample, kind, suffix):
    """The sample as written and read back as `kind`: the mesh read, or None
    when the format cannot be read back; meshio.WriteError when it cannot
    be written, MissingModule when its writer needs a module not installed."""
    with tempfile.TemporaryDirectory(prefix="pptools-") as folder:
        path = os.path.join(folder, "sample" + suffix)
        try:
            with quiet():
                meshio.write(path, sample, file_format=kind)
        except ImportError as error:
            raise missing_module(kind, error)
        except Exception as error:  # any writer's fault means: not held
            raise meshio.WriteError(str(error) or type(error).__name__)
        only = HOLDS_ONLY.get(kind)
        if only is not None and any(block.type not in only for block in sample.cells):
            return None
        # A writer's variant (gmsh22, vtk42) is read back by its ending's reader.
        for reader in [kind] + meshio.extension_to_filetypes.get(suffix.lower(), []):
            try:
                with quiet():
                    return meshio.read(path, file_format=reader)
            except Exception:  # not this reader's
                continue
        return None  # write-only format: nothing to compare


def writes(kind):
    """Whether meshio writes a triangle in the format named `kind`."""
    triangle = meshio.Mesh(np.eye(3), [("triangle", np.array([[0, 1, 2]]))])
    try:
        _round_trip(triangle, kind, "")
    except MissingModule:
        return True
    except meshio.WriteError:
        return False
    return True


_DIMENSION = {"vertex": 0, "line": 1, "triangle": 2, "quad": 2, "polygon": 2}


def _dimension(name):
    match = _FAMILY.match(name)
    return _DIMENSION.get(match.group(1) if match else name, 3)


def held_blocks(mesh, kind, suffix):
    """Indices of the blocks of `mesh` whose cells a meshio format `kind`
    writes as their own type. Writers leave out some types only beside
    others (su2 keeps the cells of the highest dimension): types are tried
    from the solids down, each in a sample of one cell of it and of every
    type held so far, and held when they all come back. Raises
    MissingModule."""
    first = {}  # cell type -> its first block; Gmsh's meshes hold many blocks of a type
    for k, block in enumerate(mesh.cells):
        if len(block.data) and block.type not in first:
            first[block.type] = k
    only = HOLDS_ONLY.get(kind)
    held = set()
    bare = _bare(mesh)
    for name in sorted(first, key=lambda name: -_dimension(name)):
        if only is not None:
            if name in only:
                held.add(name)
            continue
        trial = held | {name}
        blocks = sorted(first[t] for t in trial)
        try:
            # With its data first: Gmsh's writer needs its entities for two types.
            back = _round_trip(_sample(mesh, blocks), kind, suffix)
        except meshio.WriteError:
            try:
                back = _round_trip(_sample(bare, blocks), kind, suffix)
            except meshio.WriteError:
                continue
        if back is None or trial <= {block.type for block in back.cells}:
            held = trial
    return [k for k, block in enumerate(mesh.cells) if block.type not in first or block.type in held]


def _bare(mesh):
    return meshio.Mesh(mesh.points, mesh.cells)


def check_format(mesh, kind, suffix):
    """Says which data and sets of `mesh` a meshio format `kind` does not
    give back (sets held as data count as held)."""
    blocks = [k for k, b in enumerate(mesh.cells) if len(b.data)]
    groups = _data_names(mesh)
    if not any(names for _, names in groups) or not blocks:
        return
    try:
        back = _round_trip(_sample(mesh, blocks), kind, suffix)
    except meshio.WriteError:
        return  # the whole write will say why
    if back is None:
        _warn("cannot tell which data %s keeps (it cannot be read back)" % kind)
        return
    found = {"point data": set(back.point_data) | set(back.point_sets or {}),
             "cell data": set(back.cell_data) | set(back.cell_sets or {}),
             "field data": set(back.field_data)}
    found["point sets"] = found["point data"]
    found["cell sets"] = found["cell data"]
    _say_dropped([(kind_, [n for n in names if n not in found[kind_]]) for kind_, names in groups], kind)
