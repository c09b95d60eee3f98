"""A drawing of a mesh file written as VTK's .vtu, or as a .pvtu over
pieces, by the core library streaming the records once (twice with a choice
of cells): memory stays at some MiB whatever the size of the mesh.

    from pptools import vtu
    vtu.convert("job_th.zmf", "job_th.vtu")
    vtu.convert("job_th.zmf", "job_th.pvtu", pieces=8)   # job_th_1.vtu ... job_th_8.vtu
    vtu.convert("job_th.zmf", "job_th.vtu", compression=vtu.ZLIB)

Each array is written inline, as base64 in its DataArray, which every
ParaView and meshio reads; compressed by zlib on request.

Cells, node orders and the point data "special" are those that meshio's
own .vtu writer gives the mesh of pptools.read.
"""

import ctypes
import os
import threading

import numpy as np

from . import _core, zmf

MAX_PIECES = 4096
# The level of zlib for a compressed output (-z): see bench/convert.
ZLIB = 1
_MESSAGE = 4096


class VtuError(Exception):
    """A conversion that failed: one line naming the file and the fault."""


def library():
    """The core library with the writer's entry declared; raises VtuError."""
    try:
        core = _core.lib()
        if core.ppt_vtu_convert.argtypes is None:
            _declare(core)
    except _core.Missing as error:
        raise VtuError(str(error))
    except AttributeError as error:  # a library of that name, not this core
        raise VtuError(_core.foreign(core, error))
    return core


def written(output, given):
    """"vtu" or "pvtu" when the output is one that the core writes, from -o
    or from its ending; else None."""
    kind = given if given else os.path.splitext(output)[1].lower().lstrip(".")
    return kind if kind in ("vtu", "pvtu") else None


def run(options, sources, types):
    """ppt-convert's conversion when the core writes it: a .zmf input and a
    .vtu or .pvtu output; False for any other pair (meshio's). `types` are
    the cell types chosen by -n, checked. Raises VtuError."""
    kind = written(options.output, options.output_format)
    if kind is None and options.compress:
        raise VtuError("--compress applies to a .vtu or .pvtu output")
    if sources != ["zmf"] or kind is None:
        # meshio's own writer compresses its .vtu whatever -z says.
        if options.pieces is not None:
            raise VtuError("--pieces applies to a .zmf input and a .pvtu output")
        return False
    if kind == "vtu" and options.pieces is not None:
        raise VtuError("--pieces: the output %s is no .pvtu" % options.output)
    cells = None
    if options.cells is not None:
        cells = {name.strip() for name in options.cells.split(",") if name.strip()}
    pieces = (1 if options.pieces is None else options.pieces) if kind == "pvtu" else 0
    if kind == "pvtu" and pieces < 1:
        raise VtuError("--pieces %d: from 1 to %d" % (pieces, MAX_PIECES))
    if cells is None or zmf.cell_type(4, types) in cells:
        zmf.say_guesses(options.input, options.drawing, types)
    convert(options.input, options.output, options.drawing, types, cells, pieces,
            ZLIB if options.compress else 0)
    return True


# VTK's numbers of meshio's cell types, as meshio's own .vtu writer gives
# them, and the orders in which that writer lists their nodes where they
# differ from meshio's (the wedge's first triangle turns the other way).
VTK_TYPES = {
    "vertex": 1, "line": 3, "triangle": 5, "polygon": 7, "quad": 9, "tetra": 10, "hexahedron": 12,
    "wedge": 13, "pyramid": 14, "line3": 21, "triangle6": 22, "quad8": 23, "tetra10": 24,
    "hexahedron20": 25, "wedge15": 26, "pyramid13": 27, "quad9": 28, "hexahedron27": 29,
    "wedge12": 31, "hexahedron24": 33,
}
VTK_ORDERS = {"wedge": np.array([0, 2, 1, 3, 5, 4])}


def _kinds(types):
    """The lines that tell the core the cell types chosen for node counts."""
    lines = []
    for count, name in sorted((types or {}).items()):
        if name not in VTK_TYPES:
            raise VtuError("%s cells have no VTK cell type" % name)
        # No positions: the file's own order, which the core takes as it is.
        positions = zmf.FILE_POSITIONS.get(name)
        order = VTK_ORDERS.get(name)
        if order is not None:
            positions = (np.arange(len(order)) if positions is None else positions)[order]
        positions = [] if positions is None else list(positions)
        lines.append(" ".join(str(v) for v in [count, name, VTK_TYPES[name]] + positions))
    return "\n".join(lines)


def convert(source, target, drawing=1, types=None, cells=None, pieces=0, compression=0):
    """Writes drawing `drawing` of the mesh file `source` to `target`: a .vtu
    (pieces 0) or a .pvtu over `pieces` files named after it (job_1.vtu, ...),
    each with its share of the elements and the window of nodes they use.
    `types` maps node counts to cell types as in pptools.read, `cells` keeps
    the cells of those meshio types only; `compression`, from 1 to 9, is the
    level of zlib for the arrays, 0 none. Raises VtuError."""
    core = library()
    zmf.check_types(types)
    fault = _core.drawing_fault(source, drawing)
    if fault:
        raise VtuError(fault)
    if not 0 <= pieces <= MAX_PIECES:
        raise VtuError("--pieces %d: from 1 to %d" % (pieces, MAX_PIECES))
    if not 0 <= compression <= 9:
        raise VtuError("compression level %d: from 1 to 9, or 0 for none" % compression)
    message = ctypes.create_string_buffer(_MESSAGE)
    arguments = (os.fsencode(source), os.fsencode(target), drawing, pieces, _kinds(types).encode(),
                 ",".join(sorted(cells or ())).encode(), compression, message, _MESSAGE)
    # In a thread of its own, so that Ctrl-C is heard at once: the core then
    # stops and removes what it wrote before the interrupt goes on. An Event,
    # not join(), tells the end: an interrupted join() may return early.
    status, done = [], threading.Event()

    def work():
        try:
            status.append(core.ppt_vtu_convert(*arguments))
        finally:
            done.set()

    core.ppt_vtu_interrupt(0)
    threading.Thread(target=work, daemon=True).start()
    try:
        while not done.wait(0.1):
            pass
    except KeyboardInterrupt:
        core.ppt_vtu_interrupt(1)
        while not done.is_set():
            try:
                done.wait()
            except KeyboardInterrupt:
                pass
        raise
    if status[0] != 0:
        raise VtuError(message.value.decode("utf-8", "replace"))


def _declare(core):
    function = core.ppt_vtu_convert
    function.argtypes = [ctypes.c_char_p, ctypes.c_char_p, ctypes.c_int, ctypes.c_int, ctypes.c_char_p,
                         ctypes.c_char_p, ctypes.c_int, ctypes.c_char_p, ctypes.c_size_t]
    function.restype = ctypes.c_int
    core.ppt_vtu_interrupt.argtypes = [ctypes.c_int]
    core.ppt_vtu_interrupt.restype = None
