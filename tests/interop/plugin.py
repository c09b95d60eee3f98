"""The reader plugin of the mesh file (pvplugin/, $PPT_ZMF_PLUGIN) in pvbatch.

    plugin.py lattice RODMESH SOURCE_DIR WORK_DIR  a lattice's prisms and bridge.zmf: volume, area and length,
                                                   serial and on 2 ranks
    plugin.py cells   RODMESH SOURCE_DIR WORK_DIR  the grid that ParaView reads of ppt-convert's .vtu; every drawing
    plugin.py faults  RODMESH SOURCE_DIR WORK_DIR  faulty files: one error line each, and pvbatch goes on

Exits 77 (skipped) when the plugin was not built, or meshio, pvbatch, xvfb-run
or mpiexec is missing.
"""

import json
import os
import subprocess
import sys

import meshes
import native_vtu

HERE = os.path.dirname(os.path.abspath(__file__))
MPI = ["mpiexec", "--allow-run-as-root", "--oversubscribe", "-n", "2"]


def opened(work, specs, ranks=1):
    """The reports of plugin_open.py on `specs` (dicts), and what pvbatch wrote on stderr."""
    command = ["xvfb-run", "-a"] + (MPI if ranks > 1 else []) + \
        ["pvbatch", os.path.join(HERE, "plugin_open.py"), os.environ["PPT_ZMF_PLUGIN"]]
    result = subprocess.run(command + [json.dumps(spec) for spec in specs], cwd=work,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    reports = [json.loads(line) for line in result.stdout.decode().splitlines() if line.startswith("{")]
    if result.returncode != 0 or len(reports) != len(specs):
        raise AssertionError("pvbatch failed (%d):\n%s" % (result.returncode, result.stderr.decode("latin-1")))
    return reports, result.stderr.decode("latin-1")


def check_lattice(rodmesh, source_dir, work):
    length = native_vtu.lattice(rodmesh, source_dir, work, 2500)
    width, height = native_vtu.WIDTH, native_vtu.HEIGHT
    expected = {"volume": (width * height * length).sum(),
                "area": (2 * (width + height) * length + 2 * width * height).sum()}
    # The bars of the example's three drawings, each drawing split in two on 2 ranks.
    bridge = os.path.join(source_dir, "examples", "meshtools", "bridge.zmf")
    expected["length"] = 12 + 10 + 2 * 136 ** 0.5
    failures = 0
    for ranks in (1, 2):
        reports, _ = opened(work, [{"path": "job_b.zmf"}, {"path": "job_f.zmf"}, {"path": bridge}], ranks)
        if ranks == 2 and reports[2]["ranks"] != [3, 4]:
            failures += 1
            print("bridge.zmf on 2 ranks: cells %s, expected [3, 4]  FAILED" % reports[2]["ranks"])
        for report, what, solids in zip(reports, ("volume", "area", "length"), (len(length), 6 * len(length), 7)):
            shares = report["ranks"]
            good = abs(report[what] - expected[what]) <= 1e-7 * expected[what] and len(shares) == ranks and \
                max(shares) - min(shares) <= 1 and sum(shares) == report["cells"] == solids
            failures += not good
            print("%s on %d rank(s): %s %.9f, expected %.9f, cells %s%s" % (
                os.path.basename(report["path"]), ranks, what, report[what], expected[what], shares, "" if good else "  FAILED"))
    return 1 if failures else 0


def grid(dump):
    """The arrays of a grid that plugin_open.py wrote."""
    import numpy
    with numpy.load(dump) as arrays:
        return {name: arrays[name] for name in arrays.files}


def same(a, b):
    import numpy
    return a.keys() == b.keys() and a["points"].astype(float).tobytes() == b["points"].astype(float).tobytes() and \
        all(numpy.array_equal(a[name], b[name]) for name in a)


def check_cells(rodmesh, source_dir, work):
    import numpy
    import pptools
    convert = os.path.join(source_dir, "tools", "ppt-convert")
    native_vtu.lattice(rodmesh, source_dir, work, 100)
    native_vtu.mixed(os.path.join(work, "mixed.zmf"))
    cases = [("job_b", []), ("job_f", []), ("mixed", [])] + [("mixed", options) for options, _ in native_vtu.CHOICES[1:]]
    specs = []
    for k, (name, options) in enumerate(cases):
        meshes.run([convert] + options + [name + ".zmf", "out%d.vtu" % k], work)
        specs.append({"path": name + ".zmf", "cells": ",".join(options[1::2]), "dump": "zmf%d.npz" % k})
        specs.append({"path": "out%d.vtu" % k, "dump": "vtu%d.npz" % k})
    # Every drawing of the example, and one of them.
    bridge = os.path.join(source_dir, "examples", "meshtools", "bridge.zmf")
    specs += [{"path": bridge, "dump": "all.npz"}, {"path": bridge, "drawing": 2, "dump": "two.npz"}]
    reports, _ = opened(work, specs)
    failures = 0
    for k, (name, options) in enumerate(cases):
        good = same(grid(os.path.join(work, "zmf%d.npz" % k)), grid(os.path.join(work, "vtu%d.npz" % k)))
        failures += not good
        print("%-6s %-40s as ParaView reads ppt-convert's .vtu%s" % (name, " ".join(options), "" if good else ": FAILED"))
    # The drawings one after the other, as pptools reads each.
    drawings = [pptools.read(bridge, drawing) for drawing in (1, 2, 3)]
    base = numpy.cumsum([0] + [len(mesh.points) for mesh in drawings])
    marks = [numpy.full(len(mesh.points), -1) for mesh in drawings]
    for mark, mesh in zip(marks, drawings):
        mark[mesh.point_sets.get("special", [])] = 0
    rows = [row + base[d] for d, mesh in enumerate(drawings) for block in mesh.cells for row in block.data]
    whole = {"points": numpy.concatenate([mesh.points for mesh in drawings]),
             "offsets": numpy.cumsum([0] + [len(row) for row in rows]), "connectivity": numpy.concatenate(rows),
             "types": numpy.full(7, 3), "special": numpy.concatenate(marks), "drawing": [1, 1, 1, 2, 2, 3, 3]}
    titles = [mesh.info[pptools.zmf.LABEL_KEY] for mesh in drawings]
    good = same(grid(os.path.join(work, "all.npz")), whole) and reports[-2]["labels"] == titles and \
        reports[-2]["header"] == [drawings[0].info[pptools.zmf.HEADER_KEY]]
    good = good and reports[-1]["labels"] == titles[1:2] and "drawing" not in grid(os.path.join(work, "two.npz"))
    failures += not good
    print("bridge.zmf: drawings %s, %d cells%s" % (reports[-2]["labels"], reports[-2]["cells"], "" if good else ": FAILED"))
    return 1 if failures else 0


def check_faults(rodmesh, source_dir, work):
    good_file = meshes.write_lines(os.path.join(work, "good.zmf"), meshes.GOOD)
    # The file's lines (or a choice of cell types over the good file), and the fault.
    faults = [(meshes.replaced(6, None)[:4] + ["    2     2       2"], "", "line 6: the file ends where node 2 of element 2 is due"),
              (meshes.replaced(5, "    2     2       2     4"), "", "line 5: element 2: node 4 out of range (1 to 3)"),
              (meshes.GOOD + meshes.GOOD[1:7] + ["    3      2.00000000      0.00000000"], "",
               "line 17: the file ends where the z coordinate of node 3 is due"),
              (None, "2=tetra", "cell types '2=tetra': a tetra cell has 4 nodes")]
    specs = []
    for k, (lines, cells, _) in enumerate(faults):
        path = meshes.write_lines(os.path.join(work, "bad%d.zmf" % k), lines) if lines else good_file
        specs.append({"path": path, "cells": cells})
    reports, errors = opened(work, specs + [{"path": good_file}])
    lines = [line for line in errors.splitlines() if "ERR|" in line]
    failures = 0
    for k, (spec, report, (_, _, message)) in enumerate(zip(specs, reports, faults)):
        said = [line for line in lines if message in line]
        good = report["cells"] == 0 and len(said) == 1 and (spec["path"] in said[0] or spec["cells"])
        failures += not good
        print("%s: %s%s" % (os.path.basename(spec["path"]), message, "" if good else ": FAILED"))
    good = len(lines) == len(faults) and reports[-1]["cells"] == 2
    failures += not good
    print("%d error lines, then good.zmf with %d cells%s" % (len(lines), reports[-1]["cells"], "" if good else ": FAILED"))
    # The plugin holds the reader, not the programs' way out of the process.
    plugin = os.environ["PPT_ZMF_PLUGIN"]
    found = subprocess.run(["nm", "-C", plugin], stdout=subprocess.PIPE).stdout.decode() + \
        subprocess.run(["nm", "-D", "--undefined-only", plugin], stdout=subprocess.PIPE).stdout.decode()
    left = [line for line in found.splitlines() if "errmsg" in line or "toolkit::stop" in line or line.endswith(" exit")]
    failures += bool(left)
    print("the exit path in the plugin: %s" % (left or "none"))
    return 1 if failures else 0


def main(argv):
    if not os.environ.get("PPT_ZMF_PLUGIN"):
        print("the reader plugin was not built (ParaView's development files): skipped")
        return meshes.SKIP
    needs = ("pvbatch", "xvfb-run", "mpiexec")
    return meshes.run_checks(argv, {"lattice": check_lattice, "cells": check_cells, "faults": check_faults},
                             {mode: needs for mode in ("lattice", "cells", "faults")})


if __name__ == "__main__":
    sys.exit(main(sys.argv))
