"""The suite's mesh file (.zmf) as a meshio mesh: read one drawing, write one.

A mesh file is a header line, then drawings. A drawing is a label line, a
count line (elements, nodes, special nodes), then one line per element
("number node-count node..."), per node ("number x y z") and per special
node ("number node"), all numbered 1, 2, 3, ... in order. An element carries
no type: it is known by its node count (CELL_TYPES).
"""

import os
import re
import warnings

import meshio
import numpy as np

from . import losses

# Node count -> meshio cell type read by default, then the other types a
# caller may choose for that count. The suite's own elements are the 2-node
# bar, the 8-node face and the 20-node brick; any count not listed is a
# polygon.
CELL_TYPES = {
    1: ("vertex",),
    2: ("line",),
    3: ("triangle", "line3"),
    4: ("quad", "tetra"),
    5: ("pyramid",),
    6: ("wedge", "triangle6"),
    8: ("quad8", "hexahedron"),
    9: ("quad9",),
    10: ("tetra10", "triangle10"),
    20: ("hexahedron20",),
    27: ("hexahedron27",),
}
OTHER_COUNTS = "polygon"

# The suite lists the 8-node face as corner, mid-side, corner, ... around its
# boundary, and the 20-node brick as the ring of 8 at the bar's start (corners
# 1, 3, 5, 7), the 4 mid-length nodes under those corners and the ring of 8 at
# its end. meshio (as VTK) lists corners first, then the mid-side nodes edge
# by edge. Entry k is the position in the file's list of meshio's node k.
FILE_POSITIONS = {
    "quad8": np.array([0, 2, 4, 6, 1, 3, 5, 7]),
    "hexahedron20": np.array([0, 2, 4, 6, 12, 14, 16, 18,
                              1, 3, 5, 7, 13, 15, 17, 19, 8, 9, 10, 11]),
}

# Titles written when the mesh carries none (meshes from other formats).
DEFAULT_HEADER = "Mesh written by pptools"
DEFAULT_LABEL = "MESH"

# Keys of Mesh.info that hold the header line and the drawing's label line.
HEADER_KEY = "zmf:header"
LABEL_KEY = "zmf:drawing"
# The point set of the special nodes, in their order.
SPECIAL_SET = "special"

CHUNK = 1 << 24  # bytes of record lines parsed at once: memory stays near the result


class ZmfError(meshio.ReadError):
    """A mesh file that cannot be read: names the file, the line and the fault."""

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
        if not name:
            raise ValueError("no cell type given for %d nodes" % count)
        if name == OTHER_COUNTS and count >= 3:
            continue
        if losses.node_count(name) != count:
            raise ValueError("a %s cell has not %d nodes" % (name, count))


def file_order(name, data):
    """Node lists of a cell block in the order the mesh file lists them."""
    positions = FILE_POSITIONS.get(name)
    if positions is None:
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

def _parse(text, dtype):
    """The numbers of `text`, or None when a word is not a number of that kind."""
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        values = np.fromstring(text, dtype=dtype, sep=" ")
    return None if caught else values


class _Lines:
    """The file's lines, handed out singly or as blocks of whole lines."""

    def __init__(self, handle, path):
        self.handle, self.path = handle, path
        self.buffer, self.start, self.line, self.eof = b"", 0, 0, False

    def error(self, line, reason):
        return ZmfError(self.path, line, reason)

    def _more(self):
        data = self.handle.read(CHUNK)
        if not data:
            self.eof = True
            return False
        self.buffer = self.buffer[self.start:] + data
        self.start = 0
        return True

    def _line_end(self, start):
        """Index of the next line feed from `start`, reading on; -1 at the end of the file."""
        while True:
            end = self.buffer.find(b"\n", start)
            if end >= 0 or self.eof:
                return end
            searched = len(self.buffer) - self.start
            self._more()
            start = self.start + searched

    def at_end(self):
        return self.start >= len(self.buffer) and not self._more()

    def title(self, what):
        end = self._line_end(self.start)
        if end < 0:
            end = len(self.buffer)
            if end == self.start:
                raise self.error(self.line + 1, "the file ends where %s is due" % what)
        text = self.buffer[self.start:end]
        self.start = min(end + 1, len(self.buffer))
        self.line += 1
        if text.endswith(b"\r"):
            text = text[:-1]
        return text.decode("utf-8", "surrogateescape")

    def block(self, count):
        """Up to `count` whole lines, some megabytes at most: (bytes, number of lines)."""
        if len(self.buffer) - self.start < CHUNK and not self.eof:
            self._more()
        stop = min(len(self.buffer), self.start + CHUNK)
        found = self.buffer.count(b"\n", self.start, stop)
        if found >= count:
            end = self._nth_line_end(count, stop) + 1
            found = count
        elif found > 0:
            end = self.buffer.rfind(b"\n", self.start, stop) + 1
        else:
            end = self._line_end(self.start)  # one long line, or the last one
            if end >= 0:
                end, found = end + 1, 1
            elif len(self.buffer) > self.start:
                end, found = len(self.buffer), 1
            else:
                return b"", 0
        text = self.buffer[self.start:end]
        self.start = end
        self.line += found
        return text, found

    def _nth_line_end(self, count, stop):
        if count < 64:
            end = self.start - 1
            for _ in range(count):
                end = self.buffer.find(b"\n", end + 1)
            return end
        window = np.frombuffer(self.buffer, dtype=np.uint8, count=stop - self.start, offset=self.start)
        return self.start + int(np.flatnonzero(window == 10)[count - 1])


_INTEGER = re.compile(r"[+-]?[0-9]+")
_REAL = re.compile(r"[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?")


def _words(text):
    return text.decode("latin-1").split()


def _is_integer(word):
    return _INTEGER.fullmatch(word) is not None


def _is_real(word):
    return _REAL.fullmatch(word) is not None and np.isfinite(float(word))


def _shown(word):
    """A word for a message: a long one cut, so that the message stays a line."""
    return repr(word if len(word) <= 40 else word[:37] + "...")


def _fault(lines, first_line, text, found, section, first, count_limit):
    """The error of the first faulty line of a block that the fast path refused."""
    what = {"element": "element", "node": "node", "special": "special node"}[section]
    for k, line in enumerate(text.split(b"\n")[:found]):
        number = first + k
        where = first_line + k
        words = _words(line)
        if not words:
            return lines.error(where, "%s %d expected, found an empty line" % (what, number))
        if not _is_integer(words[0]) or int(words[0]) != number:
            return lines.error(where, "%s %d expected, found %s (records are numbered 1, 2, 3, ... in order)"
                               % (what, number, _shown(words[0])))
        if section == "element":
            if len(words) < 2 or not _is_integer(words[1]):
                return lines.error(where, "element %d: no node count" % number)
            m = int(words[1])
            if m < 1:
                return lines.error(where, "element %d: a node count of %d (at least 1)" % (number, m))
            if len(words) != 2 + m:
                return lines.error(where, "element %d: %d nodes announced, %d given" % (number, m, len(words) - 2))
            for word in words[2:]:
                if not _is_integer(word):
                    return lines.error(where, "element %d: %s is not a node number" % (number, _shown(word)))
                if not 1 <= int(word) <= count_limit:
                    return lines.error(where, "element %d: node %s out of range (1 to %d)" % (number, word, count_limit))
        elif section == "node":
            if len(words) != 4:
                return lines.error(where, "node %d: %d coordinates (x y z expected)" % (number, len(words) - 1))
            for word in words[1:]:
                if not _is_real(word):
                    return lines.error(where, "node %d: %s is not a finite real number" % (number, _shown(word)))
        else:
            if len(words) != 2:
                return lines.error(where, "special node %d: one node number expected" % number)
            if not _is_integer(words[1]):
                return lines.error(where, "special node %d: %s is not a node number" % (number, _shown(words[1])))
            if not 1 <= int(words[1]) <= count_limit:
                return lines.error(where, "special node %d: node %s out of range (1 to %d)"
                                   % (number, words[1], count_limit))
    return lines.error(first_line, "the %s records cannot be read" % section)


def _section(lines, count, what):
    """Blocks of the section's `count` lines: (number of the first line, number
    of its first record, text, number of lines)."""
    done = 0
    while done < count:
        first_line = lines.line + 1
        text, found = lines.block(count - done)
        if found == 0:
            raise lines.error(first_line, "the file ends where %s %d of %d is due" % (what, done + 1, count))
        yield first_line, done + 1, text, found
        done += found


def _element_runs(values, first, found):
    """Records of equal node count in the integers of `found` element lines:
    [(node count, node lists)], or None when they do not form those records."""
    runs, at, number, size, window = [], 0, first, len(values), 256
    while at < size:
        if at + 2 > size:
            return None
        m = int(values[at + 1])
        if m < 1:
            return None
        width = m + 2
        rows = min((size - at) // width, window)
        if rows == 0:
            return None
        block = values[at:at + rows * width].reshape(rows, width)
        good = (block[:, 0] == np.arange(number, number + rows)) & (block[:, 1] == m)
        taken = rows if good.all() else int(np.argmin(good))
        if taken == 0:
            return None
        runs.append((m, block[:taken, 2:]))
        at += taken * width
        number += taken
        window = window * 2 if taken == rows else 256
    return runs if number == first + found else None


def _read_elements(lines, ne, nn, types):
    blocks = []  # [cell type, [arrays]]
    for first_line, first, text, found in _section(lines, ne, "element"):
        values = _parse(text, np.int64)
        runs = None if values is None else _element_runs(values, first, found)
        if runs is not None and any(nodes.size and (nodes.min() < 1 or nodes.max() > nn) for _, nodes in runs):
            runs = None
        if runs is None:
            raise _fault(lines, first_line, text, found, "element", first, nn)
        for m, nodes in runs:
            name = cell_type(m, types)
            positions = FILE_POSITIONS.get(name)
            cells = nodes[:, positions] if positions is not None else nodes.copy()
            cells -= 1
            if blocks and blocks[-1][0] == name and blocks[-1][1][-1].shape[1] == m:
                blocks[-1][1].append(cells)
            else:
                blocks.append([name, [cells]])
    return [(name, parts[0] if len(parts) == 1 else np.concatenate(parts)) for name, parts in blocks]


def _read_rows(lines, count, what, dtype, width, valid, nn):
    """The records of a section of fixed width, numbered in order, each
    block of them held whole by valid(rows); the rows without their
    numbers, one array."""
    parts = []
    for first_line, first, text, found in _section(lines, count, what):
        values = _parse(text, dtype)
        good = values is not None and values.size == width * found
        if good:
            values = values.reshape(found, width)
            good = bool((values[:, 0] == np.arange(first, first + found)).all() and valid(values[:, 1:]))
        if not good:
            raise _fault(lines, first_line, text, found, what, first, nn)
        parts.append(np.ascontiguousarray(values[:, 1:]))
    if not parts:
        return np.empty((0, width - 1), dtype=dtype)
    return parts[0] if len(parts) == 1 else np.concatenate(parts)


def _read_nodes(lines, nn):
    return _read_rows(lines, nn, "node", np.float64, 4, lambda xyz: np.isfinite(xyz).all(), nn)


def _read_special(lines, ns, nn):
    nodes = _read_rows(lines, ns, "special", np.int64, 2,
                       lambda node: node.size == 0 or (node.min() >= 1 and node.max() <= nn), nn)
    return nodes[:, 0] - 1


def _skip(lines, count, drawing):
    """Passes over the record lines of a drawing before the one asked."""
    done = 0
    while done < count:
        line = lines.line + 1
        _, found = lines.block(count - done)
        if found == 0:
            raise lines.error(line, "the file ends inside drawing %d (after %d of its %d record lines)"
                              % (drawing, done, count))
        done += found


def _counts(lines):
    line = lines.line + 1
    text, found = lines.block(1)
    if found == 0:
        raise lines.error(line, "the file ends where the count line is due")
    words = _words(text)
    if len(words) != 3 or not all(_is_integer(w) for w in words):
        raise lines.error(line, "the count line must hold three integers: elements, nodes, special nodes")
    counts = [int(w) for w in words]
    if min(counts) < 0:
        raise lines.error(line, "negative count in the count line")
    return counts


def read(path, drawing=1, types=None):
    """Drawing number `drawing` (from 1) of a mesh file, as a meshio.Mesh.

    Elements become cells by their node count (CELL_TYPES; `types` maps a
    count to another cell type of that many nodes, e.g. {4: "tetra"}), the
    special nodes the point set "special", and the header and label lines
    the entries "zmf:header" and "zmf:drawing" of mesh.info. Raises ZmfError
    (a meshio.ReadError) naming the file and the line of a fault.
    """
    path = os.fspath(path)
    check_types(types)
    if drawing < 1:
        raise ZmfError(path, 0, "drawing %d asked: drawings are numbered from 1" % drawing)
    try:
        handle = open(path, "rb")
    except OSError as error:
        raise ZmfError(path, 0, error.strerror or str(error))
    with handle:
        lines = _Lines(handle, path)
        header = lines.title("the header line")
        for number in range(1, drawing + 1):
            if number > 1 and lines.at_end():
                raise ZmfError(path, 0, "drawing %d asked, the file holds %d" % (drawing, number - 1))
            label = lines.title("the drawing line")
            ne, nn, ns = _counts(lines)
            if number < drawing:
                _skip(lines, ne + nn + ns, number)
        cells = _read_elements(lines, ne, nn, types)
        points = _read_nodes(lines, nn)
        special = _read_special(lines, ns, nn)
    mesh = meshio.Mesh(points, cells)
    if ns:
        mesh.point_sets = {SPECIAL_SET: special}
    mesh.info = {HEADER_KEY: header, LABEL_KEY: label}
    return mesh


# ------------------------------------------------------------------ writing

ROWS = 1 << 16  # records formatted at once


def _text(value, what):
    if "\n" in value or "\r" in value:
        raise meshio.WriteError("the %s holds a line end: %r" % (what, value))
    return value.encode("utf-8", "surrogateescape")


def _rows(out, template, rows):
    for start in range(0, len(rows), ROWS):
        part = rows[start:start + ROWS]
        out.write(((template * len(part)) % tuple(part.ravel().tolist())).encode("ascii"))


def write(path, mesh, header=None, drawing=None):
    """Writes `mesh` as a mesh file of one drawing, in the suite's layout.

    The header and label lines are `header` and `drawing`, else those the
    mesh carries in mesh.info, else DEFAULT_HEADER and DEFAULT_LABEL. The
    point set "special" gives the special nodes. Every cell block must hold
    a fixed number of nodes per cell (see holds()). What the file cannot
    hold is said as a pptools.LossWarning.
    """
    losses.check_zmf(mesh, cell_type, check_types, SPECIAL_SET)
    info = mesh.info if isinstance(mesh.info, dict) else {}
    header = _text(header if header is not None else info.get(HEADER_KEY, DEFAULT_HEADER), "header")
    drawing = _text(drawing if drawing is not None else info.get(LABEL_KEY, DEFAULT_LABEL), "drawing label")
    points = np.asarray(mesh.points, dtype=np.float64)
    if points.ndim != 2 or points.shape[1] not in (2, 3):
        raise meshio.WriteError("points must have 2 or 3 coordinates")
    if points.shape[1] == 2:
        points = np.column_stack([points, np.zeros(len(points))])
    nn = len(points)
    for block in mesh.cells:
        if not holds(block):
            raise meshio.WriteError("%s cells have no fixed node count: a mesh file cannot hold them" % block.type)
        data = np.asarray(block.data)
        if data.size and (data.min() < 0 or data.max() >= nn):
            raise meshio.WriteError("%s cells refer to points that do not exist" % block.type)
    special = np.asarray((mesh.point_sets or {}).get(SPECIAL_SET, []), dtype=np.int64).ravel()
    if special.size and (special.min() < 0 or special.max() >= nn):
        raise meshio.WriteError("the special nodes refer to points that do not exist")
    ne = sum(len(block.data) for block in mesh.cells)
    with open(path, "wb") as out:
        out.write(header + b"\n" + drawing + b"\n")
        out.write(b"%5d   %5d   %5d\n" % (ne, nn, len(special)))
        number = 1
        for block in mesh.cells:
            data = file_order(block.type, np.asarray(block.data))
            count, m = data.shape
            for start in range(0, count, ROWS):
                part = data[start:start + ROWS]
                rows = np.empty((len(part), m + 2), dtype=np.int64)
                rows[:, 0] = np.arange(number + start, number + start + len(part))
                rows[:, 1] = m
                rows[:, 2:] = part + 1
                _rows(out, "%5d %5d   " + " %5d" * m + "\n", rows)
            number += count
        for start in range(0, nn, ROWS):
            part = points[start:start + ROWS]
            rows = np.empty((len(part), 4))
            rows[:, 0] = np.arange(start + 1, start + 1 + len(part))
            rows[:, 1:] = part
            _rows(out, "%5d %15.8f %15.8f %15.8f\n", rows)
        rows = np.column_stack([np.arange(1, len(special) + 1), special + 1])
        _rows(out, "%5d %5d\n", rows)
