"""The mesh files in meshio, ppt-convert, Gmsh and ParaView.

    meshes.py read      RODMESH SOURCE_DIR WORK_DIR   node counts to cell types, and faulty files
    meshes.py roundtrip RODMESH SOURCE_DIR WORK_DIR   rodmesh outputs through .vtu and .zmf
    meshes.py road      RODMESH SOURCE_DIR WORK_DIR   Gmsh -> ppt-convert -> rodmesh -> ppt-convert -> pvbatch
    meshes.py tools     RODMESH SOURCE_DIR WORK_DIR   what ppt-convert and ppt-preview say, good runs and bad
    meshes.py stl       RODMESH SOURCE_DIR WORK_DIR   rodmesh's solids and Gmsh's boxes as STL, checked by admesh

Exits 77 (skipped) when meshio, or for the road Gmsh or ParaView (pvbatch and its
Python modules), for stl admesh or Gmsh, is missing.
"""

import importlib.util
import io
import os
import re
import shutil
import subprocess
import sys

SKIP = 77
HERE = os.path.dirname(os.path.abspath(__file__))


def run(command, cwd, stdin=None):
    result = subprocess.run(command, cwd=cwd, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if result.returncode != 0:
        raise AssertionError("%s failed (%d):\n%s" % (" ".join(command), result.returncode,
                                                     result.stderr.decode("latin-1")))
    return result.stdout.decode("latin-1")


def identical(a, b, skip_lines=0):
    with open(a, "rb") as x, open(b, "rb") as y:
        return x.read().split(b"\n", skip_lines)[-1] == y.read().split(b"\n", skip_lines)[-1]


# ------------------------------------------------------------------ reading

# The places in the file's list of meshio's nodes of the suite's 8-node face
# (corner, mid-side node, corner, ... round it; meshio: the corners, then
# the mid-side nodes) and 20-node brick (the rings of 8 at the bar's ends
# and the 4 nodes at mid-length; meshio: the corners of both ends, the
# mid-side nodes of each end, those between them).
FILE_ORDERS = {"quad8": [0, 2, 4, 6, 1, 3, 5, 7],
               "hexahedron20": [0, 2, 4, 6, 12, 14, 16, 18, 1, 3, 5, 7, 13, 15, 17, 19, 8, 9, 10, 11]}

# Node count, the cell type asked for it (None: the default), the cell type
# read, and whether meshio orders the nodes otherwise than the file lists them.
CELLS = [
    (1, None, "vertex", False),
    (2, None, "line", False),
    (3, None, "triangle", False),
    (3, "line3", "line3", False),
    (4, None, "quad", False),
    (4, "tetra", "tetra", False),
    (6, None, "wedge", False),
    (6, "triangle6", "triangle6", False),
    (7, None, "polygon", False),
    (8, None, "quad8", True),
    (8, "hexahedron", "hexahedron", False),
    (10, None, "tetra10", False),
    (20, None, "hexahedron20", True),
]

GOOD = ["Title", "LABEL", "    2       3       1",
        "    1     2       1     2", "    2     2       2     3",
        "    1      0.00000000      0.00000000      0.00000000",
        "    2      1.00000000      0.00000000      0.00000000",
        "    3      2.00000000      0.00000000      0.00000000",
        "    1     3"]



def replaced(line, text):
    """GOOD with its line `line` (from 1) replaced by `text`, or cut before it (text None)."""
    return GOOD[:line - 1] + ([text] + GOOD[line:] if text is not None else []) if line else []


# A drawing of many nodes: read in several blocks.
BIG = GOOD[:2] + ["    1   100000       0", "    1     2       1     2"] + \
    ["%5d %15.8f %15.8f %15.8f" % (n, n, 0.5, 0.0) for n in range(1, 100001)]

# The lines of a file, ppt-convert's options, and the start of its one line
# (None: it is read as GOOD is).
FAULTS = [
    (replaced(0, None), [], "line 1: the file ends where the header line is due"),
    (replaced(3, "    2       3       x"), [], "line 3: the count line must hold three integers"),
    (replaced(3, "    2       3      -1"), [], "line 3: negative count"),
    (replaced(3, "    2       0       0"), [], "line 4: element 1: node 1 out of range (1 to 0)"),
    (replaced(5, "    3     2       2     3"), [], "line 5: element 2 expected, found '3'"),
    (replaced(4, "    1     0"), [], "line 4: element 1: a node count of 0"),
    (replaced(5, "    2     2       2     4"), [], "line 5: element 2: node 4 out of range (1 to 3)"),
    (replaced(6, None)[:4] + ["    2     2       2"], [], "line 6: the file ends where node 2 of element 2 is due"),
    (replaced(4, "    1     2\n       1     2"), [], None),  # a record split over two lines
    (replaced(7, "    2      1.00000000            nan      0.00000000"), [],
     "line 7: node 2: 'nan' is not a finite real number"),
    (replaced(7, "  2.0      1.00000000      0.00000000      0.00000000"), [], "line 7: node 2 expected, found '2.0'"),
    (replaced(8, "    2      2.00000000      0.00000000      0.00000000"), [], "line 8: node 3 expected"),
    (replaced(9, "    1     0"), [], "line 9: special node 1: node 0 out of range (1 to 3)"),
    (replaced(7, None), [], "line 7: the file ends where node 2 of 3 is due"),
    (replaced(3, "    2   2000000000       1"), [], "line 9: node 4 expected, found '1'"),  # nothing allocated
    (BIG[:80003] + ["80000      1.00000000             1.5x 0.0"] + BIG[80004:], [],
     "line 80004: node 80000: '1.5x' is not a finite real number"),
    (GOOD + GOOD[1:7] + ["    3      2.00000000      0.00000000"], ["-d", "2"],
     "line 17: the file ends where the z coordinate of node 3 is due"),
    (GOOD + GOOD[1:], ["-d", "2"], None),
    (GOOD + GOOD[1:], ["-d", "3"], "line 18: drawing 3 asked, the file holds 2"),
    (GOOD + GOOD[1:], ["-d", "4294967297"], "drawing 4294967297 asked: drawings are numbered up to"),
    # The end of a file in its unterminated header line is on that line.
    (b"Title only", [], "line 1: the file ends where the drawing line is due"),
    # A drawing without elements: the fault of its records, not that there
    # are no cells to write.
    (["T", "D", "0 1 1", "1 0 0 0", "1 2"], [], "line 5: special node 1: node 2 out of range (1 to 1)"),
    # Every drawing by default: a fault in the second.
    (GOOD + GOOD[1:8], [], "line 17: the file ends where special node 1 of 1 is due"),
]


def write_lines(path, lines):
    """A file of the lines, each ended by a line feed, or of the bytes given."""
    with open(path, "wb") as handle:
        handle.write(lines if isinstance(lines, bytes) else "".join(line + "\n" for line in lines).encode())
    return path


def check_read(rodmesh, source_dir, work):
    import warnings
    import meshio
    import pptools

    convert = os.path.join(source_dir, "tools", "ppt-convert")
    failures = []
    warnings.simplefilter("error", pptools.GuessWarning)  # the flat quad of CELLS is no guess to say
    for count, choice, kind, order in CELLS:
        path = os.path.join(work, "cells%d%s.zmf" % (count, choice or ""))
        nodes = list(range(count, 0, -1))  # any list tells the order apart
        lines = GOOD[:2] + ["%5d   %5d   %5d" % (2, count, 0)]
        lines += ["%5d %5d   " % (e, count) + "".join(" %5d" % n for n in nodes) for e in (1, 2)]
        lines += ["%5d %15.8f %15.8f %15.8f" % (n, n, -n / 3.0, 0.0) for n in range(1, count + 1)]
        with open(path, "w") as handle:
            handle.write("\n".join(lines) + "\n")
        # The default goes through meshio's own entry points, as users' scripts do.
        mesh = meshio.read(path) if choice is None else pptools.read(path, types={count: choice})
        positions = FILE_ORDERS[kind] if order else range(count)
        expected = [nodes[k] - 1 for k in positions]
        if [block.type for block in mesh.cells] != [kind] or mesh.cells[0].data.tolist() != [expected] * 2:
            failures.append("%d nodes as %s: read %s" % (count, choice, [(b.type, b.data.tolist()) for b in mesh.cells]))
        copy = path + ".copy.zmf"
        meshio.write(copy, mesh) if choice is None else pptools.write(copy, mesh)
        if not identical(path, copy):
            failures.append("%d nodes as %s: written back otherwise" % (count, choice))
    mixed = pptools.read(write_lines(os.path.join(work, "mixed.zmf"), GOOD[:2] + [
        "    3       3       0", "    1     2     1     2", "    2     3     1     2     3", "    3     2     2     3"]
        + GOOD[5:8]))
    blocks = [(block.type, block.data.tolist()) for block in mixed.cells]
    if blocks != [("line", [[0, 1]]), ("triangle", [[0, 1, 2]]), ("line", [[1, 2]])]:
        failures.append("elements of 2, 3 and 2 nodes read as %s" % blocks)
    good = pptools.read(write_lines(os.path.join(work, "good.zmf"), GOOD))
    for case, (lines, options, message) in enumerate(FAULTS):
        path = write_lines(os.path.join(work, "fault%d.zmf" % case), lines)
        result = subprocess.run([convert] + options + [path, path + ".vtu"], stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE)
        said = result.stderr.decode("latin-1")
        if message is None:
            drawing = int(options[1]) if options else 1
            mesh = pptools.read(path, drawing) if result.returncode == 0 else None
            if mesh is None or not (mesh.points.tolist() == good.points.tolist()
                                    and mesh.cells[0].data.tolist() == good.cells[0].data.tolist()):
                failures.append("case %d: not read as the good file: status %d, said %r" % (
                    case, result.returncode, said))
        elif result.returncode != 1 or not said.startswith("ppt-convert: %s: %s" % (path, message)) \
                or said.count("\n") != 1:
            failures.append("%s: status %d, said %r" % (message, result.returncode, said))
        elif not options:
            # meshio.read ends the process on a meshio.ReadError: a script's
            # `except Exception` must catch the fault instead.
            try:
                meshio.read(path)
                failures.append("%s: meshio.read raised nothing" % message)
            except Exception as error:
                if not str(error).startswith("%s: %s" % (path, message)):
                    failures.append("%s: meshio.read raised %r" % (message, error))
    failures += check_titles(rodmesh, work)
    for failure in failures:
        print("FAILED: " + failure)
    print("%d cell cases, %d faulty files, %d titles" % (len(CELLS), len(FAULTS), len(TITLES)))
    return 1 if failures else 0


# Title lines that pptools.write takes (the programs read them back) or
# refuses, in one line.
TITLES = [
    ("x" * 998, None),
    ("\u00e9" * 499, None),
    ("x" * 999, "the header is 999 bytes long"),
    ("\u00e9" * 500, "the header is 1000 bytes long"),
    ("a\rb", "the header holds a carriage return"),
    ("a\nb", "the header holds a line feed"),
    ("a\0b", "the header holds a NUL byte"),
    (5, "the header is 5, no text"),
]


def check_titles(rodmesh, work):
    import meshio
    import numpy
    import pptools

    failures = []
    bar = meshio.Mesh(numpy.eye(3), [("line", numpy.array([[0, 1]]))])
    for case, (header, refused) in enumerate(TITLES):
        path = os.path.join(work, "title%d.zmf" % case)
        try:
            pptools.write(path, bar, header=header, label=header)
            said = None
        except meshio.WriteError as error:
            said = str(error)
        if refused is None and said is None:
            result = subprocess.run([rodmesh, "title%d" % case], cwd=work, input=b"p\nb\n0\n1\n1\n",
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            if result.returncode != 0:
                failures.append("title %d: rodmesh refused it: %r" % (case, result.stderr[-200:]))
        elif said is None or refused is None or not said.startswith(refused) or "\n" in said:
            failures.append("title %d: pptools.write said %r" % (case, said))
    return failures


# --------------------------------------------------------------- round trip

def check_roundtrip(rodmesh, source_dir, work):
    import numpy
    from pptools import zmf

    convert = os.path.join(source_dir, "tools", "ppt-convert")
    examples = os.path.join(source_dir, "examples", "rodmesh")
    for answers in ("prisms", "cylinders"):  # bricks, faces
        directory = os.path.join(work, answers)
        shutil.copytree(examples, directory)
        with open(os.path.join(directory, answers + ".answers"), "rb") as handle:
            run([rodmesh, "footbridge"], directory, handle.read())
        run([convert, "footbridge_th.zmf", "solids.vtu"], directory)
        run([convert, "solids.vtu", "back.zmf"], directory)
        run([convert, "footbridge_th.zmf", "copy.zmf"], directory)
        solids = os.path.join(directory, "footbridge_th.zmf")
        # The titles too come back from the .vtu.
        if not (identical(solids, os.path.join(directory, "back.zmf"))
                and identical(solids, os.path.join(directory, "copy.zmf"))):
            raise AssertionError("%s: the solids came back otherwise" % answers)
        # Read from an open file, and written in small chunks to one, the same.
        whole = zmf.read(solids)
        with open(solids, "rb") as handle:
            opened = zmf.read(handle)
        if not (numpy.array_equal(whole.points, opened.points) and
                [(b.type, b.data.tolist()) for b in whole.cells] == [(b.type, b.data.tolist()) for b in opened.cells]):
            raise AssertionError("%s read from an open file differs" % solids)
        zmf.CHUNK, chunk = 97, zmf.CHUNK
        try:
            written = io.BytesIO()
            zmf.write(written, whole)
        finally:
            zmf.CHUNK = chunk
        with open(solids, "rb") as handle:
            if written.getvalue() != handle.read():
                raise AssertionError("%s written in small chunks differs" % solids)
        print("%-10s rodmesh output -> .vtu -> .zmf and .zmf -> .zmf as written" % answers)
    # A mesh without bars: rodmesh writes a drawing of no records, which
    # pptools reads and writes back as it was (ppt-convert refuses to write
    # a file without cells).
    write_lines(os.path.join(work, "none.zmf"), ["No bars", "NONE", "    0       0       0"])
    run([rodmesh, "none"], work, b"p\nb\n0\n0.1\n0.2\n")
    zmf.write(os.path.join(work, "none_copy.zmf"), zmf.read(os.path.join(work, "none_th.zmf")))
    if not identical(os.path.join(work, "none_th.zmf"), os.path.join(work, "none_copy.zmf")):
        raise AssertionError("the solids of a mesh without bars came back otherwise")
    check_drawings(source_dir, work)
    return 0


def check_drawings(source_dir, work):
    """The three drawings of the example and their titles through .vtu and
    .zmf, each line's words as they were; .msh says in one warning what it
    cannot hold, and keeps the elements."""
    import meshio
    import pptools

    convert = os.path.join(source_dir, "tools", "ppt-convert")
    bridge = os.path.join(source_dir, "examples", "meshtools", "bridge.zmf")

    def words(path):
        """Each line's words, numbers as their values."""
        def value(word):
            try:
                return float(word)
            except ValueError:
                return word
        with open(path) as handle:
            return [[value(word) for word in line.split()] for line in handle]

    # Beside the example: a drawing whose first node no cell uses, and a
    # last drawing without cells, which the cells of a .vtu cannot tell.
    odd = os.path.join(work, "odd.zmf")
    with open(odd, "w") as out:
        out.write("Odd\nA\n1 2 0\n1 2 1 2\n1 0 0 0\n2 1 0 0\nB\n1 3 0\n1 2 2 3\n"
                  "1 5 0 0\n2 6 0 0\n3 7 0 0\nE\n0 1 0\n1 9 0 0\n")
    for given in (bridge, odd):
        for via in ("via.vtu", "via.zmf"):
            run([convert, given, via], work)
            run([convert, via, "back.zmf"], work)
            if words(os.path.join(work, "back.zmf")) != words(given):
                raise AssertionError("the drawings of %s came back otherwise through %s" % (given, via))
    said = run_said([convert, bridge, "bridge.msh"], work)
    if said != ["ppt-convert: warning: not written (gmsh cannot hold them): point sets special; "
                "cell sets CABLES, DECK, PYLON; titles header, drawing labels"]:
        raise AssertionError("ppt-convert to .msh said %r" % said)
    back = meshio.read(os.path.join(work, "bridge.msh"))
    mesh = pptools.read(bridge)
    if len(back.points) != 10 or sum(len(b.data) for b in back.cells) != 7 or \
            list(mesh.cell_sets) != ["DECK", "PYLON", "CABLES"] or pptools.read(bridge, 2).info["zmf:labels"] != ["PYLON"]:
        raise AssertionError("the drawings in meshio: %r, %r" % (mesh.cell_sets, back))
    print("bridge.zmf  3 drawings -> .vtu, .zmf -> .zmf as they were; -> .msh as one, said")


def run_said(command, cwd):
    """The lines a successful run says on standard error."""
    result = subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if result.returncode != 0:
        raise AssertionError("%s failed: %s" % (" ".join(command), result.stderr.decode("latin-1")))
    return result.stderr.decode("latin-1").splitlines()


# --------------------------------------------------------------------- road

def check_road(rodmesh, source_dir, work):
    import numpy
    import pptools

    convert = os.path.join(source_dir, "tools", "ppt-convert")
    shutil.copy(os.path.join(source_dir, "examples", "gmsh", "truss.geo"), work)
    run(["gmsh", "-1", "truss.geo", "-o", "truss.msh"], work)
    run([convert, "--cells", "line", "truss.msh", "truss.zmf"], work)
    run([convert, "truss.msh", "truss.vtu"], work)  # Gmsh's bookkeeping sets must not stop it
    bars = pptools.read(os.path.join(work, "truss.zmf"))
    ends = bars.points[bars.cells[0].data]
    length = numpy.linalg.norm(ends[:, 1] - ends[:, 0], axis=1)
    width, height = 80.0, 120.0
    expected = {"b": ("volume", (width * height * length).sum()),
                "f": ("area", (2 * (width + height) * length + 2 * width * height).sum())}
    solids = []
    for form in "bf":
        run([rodmesh, "truss"], work, ("p\n%s\n0\n%r\n%r\n" % (form, width, height)).encode())
        run([convert, "truss_th.zmf", "truss_%s.vtu" % form], work)
        solids.append("truss_%s.vtu" % form)
    report = run(["xvfb-run", "-a", "pvbatch", os.path.join(HERE, "integrate.py")] + solids, work)
    found = {line.split()[0]: [float(v) for v in line.split()[1:]] for line in report.splitlines()
             if line.startswith("truss_")}
    failures = 0
    for form, path in zip("bf", solids):
        what, want = expected[form]
        volume, area, smallest = found[path]
        got = volume if what == "volume" else area
        good = abs(got - want) <= 1e-9 * want and smallest >= 0
        failures += not good
        print("%-12s %d bars: %s %.6f, sum of the prisms %.6f; smallest cell volume %g%s" % (
            path, len(length), what, got, want, smallest, "" if good else "  FAILED"))
    return 1 if failures else 0


# ------------------------------------------------------------------ tools

# A run of a tool: its arguments (ppt-convert unless "preview" comes first),
# PYTHONPATH put first ("fake": a meshio without its interface, "broken": one
# that does not import), the status, what standard error must say (one line
# per entry, in order), and the file that must (+) or must not (-) exist.
TOOL_RUNS = [
    (["mixed.vtu", "mixed.zmf"], None, 0,
     ["1 hexahedron cells are written as 8-node elements, which read back as quad8: read them with -n 8=hexahedron",
      "1 tetra cells are written as 4-node elements, which read back as quad: read them with -n 4=tetra",
      "not written (a mesh file cannot hold them): point data T; cell data c",
      "2 distinct nodes are written as the same coordinates as another node",
      "1 nonzero coordinates are written as 0"], "+mixed.zmf"),
    (["-n", "4=tetra", "-n", "8=hexahedron", "mixed.zmf", "back.vtu"], None, 0, [], "+back.vtu"),
    (["mixed.vtu", "mixed.stl"], None, 0,
     ["3 cells left out that stl cannot hold (2 line, 1 vertex)",
      "not written (stl cannot hold them): point data T; cell data c"], "+mixed.stl"),
    (["-c", "line", "mixed.vtu", "lines.stl"], None, 1,
     ["warning: 2 cells left out", "lines.stl: not written: no cell left to write"], "-lines.stl"),
    (["-n", "4", "mixed.zmf", "x.vtu"], None, 1, ["--nodes 4: COUNT=TYPE expected"], "-x.vtu"),
    (["empty.zmf", "x.vtu"], None, 1, ["x.vtu: not written: no cell left to write"], "-x.vtu"),
    (["mixed.zmf", "folder.vtu"], None, 1, ["folder.vtu: is a folder"], None),
    (["-n", "4=hexahedron", "mixed.zmf", "x.vtu"], None, 1, ["--nodes: a hexahedron cell has not 4 nodes"], None),
    (["--bogus", "mixed.vtu", "x.vtu"], None, 1, ["unrecognized arguments: --bogus"], None),
    (["-o", "nonsense", "mixed.vtu", "x"], None, 1, ["unknown format 'nonsense'"], None),
    (["absent.vtu", "x.zmf"], None, 1, ["absent.vtu: no such file"], "-x.zmf"),
    (["mixed.vtu", "folder.vtu"], None, 1, ["folder.vtu: is a folder"], None),
    (["mixed.vtu", "mixed.vtu/x.zmf"], None, 1, ["mixed.vtu/x.zmf: mixed.vtu is not a folder"], None),
    (["mixed.vtu", "x.zmf"], "fake", 1, ["lacks Mesh, CellBlock"], "-x.zmf"),
    (["mixed.vtu", "x.zmf"], "broken", 1, ["meshio for python3 cannot be imported: broken"], "-x.zmf"),
    (["preview", "folder.zmf"], None, 1, ["cannot write folder.png: is a folder"], None),
    (["preview", "mixed.zmf"], "fake", 1, ["cannot read mixed.zmf: the meshio found"], "-mixed.png"),
    (["preview", "bars.zmf"], None, 0, ["bars.zmf: 60000 elements; a sample of 50000 of its 60000"], "+bars.png"),
    (["preview", "math.zmf"], None, 0, [], "+math.png"),  # "$", NUL and stray bytes in the header
    (["tt.vtu", "tt.stl"], None, 0, ["3 edges of the triangles are not met"], "+tt.stl"),
    (["mixed.vtu", "mixed.node"], None, 0,
     ["4 cells left out that tetgen cannot hold (1 hexahedron, 2 line, 1 vertex)", "point data T; cell data c"],
     "+mixed.ele"),
    (["mixed.vtu", "mixed.su2"], None, 0,
     ["3 cells left out that su2 cannot hold (2 line, 1 vertex)", "point data T; cell data c"], "+mixed.su2"),
    (["-n", "99999999999999999999999=polygon", "folder.zmf", "x.vtu"], None, 1,
     ["node count must be from 1 to 2147483647"], "-x.vtu"),
    # The tetra of mixed.zmf read as a quad, by the core's .vtu and by meshio.
    (["mixed.zmf", "guess.vtu"], None, 0, ["mixed.zmf: 1 of the 1 4-node elements are read as quads but their "
                                           "corners are not in one plane: if they are tetrahedra, read them with "
                                           "-n 4=tetra"], "+guess.vtu"),
    (["mixed.zmf", "guess.vtk"], None, 0, ["mixed.zmf: 1 of the 1 4-node elements",
                                           "not written (vtk cannot hold them): titles header, drawing label"],
     "+guess.vtk"),
    (["-c", "line", "mixed.zmf", "lines.vtu"], None, 0, [], "+lines.vtu"),
    (["twotets.vtu", "twotets.stl"], None, 0, [], "+twotets.stl"),  # the face they share is not written
]


def tool_inputs(work):
    import meshio
    import numpy

    cube = [[x + 5, y, z] for z in (0, 1) for y, x in ((0, 0), (0, 1), (1, 1), (1, 0))]
    points = [[0, 0, 0], [1, 0, 0], [0, 1, 0], [0, 0, 1], [1, 1, 1], [1e-9, 0, 0], [1 + 1e-10, 0, 0]] + cube
    mesh = meshio.Mesh(numpy.array(points, dtype=float),
                       [("tetra", [[0, 1, 2, 3]]), ("hexahedron", [list(range(7, 15))]),
                        ("line", [[0, 4], [5, 6]]), ("vertex", [[0]])],
                       point_data={"T": numpy.arange(15.0)},
                       cell_data={"c": [numpy.array([1.0]), numpy.array([2.0]), numpy.array([3.0, 4]),
                                        numpy.array([5.0])]})
    meshio.write(os.path.join(work, "mixed.vtu"), mesh)
    meshio.write(os.path.join(work, "tt.vtu"), meshio.Mesh(numpy.array(points[:5], dtype=float),
                                                           [("triangle", [[1, 2, 4]]), ("tetra", [[0, 1, 2, 3]])]))
    meshio.write(os.path.join(work, "twotets.vtu"), meshio.Mesh(numpy.array(points[:5], dtype=float),
                                                               [("tetra", [[0, 1, 2, 3], [1, 2, 3, 4]])]))
    with open(os.path.join(work, "math.zmf"), "wb") as handle:
        handle.write(b"Cost $\\frac{1$ \0\xff\n" + "".join(line + "\n" for line in GOOD[1:]).encode())
    pptools_bars = 60000
    lines = ["Bars", "BARS", "%5d   %5d   %5d" % (pptools_bars, pptools_bars + 1, 0)]
    lines += ["%5d %5d    %5d %5d" % (k, 2, k, k + 1) for k in range(1, pptools_bars + 1)]
    lines += ["%5d %15.8f %15.8f %15.8f" % (k, k, k % 7, 0.0) for k in range(1, pptools_bars + 2)]
    with open(os.path.join(work, "bars.zmf"), "w") as handle:
        handle.write("\n".join(lines) + "\n")
    for folder in ("folder.vtu", "folder.png"):
        os.makedirs(os.path.join(work, folder))
    with open(os.path.join(work, "folder.zmf"), "w") as handle:
        handle.write("\n".join(GOOD) + "\n")
    with open(os.path.join(work, "empty.zmf"), "w") as handle:
        handle.write("Empty\nNONE\n    0       1       0\n    1 0 0 0\n")
    for name, text in (("fake", "__version__ = '7.0.0'\n"), ("broken", "raise ImportError('broken')\n")):
        os.makedirs(os.path.join(work, name, "meshio"))
        with open(os.path.join(work, name, "meshio", "__init__.py"), "w") as handle:
            handle.write(text)


def check_tools(source_dir, work):
    import warnings
    import pptools

    tool_inputs(work)
    failures = []
    for arguments, path, status, said, made in TOOL_RUNS:
        tool = "preview" if arguments[0] == "preview" else "ppt-convert"
        command = [os.path.join(source_dir, "tools", tool)] + arguments[tool == "preview":]
        env = dict(os.environ)
        if path:
            env["PYTHONPATH"] = os.path.join(work, path)
        result = subprocess.run(command, cwd=work, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                timeout=300)
        lines = result.stderr.decode("latin-1").splitlines()
        good = result.returncode == status and len(lines) == len(said) and \
            all(want in line for want, line in zip(said, lines)) and \
            not any("Traceback" in line for line in lines)
        if made:
            good = good and os.path.exists(os.path.join(work, made[1:])) == (made[0] == "+")
        if not good:
            failures.append("%s %s: status %d, said %r" % (tool, " ".join(arguments), result.returncode, lines))
    # The library says the same through Python's warnings.
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        pptools.write(os.path.join(work, "lib.zmf"), pptools.read(os.path.join(work, "mixed.zmf"),
                                                                  types={4: "tetra", 8: "hexahedron"}))
    said = [str(w.message) for w in caught if issubclass(w.category, pptools.LossWarning)]
    if len(said) != 2 or "types={4: 'tetra'}" not in said[1]:
        failures.append("pptools.write said %r" % said)
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        pptools.read(os.path.join(work, "mixed.zmf"))
    said = [str(w.message) for w in caught if issubclass(w.category, pptools.GuessWarning)]
    if len(said) != 1 or "types={4: 'tetra'}" not in said[0]:
        failures.append("pptools.read said %r" % said)
    failures += check_staging(source_dir, work)
    for failure in failures:
        print("FAILED: " + failure)
    print("%d runs of the tools" % len(TOOL_RUNS))
    return 1 if failures else 0


# How a write ends: the writer's fault, an interrupt in the writer, the
# writer done (None); and whether the output is a link to a file elsewhere.
STAGED = [(RuntimeError("the writer's fault"), False), (KeyboardInterrupt(), True), (None, True)]

# ppt-preview stopped while it draws: the picture stays as it was.
PREVIEW_SIGNALS = ["SIGINT", "SIGTERM"]


def leftovers(folder):
    return [name for name in os.listdir(folder) if name.startswith(".pptools-")]


def check_staging(source_dir, work):
    """An output is put in place only when whole: a fault or an interrupt
    leaves the earlier one as it was and nothing beside it."""
    import signal
    import time
    from pptools import convert

    failures = []
    written = convert._write
    for case, (end, link) in enumerate(STAGED):
        folder = os.path.join(work, "staged%d" % case)
        os.makedirs(os.path.join(folder, "elsewhere"))
        target = os.path.join(folder, "elsewhere", "out.vtk")
        write_lines(target, ["earlier"])
        out = os.path.join(folder, "link.vtk") if link else target
        if link:
            os.symlink(os.path.join("elsewhere", "out.vtk"), out)

        def writer(path, mesh, kind, header):
            write_lines(path, ["new"] if end is None else ["part"])
            if end is not None:
                raise end
        convert._write = writer
        try:
            convert.write(out, None, "vtk", None)
        except (convert.Failure, KeyboardInterrupt):
            pass
        finally:
            convert._write = written
        with open(target) as handle:
            text = handle.read()
        if text != ("new\n" if end is None else "earlier\n") or leftovers(os.path.dirname(target)) \
                or os.path.islink(out) != link:
            failures.append("write ended by %r: the output holds %r, beside it %r" % (
                end, text, leftovers(os.path.dirname(target))))
    for name in PREVIEW_SIGNALS:
        write_lines(os.path.join(work, "bars.png"), ["earlier"])
        started = subprocess.Popen([os.path.join(source_dir, "tools", "preview"), "bars.zmf"], cwd=work,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        while started.poll() is None and not leftovers(work):
            time.sleep(0.01)
        started.send_signal(getattr(signal, name))
        status = started.wait(timeout=300)
        with open(os.path.join(work, "bars.png"), "rb") as handle:
            if status != 1 or handle.read() != b"earlier\n" or leftovers(work):
                failures.append("ppt-preview stopped by %s: status %d, the picture changed or %r left" % (
                    name, status, leftovers(work)))
    return failures


# --------------------------------------------------------------------- STL

# Answers to rodmesh on the bundled footbridge: name, answers, prisms of
# this area (None: cylinders, whose faces are not the circle's).
STL_RUNS = [
    ("prism bricks", None, 0.12 * 0.2),
    ("prism faces", "p\nf\n2\nangles\n0.12\n0.2\n", 0.12 * 0.2),
    ("cylinder faces", None, None),
]


ADMESH_KEYS = ("Number of parts", "Volume", "Degenerate facets", "Edges fixed", "Facets reversed", "Backwards edges")


def admesh_report(path):
    report = run(["admesh", path], os.path.dirname(path))
    found = {}
    for key in ADMESH_KEYS:
        match = re.search(r"%s\s*:\s*([-+0-9.eE]+)" % key, report)
        if match:
            found[key] = float(match.group(1))
    return found


def check_stl(rodmesh, source_dir, work):
    import numpy
    import pptools

    convert = os.path.join(source_dir, "tools", "ppt-convert")
    examples = os.path.join(source_dir, "examples", "rodmesh")
    bars = pptools.read(os.path.join(examples, "footbridge.zmf"))
    ends = bars.points[bars.cells[0].data]
    length = numpy.linalg.norm(ends[:, 1] - ends[:, 0], axis=1).sum()
    failures = 0
    for name, answers, area in STL_RUNS:
        directory = os.path.join(work, name.replace(" ", "_"))
        shutil.copytree(examples, directory)
        if answers is None:
            with open(os.path.join(directory, name.split()[0] + "s.answers")) as handle:
                answers = handle.read()
        run([rodmesh, "footbridge"], directory, answers.encode())
        run([convert, "footbridge_th.zmf", "job.stl"], directory)
        found = admesh_report(os.path.join(directory, "job.stl"))
        faults = {key: found.get(key) for key in ("Degenerate facets", "Edges fixed", "Facets reversed",
                                                  "Backwards edges") if found.get(key) != 0}
        if found.get("Number of parts") != len(ends):
            faults["Number of parts"] = found.get("Number of parts")
        if area is not None and abs(found["Volume"] - area * length) > 1e-6 * area * length:
            faults["Volume"] = (found["Volume"], area * length)
        failures += bool(faults)
        print("%-15s %d bars, admesh: %d parts, volume %g%s" % (
            name, len(ends), found.get("Number of parts", -1), found.get("Volume", -1),
            "  FAILED %r" % faults if faults else ""))
    # Gmsh's volume meshes of a box go as its boundary alone: one closed part.
    for name, order, geometry in GMSH_BOXES:
        geo = os.path.join(work, name + ".geo")
        with open(geo, "w") as handle:
            handle.write(geometry)
        run(["gmsh", "-3", "-order", str(order), geo, "-o", name + ".msh"], work)
        said = subprocess.run([convert, name + ".msh", name + ".stl"], cwd=work, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE).stderr.decode("latin-1")
        found = admesh_report(os.path.join(work, name + ".stl"))
        faults = {key: found.get(key) for key in ("Degenerate facets", "Edges fixed", "Facets reversed",
                                                  "Backwards edges") if found.get(key) != 0}
        if found.get("Number of parts") != 1 or abs(found.get("Volume", 0) - 6) > 1e-4 or "shells" in said:
            faults["parts, volume, warning"] = (found.get("Number of parts"), found.get("Volume"), said)
        failures += bool(faults)
        print("%-15s admesh: %d parts, volume %g%s" % (name, found.get("Number of parts", -1),
                                                      found.get("Volume", -1), "  FAILED %r" % faults if faults else ""))
    return 1 if failures else 0


# Boxes of 1 by 2 by 3 for Gmsh: name, order, geometry.
GMSH_TETRA = 'SetFactory("OpenCASCADE");\nBox(1) = {0, 0, 0, 1, 2, 3};\nMesh.MeshSizeMax = 0.5;\n'
GMSH_HEXAHEDRA = """Point(1) = {0, 0, 0}; Point(2) = {1, 0, 0}; Point(3) = {1, 2, 0}; Point(4) = {0, 2, 0};
Line(1) = {1, 2}; Line(2) = {2, 3}; Line(3) = {3, 4}; Line(4) = {4, 1};
Curve Loop(1) = {1, 2, 3, 4}; Plane Surface(1) = {1};
Transfinite Curve{1, 2, 3, 4} = 4; Transfinite Surface{1}; Recombine Surface{1};
Extrude {0, 0, 3} { Surface{1}; Layers{5}; Recombine; }
"""
GMSH_BOXES = [("tetra", 1, GMSH_TETRA), ("tetra10", 2, GMSH_TETRA), ("hexahedron27", 2, GMSH_HEXAHEDRA)]


# Debian's package of each tool that a check may need.
PACKAGES = {"gmsh": "gmsh", "pvbatch": "paraview", "xvfb-run": "xvfb", "mpiexec": "openmpi-bin",
            "admesh": "admesh"}


def run_checks(argv, checks, needs):
    """The command line of a test script: MODE RODMESH SOURCE_DIR WORK_DIR.
    Runs checks[MODE](rodmesh, source_dir, work) in WORK_DIR/MODE, or skips
    (status 77, naming the Debian packages) when a tool of needs[MODE] or
    meshio is missing."""
    if len(argv) != 5 or argv[1] not in checks:
        sys.stderr.write(sys.modules["__main__"].__doc__ or "")
        return 2
    mode = argv[1]
    rodmesh, source_dir, work = (os.path.abspath(path) for path in argv[2:])
    missing = [module for module in ("meshio", "numpy") if importlib.util.find_spec(module) is None]
    missing = ["python3-" + module for module in missing]
    missing += [PACKAGES[tool] for tool in needs.get(mode, ()) if shutil.which(tool) is None]
    if "pvbatch" in needs.get(mode, ()) and importlib.util.find_spec("paraview") is None:
        missing.append("python3-paraview")  # pvbatch's modules
    if missing:
        print("%s not installed: skipped" % ", ".join(missing))
        return SKIP
    sys.path.insert(0, os.path.join(source_dir, "python"))
    work = os.path.join(work, mode)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    try:
        return checks[mode](rodmesh, source_dir, work)
    except AssertionError as error:
        print("FAILED: %s" % error)
        return 1


def main(argv):
    checks = {"read": check_read,
              "roundtrip": check_roundtrip, "road": check_road,
              "tools": lambda rodmesh, source, work: check_tools(source, work), "stl": check_stl}
    return run_checks(argv, checks, {"road": ("gmsh", "pvbatch", "xvfb-run"), "stl": ("admesh", "gmsh")})


if __name__ == "__main__":
    sys.exit(main(sys.argv))
