"""The native core of the package (libpptools_core.so): the mesh file's
reader and writer, loaded through ctypes.

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


def _declare(lib):
    def fn(name, restype, *argtypes):
        f = getattr(lib, name)
        f.restype, f.argtypes = restype, list(argtypes)

    fn("ppt_error", CHARS)
    fn("ppt_ordered_type", CHARS, ctypes.c_int, PI64, PI64)
    fn("ppt_read_open", P, CHARS, CHARS, I64, ctypes.c_int)
    fn("ppt_read_close", None, P)
    fn("ppt_read_head", None, P, ctypes.POINTER(P), PI64, ctypes.POINTER(P), PI64, PI64)
    fn("ppt_read_runs", I64, P, ctypes.c_int)
    fn("ppt_read_run_list", None, P, PI64)
    fn("ppt_read_check", ctypes.c_int, P)
    fn("ppt_read_fill", ctypes.c_int, P, ctypes.POINTER(P), ctypes.POINTER(P), P, P)
    fn("ppt_nonfinite", I64, P, I64)
    fn("ppt_write_open", P, CHARS, I64, CHARS, I64, I64, ctypes.POINTER(P), PI64, PI64, ctypes.POINTER(P),
       P, I64, P, I64)
    fn("ppt_write_room", I64, P)
    fn("ppt_write_chunk", I64, P, P, I64)
    fn("ppt_write_close", None, P)


def error():
    """The message of the core's last fault in this thread."""
    return lib().ppt_error().decode("utf-8", "surrogateescape")


def ordered_types():
    """{cell type: positions}: entry k is the position in the file's list of
    meshio's node k, for the types whose order differs from the file's."""
    found, out, count = {}, (I64 * 32)(), I64()
    i = 0
    while True:
        name = lib().ppt_ordered_type(i, out, ctypes.byref(count))
        if name is None:
            return found
        found[name.decode("ascii")] = list(out[:count.value])
        i += 1


def pointers(arrays):
    """A C array of the data pointers of numpy arrays (None: a null pointer)."""
    return (P * max(len(arrays), 1))(*[None if a is None else a.ctypes.data for a in arrays])


def path_bytes(path):
    return os.fsencode(path)


# The core takes a drawing's number as a C int: a larger one must not wrap
# round to another drawing.
LAST_DRAWING = 2 ** 31 - 1


def drawing_fault(name, drawing):
    """The fault of a drawing number that no file can hold, or None."""
    if drawing > LAST_DRAWING:
        return "%s: drawing %d asked: drawings are numbered up to %d" % (name, drawing, LAST_DRAWING)
    return None


class Reading:
    """One drawing of a mesh file being read; a context manager."""

    def __init__(self, name, drawing, data=None):
        """name: a path, or the name in messages of `data`, the file's bytes."""
        self.lib = lib()
        fault = drawing_fault(name, drawing)
        if fault:
            raise Fault(fault)
        self.data = data  # kept alive while the core reads it
        self.handle = self.lib.ppt_read_open(path_bytes(name), data, len(data) if data is not None else 0, drawing)
        if not self.handle:
            raise Fault(error())

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def close(self):
        if self.handle:
            self.lib.ppt_read_close(self.handle)
            self.handle = None

    def head(self):
        """(header bytes, label bytes, (elements, nodes, special nodes))."""
        header, label, hsize, lsize, counts = P(), P(), I64(), I64(), (I64 * 3)()
        self.lib.ppt_read_head(self.handle, ctypes.byref(header), ctypes.byref(hsize), ctypes.byref(label),
                               ctypes.byref(lsize), counts)
        return (ctypes.string_at(header, hsize.value) if hsize.value else b"",
                ctypes.string_at(label, lsize.value) if lsize.value else b"", tuple(counts))

    def runs(self, guess):
        """[(node count, elements)] of the runs of equal node count: guessed
        from the first element (one run), or found by a first pass."""
        count = self.lib.ppt_read_runs(self.handle, 1 if guess else 0)
        if count < 0:
            raise Fault(error())
        pairs = (I64 * max(2 * count, 1))()
        self.lib.ppt_read_run_list(self.handle, pairs)
        return [(pairs[2 * k], pairs[2 * k + 1]) for k in range(count)]

    def check(self):
        """Reads and checks every record, keeping none; raises Fault."""
        if self.lib.ppt_read_check(self.handle) != 0:
            raise Fault(error())

    def fill(self, cells, positions, points, special):
        """The second pass into the arrays: cells (one per run, C-contiguous
        int64), positions (int64 array or None per run), points (float64,
        (nodes, 3)), special (int64). False when the runs were not the
        file's."""
        done = self.lib.ppt_read_fill(self.handle, pointers(cells), pointers(positions),
                                      points.ctypes.data, special.ctypes.data)
        if done < 0:
            raise Fault(error())
        return done == 0


class Fault(Exception):
    """A fault the core reported: its one-line message."""


def nonfinite(points):
    """The first row of a C-contiguous float64 (n, 3) array with a coordinate
    that is not finite, or -1."""
    return lib().ppt_nonfinite(points.ctypes.data, len(points))


def write_chunks(header, label, blocks, points, special, size):
    """Yields the text of a drawing in chunks of at most max(size, the longest
    line) bytes (memoryviews of one buffer, valid until the next one).
    blocks: [(cells, positions or None)], C-contiguous int64; points
    C-contiguous float64 (n, 3); special int64; numbers from 0."""
    core = lib()
    cells = [c for c, _ in blocks]
    handle = core.ppt_write_open(header, len(header), label, len(label), len(blocks), pointers(cells),
                                 (I64 * max(len(blocks), 1))(*[len(c) for c in cells]),
                                 (I64 * max(len(blocks), 1))(*[c.shape[1] for c in cells]),
                                 pointers([p for _, p in blocks]), points.ctypes.data, len(points),
                                 special.ctypes.data, len(special))
    if not handle:
        raise Fault(error())
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
