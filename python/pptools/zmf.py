"""The suite's mesh file (.zmf) as a meshio mesh: read its drawings, write
them.

A mesh file is a header line, then drawings. A drawing is a label line, a
count line (elements, nodes, special nodes), then the element records
("number node-count node..."), the node records ("number x y z") and the
special node records ("number node"), all numbered 1, 2, 3, ... in order;
the records are a stream of numbers, written one record a line. An element
carries no type: it is known by its node count (CELL_TYPES). The native
core (_core) reads and writes the records and holds the table of the kinds
of cells; how the drawings stand in one mesh is set out in drawings.py."""

import io
import os
import warnings

import meshio
import numpy as np

from . import _core, drawings, losses

# The point set of the special nodes, in their order.
SPECIAL_SET = drawings.SPECIAL_SET
OTHER_COUNTS = "polygon"

# The core's table of cell kinds: without the core the package can neither
# read nor write.
try:
    KINDS = _core.kinds()
    _MISSING = None
except _core.Missing as missing:
    KINDS, _MISSING = {}, str(missing)

# Node count -> meshio cell type read by default, then the other types of
# that many nodes a caller may choose. The suite's own elements are the
# 2-node bar, the 8-node face and the 20-node brick; any count not listed is
# a polygon.
CELL_TYPES = {kind.nodes: (kind.name,) + tuple(other.name for other in KINDS.values()
                                               if other.nodes == kind.nodes and not other.default)
              for kind in KINDS.values() if kind.default and kind.nodes}

# The cell types whose nodes the file lists in another order than meshio
# (VTK): entry k is the position in the file's list of meshio's node k.
FILE_POSITIONS = {kind.name: np.array(kind.file) for kind in KINDS.values() if kind.file}

# Titles written when the mesh carries none (meshes from other formats).
DEFAULT_HEADER = "Mesh written by pptools"
DEFAULT_LABEL = "MESH"

# Keys of Mesh.info that hold the header line and the drawings' label lines.
HEADER_KEY = drawings.HEADER_KEY
LABEL_KEY = drawings.LABEL_KEY
LABELS_KEY = drawings.LABELS_KEY

# Bytes of record lines written at once: as rodmesh writes them. Linux copies
# larger writes into its page cache markedly slower (4 MiB: a third of the
# speed measured here).
CHUNK = 1 << 20
COUNT_LIMIT = 2 ** 31 - 1  # the counts are 32-bit numbers


class ZmfError(Exception):
    """A mesh file that cannot be read: names the file, the line and the fault.

    No meshio.ReadError: meshio.read() ends the process (SystemExit) on one
    raised by a reader of a path, where a caller's `except Exception` cannot
    catch it."""

    def __init__(self, path, line, reason):
        self.path, self.line, self.reason = path, line, reason
        self.detail = ("line %d: %s" % (line, reason)) if line else reason
        super().__init__("%s: %s" % (path, self.detail))


def cell_type(count, types=None):
    """The meshio cell type of elements of `count` nodes (`types` overrides)."""
    if types and count in types:
        return types[count]
    return CELL_TYPES.get(count, (OTHER_COUNTS,))[0]


def check_types(types):
    """Refuses a choice of cell type that cannot hold its node count."""
    for count, name in (types or {}).items():
        if not 1 <= count <= COUNT_LIMIT:
            raise ValueError("%d nodes: a node count is from 1 to %d" % (count, COUNT_LIMIT))
        if not name:
            raise ValueError("no cell type given for %d nodes" % count)
        if name == OTHER_COUNTS and count >= 3:
            continue
        if losses.node_count(name) != count:
            raise ValueError("a %s cell has not %d nodes" % (name, count))


def file_order(name, data):
    """Node lists of a cell block in the order the mesh file lists them."""
    positions = FILE_POSITIONS.get(name)
    if positions is None or np.asarray(data).shape[1:] != positions.shape:
        return data
    order = np.empty_like(positions)
    order[positions] = np.arange(len(positions))
    return data[:, order]


def holds(block):
    """Whether a cell block can be written: a node list of fixed length per cell."""
    if block.type.startswith("polyhedron"):
        return False
    data = np.asarray(block.data)
    return data.ndim == 2 and data.shape[1] >= 1 and data.dtype.kind in "iu"


# ------------------------------------------------------------------ reading

def _fault(name, message):
    """The ZmfError of a message of the core, "NAME: line N: what"."""
    detail = message[len(name) + 2:] if message.startswith(name + ": ") else message
    line, _, reason = detail.partition(": ")
    if line.startswith("line ") and line[5:].isdigit() and reason:
        return ZmfError(name, int(line[5:]), reason)
    return ZmfError(name, 0, detail)


def _drawing(reading, name, types):
    """The drawing the reading stands at: (header, label, [(cell type,
    cells)], points, special), node numbers from 0."""
    header, label, (_, nodes, specials) = reading.head()
    # Counts that the file cannot hold: it says where its records fall
    # short, before gigabytes are allocated.
    if reading.too_short():
        reading.check()
    # One pass when the elements share one node count, as the suite writes
    # them; else a first pass finds the runs.
    for guess in (True, False):
        runs = reading.runs(guess)
        names = [cell_type(m, types) for m, _ in runs]
        try:
            points = np.empty((nodes, 3), dtype=np.float64)
            special = np.empty(specials, dtype=np.int64)
            cells = [np.empty((count, m), dtype=np.int64) for m, count in runs]
        except MemoryError:
            raise ZmfError(name, 0, "not enough memory for %d nodes and %d elements"
                           % (nodes, sum(count for _, count in runs)))
        if reading.fill(cells, names, points, special):
            break
        cells = points = special = None
    else:
        raise ZmfError(name, 0, "the file changed while it was read")
    return (header.decode("utf-8", "surrogateescape"), label.decode("utf-8", "surrogateescape"),
            list(zip(names, cells)), points, special)


def read(filename, drawing=None, types=None):
    """Every drawing of a mesh file as one meshio.Mesh, or drawing number
    `drawing` (from 1) alone.

    `filename` is a path or a file opened for reading bytes. Elements become
    cells by their node count (CELL_TYPES; `types` maps a count to another
    cell type of that many nodes, e.g. {4: "tetra"}), the special nodes the
    point set "special", the header and label lines the entries
    "zmf:header", "zmf:labels" (one a drawing) and "zmf:label" (the first)
    of mesh.info. The drawings' nodes follow one another; where there are
    more than one, mesh.cell_sets names them (see pptools.drawings). Raises
    ZmfError naming the file and the line of a fault. 4-node elements read
    as quads whose corners are not in one plane are said as a
    pptools.GuessWarning.
    """
    check_types(types)
    data = None
    if hasattr(filename, "read"):
        data = filename.read()
        if not isinstance(data, bytes):
            data = bytes(data) if isinstance(data, (bytearray, memoryview)) else None
        name = getattr(filename, "name", None)
        name = os.fsdecode(name) if isinstance(name, (str, bytes)) else "<file object>"
        if data is None:
            raise ZmfError(name, 0, "a mesh file is read from a file opened for bytes (mode 'rb')")
    else:
        name = os.fspath(filename)
        name = name if isinstance(name, str) else os.fsdecode(name)
        if os.path.exists(name) and not os.path.isfile(name) and not os.path.isdir(name):
            # A pipe or a device cannot be read twice: its bytes are read first.
            try:
                with open(name, "rb") as handle:
                    data = handle.read()
            except OSError as error:
                raise ZmfError(name, 0, error.strerror or str(error))
    if _MISSING:
        raise ZmfError(name, 0, _MISSING)
    try:
        with _core.Reading(name, 1 if drawing is None else drawing, data) as reading:
            parts = [_drawing(reading, name, types)]
            while drawing is None and reading.next():
                parts.append(_drawing(reading, name, types))
    except _core.Fault as fault:
        raise _fault(name, str(fault))
    points, cells, point_sets, cell_sets, info = drawings.assemble(parts)
    losses.say_guesses(name, points, cells, types)
    mesh = meshio.Mesh(points, cells)
    mesh.point_sets = point_sets
    mesh.cell_sets = cell_sets
    mesh.info = info
    return mesh


def say_guesses(filename, drawings=(1,), types=None):
    """What read() says of the cell types it guesses, without keeping the
    mesh: for a conversion that streams the records (.vtu). Each drawing of
    those numbered is read only when it holds 4-node elements to check; a
    fault is left to the conversion to say."""
    if 4 in (types or {}) or _MISSING:
        return
    name = os.fspath(filename)
    for drawing in drawings:
        try:
            with _core.Reading(name, drawing) as reading:
                if all(count != 4 for count, _ in reading.runs(False)):
                    continue
            read(filename, drawing, types)
        except (_core.Fault, ZmfError):
            return


# ------------------------------------------------------------------ writing

# The programs read a title line into 1000 bytes: 998 and its line feed
# (and the byte that ends the text).
TITLE_BYTES = 998


def _text(value, what):
    """A title line's bytes, or meshio.WriteError for one that the suite's
    programs cannot read back."""
    if not isinstance(value, str):
        raise meshio.WriteError("the %s is %r, no text" % (what, value))
    for bad, name in (("\n", "a line feed"), ("\r", "a carriage return"), ("\0", "a NUL byte")):
        if bad in value:
            raise meshio.WriteError("the %s holds %s, which no title line can: %r" % (
                what, name, value if len(value) <= 60 else value[:57] + "..."))
    text = value.encode("utf-8", "surrogateescape")
    if len(text) > TITLE_BYTES:
        raise meshio.WriteError("the %s is %d bytes long: the suite's programs read title lines of at most %d"
                                % (what, len(text), TITLE_BYTES))
    return text


def write(filename, mesh, header=None, label=None):
    """Writes `mesh` as a mesh file, in the suite's layout, to a path or a
    file opened for writing bytes: the drawings it names (see
    pptools.drawings), else one drawing.

    The header line is `header`, else the mesh's, else DEFAULT_HEADER; the
    label lines `label` (a text, or a list of one a drawing), else the
    mesh's, else DEFAULT_LABEL. The point set "special" gives the special
    nodes. Every cell block must hold a fixed number of nodes per cell (see
    holds()). What the file cannot hold is said as a pptools.LossWarning.
    """
    if _MISSING:
        raise meshio.WriteError(_MISSING)
    if isinstance(filename, io.TextIOBase):
        raise meshio.WriteError("a mesh file is written to a file opened for bytes (mode 'wb')")
    points = np.asarray(mesh.points)
    if points.size == 0:
        points = np.empty((0, 3))
    if points.ndim != 2 or points.shape[1] not in (2, 3):
        raise meshio.WriteError("points must have 2 or 3 coordinates")
    if points.shape[1] == 2:
        points = np.column_stack([points, np.zeros(len(points))])
    points = np.ascontiguousarray(points, dtype=np.float64)
    nn = len(points)
    blocks = []
    for block in mesh.cells:
        if not holds(block):
            raise meshio.WriteError("%s cells have no fixed node count: a mesh file cannot hold them" % block.type)
        data = np.ascontiguousarray(block.data, dtype=np.int64)
        if data.size and (data.min() < 0 or data.max() >= nn):
            raise meshio.WriteError("%s cells refer to points that do not exist" % block.type)
        positions = FILE_POSITIONS.get(block.type)
        if positions is not None and len(positions) != data.shape[1]:
            raise meshio.WriteError("%s cells of %d nodes: a %s has %d" % (
                block.type, data.shape[1], block.type, len(positions)))
        blocks.append((block.type, data))
    try:
        header, parts, held = drawings.split(mesh, blocks, nn, header, label)
    except ValueError as error:
        raise meshio.WriteError(str(error))
    losses.check_zmf(mesh, cell_type, check_types, held)
    bad = _core.nonfinite(points)
    if bad >= 0:
        raise meshio.WriteError("point %d has a coordinate that is not finite: a mesh file cannot hold it" % bad)
    special = np.concatenate([part.special for part in parts]) if parts else np.zeros(0, dtype=np.int64)
    if special.size and (special.min() < 0 or special.max() >= nn):
        raise meshio.WriteError("the special nodes refer to points that do not exist")
    left = drawings.unused(parts, nn)
    if left:
        warnings.warn("%d nodes used by no cell of a drawing are not written" % left, losses.LossWarning, stacklevel=2)
    for part in parts:
        for what, count in (("elements", sum(len(data) for _, data in part.blocks)),
                            ("nodes", len(points[part.nodes])), ("special nodes", len(part.special))):
            if count > COUNT_LIMIT:
                raise meshio.WriteError("%d %s: a mesh file holds at most %d" % (count, what, COUNT_LIMIT))
    header = _text(header if header is not None else DEFAULT_HEADER, "header")
    chunks = []
    for k, part in enumerate(parts):
        label = _text(part.label if part.label is not None else DEFAULT_LABEL, "drawing label")
        own = points if isinstance(part.nodes, slice) and part.nodes == slice(0, nn) else \
            np.ascontiguousarray(points[part.nodes])
        chunks.append((header if k == 0 else None, label,
                       [(np.ascontiguousarray(data), kind) for kind, data in part.blocks], own,
                       np.ascontiguousarray(part.special, dtype=np.int64)))
    if hasattr(filename, "write"):
        _write_drawings(filename, chunks)
    else:
        with open(filename, "wb") as out:
            _write_drawings(out, chunks)


def _write_drawings(out, drawings_):
    for header, label, blocks, points, special in drawings_:
        for chunk in _core.write_chunks(header, label, blocks, points, special, CHUNK):
            out.write(chunk)
