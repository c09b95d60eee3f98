"""The drawings of a mesh file written as VTK's .vtu, or as a .pvtu over
pieces, by the core library streaming the records once (twice with a choice
of cells, once more for a file of several drawings): memory stays at some
MiB whatever the size of the mesh.

    from pptools import vtu
    vtu.convert("job_th.zmf", "job_th.vtu")
    vtu.convert("job_th.zmf", "job_th.pvtu", pieces=8)   # job_th_1.vtu ... job_th_8.vtu
    vtu.convert("job_th.zmf", "job_th.vtu", compression=vtu.ZLIB)

Each array is written inline, as base64 in its DataArray, which every
ParaView and meshio reads; compressed by zlib on request.

Cells, node orders and the point data "special" are those that meshio's
own .vtu writer gives the mesh of pptools.read. Where there are more
drawings than one, the cell data "drawing" gives each cell's (from 1); the
titles are the field data "header" and "label" (UInt8, the bytes of each
text ended by a zero byte, "label" one text a drawing: ParaView and meshio
both read them, see pptools.drawings).
"""

import os
import shutil
import tempfile
import threading
import warnings

from . import _core, zmf

MAX_PIECES = 4096
# The level of zlib for a compressed output (-z): see bench/convert.
ZLIB = 1


class VtuError(Exception):
    """A conversion that failed: one line naming the file and the fault."""


def library():
    """The core library; raises VtuError."""
    try:
        return _core.lib()
    except _core.Missing as error:
        raise VtuError(str(error))


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
    room_for_files(pieces)
    source = options.input
    staged = _staged(source)
    try:
        fours = convert(staged or source, options.output, options.drawing, types, cells, pieces,
                        ZLIB if options.compress else 0)
        # The drawings whose 4-node elements went as quads are read again, to
        # say whether they look like tetrahedra.
        if cells is None or zmf.cell_type(4, types) in cells:
            numbers = [options.drawing] if options.drawing else range(1, len(fours) + 1)
            with warnings.catch_warnings(record=True) as said:
                warnings.simplefilter("always")
                zmf.say_guesses(staged or source, [d for d, n in zip(numbers, fours) if n], types)
            for warning in said:
                text = str(warning.message)
                warnings.warn(text.replace(staged, source) if staged else text, warning.category)
    except VtuError as error:
        if not staged:
            raise
        raise VtuError(str(error).replace(staged, source))
    finally:
        if staged:
            os.unlink(staged)
    return True


def _staged(source):
    """A pipe or a device as the input, which the conversion reads more than
    once: its bytes copied to a scratch file first, whose path is returned;
    None for any other input."""
    if not os.path.exists(source) or os.path.isfile(source) or os.path.isdir(source):
        return None
    handle, path = tempfile.mkstemp(prefix="ppt-convert.", suffix=".zmf")
    try:
        with os.fdopen(handle, "wb") as copy, open(source, "rb") as given:
            shutil.copyfileobj(given, copy, 1 << 20)
    except OSError as error:
        os.unlink(path)
        raise VtuError("%s: %s" % (source, error.strerror or error))
    except BaseException:
        os.unlink(path)
        raise
    return path


def room_for_files(pieces):
    """Raises the soft limit of open files of this process (ppt-convert's
    own) towards the hard one, for pieces whose windows of nodes overlap and
    are open at once; the library leaves a caller's limits alone."""
    try:
        import resource
    except ImportError:
        return
    wanted = pieces + 64
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    if soft != resource.RLIM_INFINITY and soft < wanted:
        resource.setrlimit(resource.RLIMIT_NOFILE, (wanted if hard == resource.RLIM_INFINITY else min(hard, wanted),
                                                    hard))


def _kinds(types):
    """The cell types chosen for node counts, as the core takes them."""
    for count, name in sorted((types or {}).items()):
        kind = _core.kinds().get(name)
        if kind is None or not kind.vtk:
            raise VtuError("%s cells have no VTK cell type" % name)
    return ",".join("%d=%s" % (count, name) for count, name in sorted((types or {}).items()))


def convert(source, target, drawing=None, types=None, cells=None, pieces=0, compression=0):
    """Writes the drawings of the mesh file `source`, or drawing `drawing`
    (from 1) alone, to `target`: a .vtu (pieces 0) or a .pvtu over `pieces`
    files named after it (job_1.vtu, ...), each with its share of the
    elements and the window of nodes they use. `types` maps node counts to
    cell types as in pptools.read, `cells` keeps the cells of those meshio
    types only; `compression`, from 1 to 9, is the level of zlib for the
    arrays, 0 none. Returns, for each drawing written, its elements of 4
    nodes. Raises VtuError."""
    library()
    zmf.check_types(types)
    fault = _core.drawing_fault(source, drawing)
    if fault:
        raise VtuError(fault)
    if drawing is not None and drawing < 1:
        raise VtuError("%s: drawing %d asked: drawings are numbered from 1" % (source, drawing))
    if not 0 <= pieces <= MAX_PIECES:
        raise VtuError("--pieces %d: from 1 to %d" % (pieces, MAX_PIECES))
    if not 0 <= compression <= 9:
        raise VtuError("compression level %d: from 1 to 9, or 0 for none" % compression)
    try:
        conversion = _core.Conversion(source, target, drawing or 0, pieces, _kinds(types),
                                      ",".join(sorted(cells or ())), compression)
    except _core.Fault as fault:
        raise VtuError(str(fault))
    # In a thread of its own, so that Ctrl-C is heard at once: the core then
    # stops and removes what it wrote before the interrupt goes on. An Event,
    # not join(), tells the end: an interrupted join() may return early.
    faults, done, written = [], threading.Event(), []

    def work():
        try:
            conversion.run()
            written.append([conversion.fours(k) for k in range(1, conversion.drawings() + 1)])
        except _core.Fault as fault:
            faults.append(fault)
        finally:
            done.set()

    try:
        threading.Thread(target=work, daemon=True).start()
        try:
            while not done.wait(0.1):
                pass
        except KeyboardInterrupt:
            conversion.interrupt()
            while not done.is_set():
                try:
                    done.wait()
                except KeyboardInterrupt:
                    pass
            raise
    finally:
        if done.is_set():
            conversion.close()
    if faults:
        raise VtuError(str(faults[0]))
    return written[0]
