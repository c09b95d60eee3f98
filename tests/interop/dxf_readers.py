"""Reads the drawings of plotcad with real DXF readers.

Runs plotcad on the bundled examples and on generated jobs (every marker
type, more than a thousand curves so that layer names are cut, negative and
large coordinates, a title with DXF control sequences and non-ASCII bytes),
then checks that the reader finds exactly the entities the file holds:

  dxf_readers.py ezdxf PLOTCAD SOURCE_DIR WORK_DIR
  dxf_readers.py ogr   PLOTCAD SOURCE_DIR WORK_DIR

PLOTCAD is the path of the program, as the build gives it.

Exits 77 (skipped) when the reader is not installed.
"""

import glob
import os
import re
import shutil
import subprocess
import sys

SKIP = 77


# ---------------------------------------------------------------- the jobs

def def_file(title, ncurv, window, intervals, licol, marco, marty):
    """An options file as a user edits it: only the significant lines."""
    lines = [title, "courB12", "832 720"]
    lines += ["%r %r" % window[0], "%r %r" % window[1], "%r %r" % intervals]
    for values in (licol, [0] * ncurv, marco, marty):
        lines += ["%d %d" % (k + 1, v) for k, v in enumerate(values)]
    lines.append("END_OF_FILE")
    return "\n".join(lines) + "\n"


def marker_job():
    """One curve per marker type, the unknown types 11 and -1 included."""
    types = list(range(11)) + [11, -1]
    curves = []
    for k, _ in enumerate(types):
        curves.append([(x, 10.0 * k + (x % 3)) for x in range(0, 9, 2)])
    kvd = "".join("%d\n" % len(c) + "".join("%r %r\n" % p for p in c) for c in curves)
    n = len(curves)
    options = def_file("Every marker type", n, ((-1.0, 9.0), (-5.0, 125.0)), (1.0, 10.0),
                       [1] * n, [1] * n, types)
    return kvd, options


def many_curves_job():
    """1005 curves: LINES1000 and up are cut to the layer of curve 100 and up."""
    n = 1005
    kvd = "".join("2\n%d 0\n%d 1\n" % (k, k) for k in range(1, n + 1))
    options = def_file("More than a thousand curves", n, ((0.0, 1010.0), (-0.5, 1.5)), (100.0, 0.5),
                       [1] * n, [1 if k % 50 == 0 else 0 for k in range(1, n + 1)], [k % 11 for k in range(1, n + 1)])
    return kvd, options


def far_job():
    """Negative and large coordinates, in the one-curve layout."""
    points = [(-2.5e6 + 1.0e6 * k, (-1) ** k * 3.75e5 * k) for k in range(8)]
    kvd = "# one curve, no point counts\n" + "".join("%r\t%r   # point\n" % p for p in points)
    return kvd, None


def title_job():
    """A title with DXF control sequences, a '#' and bytes above 127."""
    kvd = "3\n0 0\n1 1\n2 4\n"
    options = def_file("%%u Underlined? 50%%d # not a comment \xe9t\xe9", 1, ((0.0, 2.0), (0.0, 4.0)), (0.5, 1.0),
                       [1], [1], [6])
    return kvd, options


def prepare_jobs(source_dir, work_dir):
    """Every job in a directory of its own; returns (job name, directory, answers)."""
    shutil.rmtree(work_dir, ignore_errors=True)
    os.makedirs(work_dir)
    jobs = []
    for kvd in sorted(glob.glob(os.path.join(source_dir, "examples", "plotcad", "*.kvd"))):
        job = os.path.splitext(os.path.basename(kvd))[0]
        directory = os.path.join(work_dir, "example-" + job)
        os.makedirs(directory)
        for path in glob.glob(os.path.join(os.path.dirname(kvd), job + ".*")):
            if os.path.splitext(path)[1] in (".kvd", ".def"):
                shutil.copy(path, directory)
        jobs.append((job, directory, "\n\n"))
    for name, make in (("markers", marker_job), ("many", many_curves_job), ("far", far_job), ("title", title_job)):
        kvd, options = make()
        directory = os.path.join(work_dir, name)
        os.makedirs(directory)
        with open(os.path.join(directory, name + ".kvd"), "w", encoding="latin-1") as handle:
            handle.write(kvd)
        if options is not None:
            with open(os.path.join(directory, name + ".def"), "w", encoding="latin-1") as handle:
                handle.write(options)
        jobs.append((name, directory, "\n\n"))
    return jobs


def draw(plotcad, job, directory, answers):
    result = subprocess.run([plotcad, job], cwd=directory, input=answers.encode(),
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if result.returncode != 0:
        raise AssertionError("plotcad %s failed:\n%s" % (job, result.stderr.decode("latin-1")))
    return os.path.join(directory, job + ".dxf")


# ------------------------------------------------- the file's own content

def raw_entities(path):
    """The entities as the file holds them, from its group codes and values."""
    with open(path, "rb") as handle:
        lines = handle.read().decode("latin-1").split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    pairs = [(int(lines[k]), lines[k + 1]) for k in range(0, len(lines) - 1, 2)]
    entities, current = [], None
    for code, value in pairs:
        if code == 0:
            if current is not None and current["type"] in ("LINE", "POLYLINE", "TEXT"):
                entities.append(current)
            if value == "VERTEX":
                current = {"type": "VERTEX"}
                entities[-1].setdefault("vertices", []).append(current)
            else:
                current = {"type": value}
            continue
        current[code] = value
    entities = [e for e in entities if e["type"] in ("LINE", "POLYLINE", "TEXT")]
    result = []
    for e in entities:
        point = lambda a, b, c: (float(e[a]), float(e[b]), float(e[c]))
        if e["type"] == "LINE":
            result.append(("LINE", e[8], point(10, 20, 30), point(11, 21, 31)))
        elif e["type"] == "POLYLINE":
            vertices = tuple((float(v[10]), float(v[20]), float(v[30])) for v in e.get("vertices", []))
            result.append(("POLYLINE", e[8], vertices))
        else:
            result.append(("TEXT", e[8], point(10, 20, 30), float(e[40]), e[1]))
    return result


# ------------------------------------------------------------- the readers

def check_ezdxf(path):
    import ezdxf

    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    if auditor.has_errors:
        raise AssertionError("audit errors in %s: %s" % (path, [str(e.message) for e in auditor.errors]))
    found = []
    for e in doc.modelspace():
        kind = e.dxftype()
        if kind == "LINE":
            found.append(("LINE", e.dxf.layer, tuple(e.dxf.start), tuple(e.dxf.end)))
        elif kind == "POLYLINE":
            if not e.is_3d_polyline:
                raise AssertionError("a polyline of %s is not read as a 3-D polyline" % path)
            found.append(("POLYLINE", e.dxf.layer, tuple(tuple(v.dxf.location) for v in e.vertices)))
        elif kind == "TEXT":
            found.append(("TEXT", e.dxf.layer, tuple(e.dxf.insert), e.dxf.height, e.dxf.text))
        else:
            raise AssertionError("unexpected entity %s in %s" % (kind, path))
    return found


def check_ogr(path):
    """Features per layer as GDAL's ogrinfo reports them."""
    result = subprocess.run(["ogrinfo", "-ro", "-al", "-q", path], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if result.returncode != 0:
        raise AssertionError("ogrinfo cannot open %s: %s" % (path, result.stderr.decode("latin-1")))
    text = result.stdout.decode("latin-1")
    layers = re.findall(r"^\s*Layer \(String\) = (.*)$", text, re.M)
    return layers


def main(argv):
    if len(argv) != 5 or argv[1] not in ("ezdxf", "ogr"):
        sys.stderr.write(__doc__)
        return 2
    reader, plotcad, source_dir, work_dir = argv[1:]
    if reader == "ezdxf":
        try:
            import ezdxf  # noqa: F401
        except ImportError:
            print("ezdxf is not installed: skipped (Debian package python3-ezdxf)")
            return SKIP
    elif shutil.which("ogrinfo") is None:
        print("ogrinfo is not installed: skipped (Debian package gdal-bin)")
        return SKIP

    failures = 0
    for job, directory, answers in prepare_jobs(source_dir, os.path.join(work_dir, reader)):
        path = draw(plotcad, job, directory, answers)
        expected = raw_entities(path)
        try:
            if reader == "ezdxf":
                found = check_ezdxf(path)
                if found != expected:
                    mismatch = next(k for k in range(min(len(found), len(expected)) + 1)
                                    if k >= len(found) or k >= len(expected) or found[k] != expected[k])
                    raise AssertionError("%d entities read, %d in the file; first difference at entity %d:\n"
                                         "  read: %r\n  file: %r" % (
                                             len(found), len(expected), mismatch + 1,
                                             found[mismatch] if mismatch < len(found) else None,
                                             expected[mismatch] if mismatch < len(expected) else None))
            else:
                layers = check_ogr(path)
                wanted = [e[1] for e in expected]
                if sorted(layers) != sorted(wanted):
                    raise AssertionError("ogrinfo reports %d features, the file holds %d entities" % (
                        len(layers), len(wanted)))
            print("%-10s %-22s %6d entities read as written" % (reader, job, len(expected)))
        except AssertionError as error:
            failures += 1
            print("%-10s %-22s FAILED: %s" % (reader, job, error))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
