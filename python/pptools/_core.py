"""The native core of the package (libpptools_core.so): the mesh file's
reader and writer, its table of cell kinds and its .vtu writer, loaded
through ctypes.

A shared library with a C interface, loaded through ctypes rather than
built as an extension module: one binary then serves every Python 3 that
Debian ships, and its build needs no Python headers. It is found, in this
order, at the path in the environment variable PPTOOLS_CORE, beside this
file (an installed package), and in the build folder of a source tree
(build/bridge/ beside python/).
"""

import ctypes
import os

NAME = "libpptools_core.so"
HERE = os.path.dirname(os.path.abspath(__file__))


class Missing(Exception):
    """The library cannot be found or loaded; the message says where it was sought."""


def _places():
    given = os.environ.get("PPTOOLS_CORE")
    if given:
        return [given]
    return [os.path.join(HERE, NAME), os.path.join(os.path.dirname(os.path.dirname(HERE)), "build", "bridge", NAME)]


_lib = None


def lib():
    """The loaded library, its functions declared; raises Missing."""
    global _lib
    if _lib is not None:
        return _lib
    places = _places()
    for place in places:
        if os.path.isfile(place):
            try:
                loaded = ctypes.CDLL(place)
            except OSError as error:
                raise Missing("the native core %s cannot be loaded: %s" % (place, error))
            break
    else:
        raise Missing("the native core %s is missing (sought in %s; build it with cmake --build build, "
                      "or name it in PPTOOLS_CORE)" % (NAME, ", ".join(places)))
    try:
        _declare(loaded)
    except AttributeError as error:  # a library of that name, not this core
        raise Missing(foreign(loaded, error))
    _lib = loaded
    return loaded


def foreign(loaded, error):
    """The one line of a library that lacks the core's functions."""
    missing = str(error).rpartition(": ")[2].strip() or str(error)
    return "the native core %s cannot be loaded: it is no %s (it lacks %s; build it with cmake --build build, " \
        "or name it in PPTOOLS_CORE)" % (loaded._name, NAME, missing)


P = ctypes.c_void_p
I64 = ctypes.c_int64
PI64 = ctypes.POINTER(I64)
CHARS = ctypes.c_char_p
SIZE = ctypes.c_size_t

# A fault is said in a buffer of the caller's, the last two arguments of an
# entry that can fail.
MESSAGE = 4096


def _declare(lib):
    def fn(name, restype, *argtypes):
        f = getattr(lib, name)
        f.restype, f.argtypes = restype, list(argtypes)

    fn("ppt_cell_kinds", CHARS)
    fn("ppt_read_open", P, CHARS, CHARS, I64, I64, CHARS, SIZE)
    fn("ppt_read_close", None, P)
    fn("ppt_read_head", None, P, ctypes.POINTER(P), PI64, ctypes.POINTER(P), PI64, PI64)
    fn("ppt_read_next", ctypes.c_int, P, CHARS, SIZE)
    fn("ppt_read_too_short", ctypes.c_int, P)
    fn("ppt_read_runs", I64, P, ctypes.c_int, CHARS, SIZE)
    fn("ppt_read_run_list", None, P, PI64)
    fn("ppt_read_check", ctypes.c_int, P, CHARS, SIZE)
    fn("ppt_read_fill", ctypes.c_int, P, ctypes.POINTER(P), ctypes.POINTER(CHARS), P, P, CHARS, SIZE)
    fn("ppt_nonfinite", I64, P, I64)
    fn("ppt_write_open", P, CHARS, I64, CHARS, I64, I64, ctypes.POINTER(P), PI64, PI64, ctypes.POINTER(CHARS),
       P, I64, P, I64, CHARS, SIZE)
    fn("ppt_write_room", I64, P)
    fn("ppt_write_chunk", I64, P, P, I64)
    fn("ppt_write_close", None, P)
    fn("ppt_vtu_open", P, CHARS, CHARS, I64, ctypes.c_int, CHARS, CHARS, ctypes.c_int, CHARS, SIZE)
    fn("ppt_vtu_run", ctypes.c_int, P, CHARS, SIZE)
    fn("ppt_vtu_interrupt", None, P)
    fn("ppt_vtu_drawings", I64, P)
    fn("ppt_vtu_fours", I64, P, I64)
    fn("ppt_vtu_close", None, P)


class Fault(Exception):
    """A fault the core reported: its one-line message."""


class Message:
    """A buffer for the one line of a fault."""

    def __init__(self):
        self.buffer = ctypes.create_string_buffer(MESSAGE)

    def args(self):
        return self.buffer, MESSAGE

    def fault(self):
        return Fault(self.buffer.value.decode("utf-8", "surrogateescape"))


# ------------------------------------------------------------ cell kinds

class Kind:
    """A kind of cell of the core's table: meshio's name, its nodes (0: the
    polygon, any count from 3) and corners, VTK's number (0: none), its
    dimension, whether its node count is read as it by default, the places
    in the file's list of meshio's nodes (None: meshio's order), meshio's
    node of each of VTK's (None: the same), the triangles of a face and the
    faces of a solid [(kind, nodes)], outward, by meshio's node order."""

    def __init__(self, line):
        fields = line.split(" ")

        def numbers(text):
            return None if text == "-" else tuple(int(v) for v in text.split(","))

        self.name = fields[0]
        self.nodes, self.corners, self.vtk, self.dimension = (int(v) for v in fields[1:5])
        self.default = fields[5] == "1"
        self.file, self.vtk_order = numbers(fields[6]), numbers(fields[7])
        flat = numbers(fields[8]) or ()
        self.triangles = [flat[k:k + 3] for k in range(0, len(flat), 3)]
        self.faces = [] if fields[9] == "-" else [
            (kind, numbers(nodes)) for kind, nodes in (face.split(":") for face in fields[9].split(";"))]


_kinds = None


def kinds():
    """{name: Kind}, the core's table of cell kinds; raises Missing."""
    global _kinds
    if _kinds is None:
        text = lib().ppt_cell_kinds().decode("ascii")
        _kinds = {kind.name: kind for kind in (Kind(line) for line in text.splitlines())}
    return _kinds


def pointers(arrays):
    """A C array of the data pointers of numpy arrays (None: a null pointer)."""
    return (P * max(len(arrays), 1))(*[None if a is None else a.ctypes.data for a in arrays])


def names(texts):
    """A C array of texts (None: a null pointer)."""
    return (CHARS * max(len(texts), 1))(*[None if t is None else t.encode("ascii") for t in texts])


def path_bytes(path):
    return os.fsencode(path)


# The core takes a drawing's number as a 64-bit number, but a file of more
# drawings than a 32-bit number counts cannot be: beyond, none is.
LAST_DRAWING = 2 ** 31 - 1


def drawing_fault(name, drawing):
    """The fault of a drawing number that no file can hold, or None."""
    if drawing is not None and drawing > LAST_DRAWING:
        return "%s: drawing %d asked: drawings are numbered up to %d" % (name, drawing, LAST_DRAWING)
    return None


# --------------------------------------------------------------- reading

class Reading:
    """The drawings of a mesh file being read, one after the other; a
    context manager."""

    def __init__(self, name, drawing=1, data=None):
        """name: a path, or the name in messages of `data`, the file's bytes;
        drawing: the first drawing read (from 1)."""
        self.lib = lib()
        fault = drawing_fault(name, drawing)
        if fault:
            raise Fault(fault)
        self.data = data  # kept alive while the core reads it
        message = Message()
        self.handle = self.lib.ppt_read_open(path_bytes(name), data, len(data) if data is not None else 0, drawing,
                                             *message.args())
        if not self.handle:
            raise message.fault()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def close(self):
        if self.handle:
            self.lib.ppt_read_close(self.handle)
            self.handle = None

    def _call(self, name, *args):
        message = Message()
        done = getattr(self.lib, name)(self.handle, *args, *message.args())
        if done < 0:
            raise message.fault()
        return done

    def head(self):
        """(header bytes, label bytes, (elements, nodes, special nodes)) of the drawing."""
        header, label, hsize, lsize, counts = P(), P(), I64(), I64(), (I64 * 3)()
        self.lib.ppt_read_head(self.handle, ctypes.byref(header), ctypes.byref(hsize), ctypes.byref(label),
                               ctypes.byref(lsize), counts)
        return (ctypes.string_at(header, hsize.value) if hsize.value else b"",
                ctypes.string_at(label, lsize.value) if lsize.value else b"", tuple(counts))

    def next(self):
        """Goes on to the next drawing: False when there is none."""
        return self._call("ppt_read_next") == 1

    def too_short(self):
        """Whether the file is too short for the records the counts announce."""
        return self.lib.ppt_read_too_short(self.handle) == 1

    def runs(self, guess):
        """[(node count, elements)] of the runs of equal node count: guessed
        from the first element (one run), or found by a first pass."""
        count = self._call("ppt_read_runs", 1 if guess else 0)
        pairs = (I64 * max(2 * count, 1))()
        self.lib.ppt_read_run_list(self.handle, pairs)
        return [(pairs[2 * k], pairs[2 * k + 1]) for k in range(count)]

    def check(self):
        """Reads and checks every record of the drawing, keeping none."""
        self._call("ppt_read_check")

    def fill(self, cells, kinds, points, special):
        """The second pass into the arrays: cells (one per run, C-contiguous
        int64, in meshio's order of the run's kind), kinds (their names),
        points (float64, (nodes, 3)), special (int64). False when the runs
        were not the file's."""
        return self._call("ppt_read_fill", pointers(cells), names(kinds), points.ctypes.data,
                          special.ctypes.data) == 0


def nonfinite(points):
    """The first row of a C-contiguous float64 (n, 3) array with a coordinate
    that is not finite, or -1."""
    return lib().ppt_nonfinite(points.ctypes.data, len(points))


# --------------------------------------------------------------- writing

def write_chunks(header, label, blocks, points, special, size):
    """Yields the text of a drawing in chunks of at most max(size, the longest
    line) bytes (memoryviews of one buffer, valid until the next one).
    header: bytes, or None for a drawing after the first; blocks: [(cells,
    kind name)], C-contiguous int64 in meshio's order of their kind; points
    C-contiguous float64 (n, 3); special int64; numbers from 0."""
    core = lib()
    cells = [c for c, _ in blocks]
    counts = (I64 * max(len(blocks), 1))(*[len(c) for c in cells])
    widths = (I64 * max(len(blocks), 1))(*[c.shape[1] for c in cells])
    message = Message()
    handle = core.ppt_write_open(header, len(header) if header is not None else 0, label, len(label), len(blocks),
                                 pointers(cells), counts, widths, names([kind for _, kind in blocks]),
                                 points.ctypes.data, len(points), special.ctypes.data, len(special), *message.args())
    if not handle:
        raise message.fault()
    try:
        size = max(size, core.ppt_write_room(handle))
        buffer = bytearray(size)
        address = ctypes.addressof((ctypes.c_char * size).from_buffer(buffer))
        view = memoryview(buffer)
        while True:
            n = core.ppt_write_chunk(handle, address, size)
            if n == 0:
                break
            yield view[:n]
    finally:
        core.ppt_write_close(handle)


# ------------------------------------------------------------ conversion

class Conversion:
    """A conversion of a mesh file to .vtu or .pvtu by the core: run() in
    one thread, interrupt() from another."""

    def __init__(self, source, target, drawing, pieces, kinds, keep, compression):
        self.lib = lib()
        message = Message()
        self.handle = self.lib.ppt_vtu_open(path_bytes(source), path_bytes(target), drawing, pieces,
                                            kinds.encode("ascii"), keep.encode("utf-8"), compression,
                                            *message.args())
        if not self.handle:
            raise message.fault()

    def run(self):
        message = Message()
        if self.lib.ppt_vtu_run(self.handle, *message.args()) != 0:
            raise message.fault()

    def interrupt(self):
        self.lib.ppt_vtu_interrupt(self.handle)

    def drawings(self):
        """The drawings written."""
        return self.lib.ppt_vtu_drawings(self.handle)

    def fours(self, k):
        """The elements of 4 nodes in the k-th drawing written (from 1)."""
        return self.lib.ppt_vtu_fours(self.handle, k)

    def close(self):
        if self.handle:
            self.lib.ppt_vtu_close(self.handle)
            self.handle = None
