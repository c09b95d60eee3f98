"""The core's .vtu and .pvtu writer (ppt-convert from a .zmf) in meshio and ParaView.

    native_vtu.py meshio   RODMESH SOURCE_DIR WORK_DIR   the cells and points that pptools.read gives
    native_vtu.py paraview RODMESH SOURCE_DIR WORK_DIR   a lattice's prisms in pvbatch, serial and in pieces

Exits 77 (skipped) when meshio, or for paraview pvbatch, xvfb-run or mpiexec, is missing.
"""

import os
import re
import shutil
import subprocess
import sys

import meshes

HERE = os.path.dirname(os.path.abspath(__file__))
WIDTH, HEIGHT = 0.1, 0.2

# A drawing of every kind of cell: node count and node numbers of each element.
MIXED = [(1, [3]), (2, [1, 2]), (3, [1, 4, 2]), (4, [5, 1, 2, 3]), (5, [1, 2, 3, 4, 5]),
         (6, [6, 5, 4, 3, 2, 1]), (7, [1, 2, 3, 4, 5, 6, 7]), (8, [8, 1, 2, 3, 4, 5, 6, 7]),
         (4, [2, 3, 4, 5]), (20, list(range(20, 0, -1))), (9, list(range(1, 10))), (27, list(range(1, 28)))]

# Options of ppt-convert and the cell types that pptools.read is asked for.
CHOICES = [
    ([], {}),
    (["-n", "4=tetra", "-n", "8=hexahedron", "-n", "6=triangle6", "-n", "3=line3"],
     {4: "tetra", 8: "hexahedron", 6: "triangle6", 3: "line3"}),
]


def mixed(path):
    lines = ["Every cell", "MIXED", "%5d   %5d   %5d" % (len(MIXED), 30, 2)]
    lines += ["%5d %5d   %s" % (k + 1, m, " ".join("%5d" % n for n in nodes)) for k, (m, nodes) in enumerate(MIXED)]
    lines += ["%5d %r %r %r" % (k + 1, 0.1 * k, 1e-7 * k * k, -1e5 / (k + 1)) for k in range(30)]
    lines += ["    1     7", "    2    30"]
    with open(path, "w") as out:
        out.write("\n".join(lines) + "\n")


def lattice(rodmesh, source_dir, work, panels):
    """A truss of bench/truss.awk as bricks (job_b.zmf) and faces (job_f.zmf);
    the bars' lengths."""
    import numpy
    import pptools
    with open(os.path.join(work, "job.zmf"), "w") as out:
        subprocess.run(["awk", "-v", "panels=%d" % panels, "-f", os.path.join(source_dir, "bench", "truss.awk")],
                       stdout=out, check=True)
    bars = pptools.read(os.path.join(work, "job.zmf"))
    ends = bars.points[bars.cells[0].data]
    for form in "bf":
        meshes.run([rodmesh, "job"], work, ("p\n%s\n0\n%r\n%r\n" % (form, WIDTH, HEIGHT)).encode())
        os.replace(os.path.join(work, "job_th.zmf"), os.path.join(work, "job_%s.zmf" % form))
    return numpy.linalg.norm(ends[:, 1] - ends[:, 0], axis=1)


def same(mesh, read):
    import numpy
    return mesh.points.tobytes() == read.points.tobytes() and len(mesh.cells) == len(read.cells) and all(
        a.type == b.type and numpy.array_equal(a.data, b.data) for a, b in zip(mesh.cells, read.cells))


def check_meshio(rodmesh, source_dir, work):
    import meshio
    import numpy
    import pptools
    convert = os.path.join(source_dir, "tools", "ppt-convert")
    lattice(rodmesh, source_dir, work, 100)
    mixed(os.path.join(work, "mixed.zmf"))
    failures = 0
    for name, (options, types) in [("job_b", CHOICES[0]), ("job_f", CHOICES[0]),
                                   ("mixed", CHOICES[0]), ("mixed", CHOICES[1])]:
        meshes.run([convert] + options + [name + ".zmf", "out.vtu"], work)
        meshes.run([convert, "-z"] + options + [name + ".zmf", "z.vtu"], work)
        meshes.run([convert, "-p", "3"] + options + [name + ".zmf", "out.pvtu"], work)
        want = pptools.read(os.path.join(work, name + ".zmf"), types=types)
        good = same(meshio.read(os.path.join(work, "out.vtu")), want) and same(meshio.read(os.path.join(work, "z.vtu")), want)
        marks = numpy.full(len(want.points), -1)
        if want.point_sets:
            marks[want.point_sets["special"]] = 0
            good = good and numpy.array_equal(meshio.read(os.path.join(work, "out.vtu")).point_data["special"], marks)
        # Each piece: its share of the cells, on the window of nodes they use.
        with open(os.path.join(work, "out.pvtu")) as text:
            sources = re.findall(r'Source="([^"]+)"', text.read())
        cells = [(block.type, row) for block in want.cells for row in block.data]
        at = 0
        for source in sources:
            piece = meshio.read(os.path.join(work, source))
            rows = [(block.type, row) for block in piece.cells for row in block.data]
            share = cells[at:at + len(rows)]
            at += len(rows)
            lo = min(row.min() for _, row in share)
            good = good and piece.points.tobytes() == want.points[lo:lo + len(piece.points)].tobytes() and all(
                t == u and numpy.array_equal(r - lo, s) for (t, r), (u, s) in zip(share, rows))
            if want.point_sets:
                good = good and numpy.array_equal(piece.point_data["special"], marks[lo:lo + len(piece.points)])
        good = good and at == len(cells) and len(sources) == 3
        failures += not good
        print("%-6s %-40s .vtu, compressed and in 3 pieces as pptools.read%s" % (name, " ".join(options), "" if good else ": FAILED"))
    # A pipe, which cannot be read back, gets the bytes of the file, plain and compressed.
    for options in ([], ["-z"]):
        meshes.run([convert] + options + ["mixed.zmf", "file.vtu"], work)
        piped = subprocess.run([convert, "-o", "vtu"] + options + ["mixed.zmf", "/dev/stdout"], cwd=work,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        with open(os.path.join(work, "file.vtu"), "rb") as written:
            good = piped.returncode == 0 and piped.stdout == written.read()
        failures += not good
        print("mixed  %-40s .vtu through a pipe as to a file%s" % (" ".join(options), "" if good else ": FAILED"))
    # A pipe as the input, which a file of several drawings has read twice,
    # gives what the file gives; a .pvtu to a pipe is refused, its pieces
    # having no folder beside it.
    bridge = os.path.join(source_dir, "examples", "meshtools", "bridge.zmf")
    meshes.run([convert, bridge, "file.vtu"], work)
    with open(bridge, "rb") as given, open(os.path.join(work, "file.vtu"), "rb") as written:
        piped = subprocess.run([convert, "-i", "zmf", "-o", "vtu", "/dev/stdin", "/dev/stdout"], cwd=work,
                               input=given.read(), stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        good = piped.returncode == 0 and piped.stdout == written.read()
    refused = subprocess.run([convert, "-o", "pvtu", "-p", "2", "mixed.zmf", "/dev/stdout"], cwd=work,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    good = good and refused.returncode == 1 and refused.stdout == b"" and \
        refused.stderr.endswith(b"the pieces of a .pvtu are written beside it, in its folder\n")
    failures += not good
    print("bridge from a pipe as from its file, a .pvtu to a pipe refused%s" % ("" if good else ": FAILED"))
    # A fault met while the output is written leaves no file behind.
    with open(os.path.join(work, "mixed.zmf")) as text:
        lines = text.read().split("\n")
    lines[len(MIXED) + 3 + 20] = "   21 0.0 x 0.0"
    with open(os.path.join(work, "bad.zmf"), "w") as out:
        out.write("\n".join(lines))
    for output in ("bad.vtu", "bad.pvtu"):
        result = subprocess.run([convert] + ["-p", "2"] * output.endswith(".pvtu") + ["bad.zmf", output], cwd=work,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        left = [name for name in os.listdir(work) if name.startswith("bad_") or name.startswith("bad.v")
                or name == "bad.pvtu"]
        message = result.stderr.decode()
        good = result.returncode == 1 and not left and message.startswith("ppt-convert: bad.zmf: line %d: node 21:"
                                                                          % (len(MIXED) + 24))
        failures += not good
        print("%-10s fault in the nodes: %s%s" % (output, message.strip(), "" if good else ": FAILED"))
    return 1 if failures else 0


def integrate(command, work, paths):
    report = meshes.run(command + ["pvbatch", os.path.join(HERE, "integrate.py")] + paths, work)
    found = {line.split()[0]: [float(v) for v in line.split()[1:]] for line in report.splitlines()
             if line.startswith("job_")}
    found.update({"titles:" + line.split(" ", 2)[1]: line.split(" ", 2)[2] for line in report.splitlines()
                  if line.startswith("titles ")})
    return found, int(re.search(r"^partitions (\d+)", report, re.M).group(1))


def check_paraview(rodmesh, source_dir, work):
    convert = os.path.join(source_dir, "tools", "ppt-convert")
    length = lattice(rodmesh, source_dir, work, 2500)
    volume = (WIDTH * HEIGHT * length).sum()
    area = (2 * (WIDTH + HEIGHT) * length + 2 * WIDTH * HEIGHT).sum()
    for form in "bf":
        meshes.run([convert, "job_%s.zmf" % form, "job_%s.vtu" % form], work)
        meshes.run([convert, "-p", "3", "job_%s.zmf" % form, "job_%s.pvtu" % form], work)
    meshes.run([convert, "-z", "job_b.zmf", "job_z.vtu"], work)
    meshes.run([convert, "-z", "-p", "3", "job_b.zmf", "job_z.pvtu"], work)
    # The drawings and titles of a file of three, as ParaView reads them.
    shutil.copy(os.path.join(source_dir, "examples", "meshtools", "bridge.zmf"), work)
    meshes.run([convert, "bridge.zmf", "bridge.vtu"], work)
    meshes.run([convert, "-z", "bridge.zmf", "bridge_z.vtu"], work)
    serial, _ = integrate(["xvfb-run", "-a"], work, ["job_b.vtu", "job_f.vtu", "job_z.vtu", "bridge.vtu",
                                                      "bridge_z.vtu"])
    mpi = ["xvfb-run", "-a", "mpiexec", "--allow-run-as-root", "--oversubscribe", "-n", "2"]
    parallel, ranks = integrate(mpi, work, ["job_b.pvtu", "job_f.pvtu", "job_z.pvtu"])
    # A file that does not open gives no cells: its sums are 0, which fails.
    rows = [("job_b.vtu", serial["job_b.vtu"][0], volume, serial["job_b.vtu"][2]),
            ("job_f.vtu", serial["job_f.vtu"][1], area, 0.0),
            ("job_z.vtu", serial["job_z.vtu"][0], volume, serial["job_z.vtu"][2]),
            ("job_b.pvtu", parallel["job_b.pvtu"][0], serial["job_b.vtu"][0], 0.0),
            ("job_f.pvtu", parallel["job_f.pvtu"][1], serial["job_f.vtu"][1], 0.0),
            ("job_z.pvtu", parallel["job_z.pvtu"][0], serial["job_b.vtu"][0], 0.0)]
    failures = 0 if ranks == 2 else 1
    want = "Footbridge, two load stages|DECK|PYLON|CABLES drawings 1,1,1,2,2,3,3"
    for path in ("bridge.vtu", "bridge_z.vtu"):
        got = serial.get("titles:" + path)
        failures += got != want
        print("%-11s %s%s" % (path, got, "" if got == want else "  FAILED, expected " + want))
    for k, (path, got, want, smallest) in enumerate(rows):
        # Against the sums of the bars, the 8 decimals of rodmesh's coordinates
        # tell; between serial and parallel, the order of the additions only.
        good = want > 0 and abs(got - want) <= (1e-7 if k < 3 else 1e-9) * want and smallest >= 0
        failures += not good
        print("%-11s %d bars: %.9f, expected %.9f%s" % (path, len(length), got, want, "" if good else "  FAILED"))
    print("pieces read by %d ranks%s" % (ranks, "" if ranks == 2 else "  FAILED"))
    return 1 if failures else 0


def main(argv):
    return meshes.run_checks(argv, {"meshio": check_meshio, "paraview": check_paraview},
                             {"paraview": ("pvbatch", "xvfb-run", "mpiexec")})


if __name__ == "__main__":
    sys.exit(main(sys.argv))
