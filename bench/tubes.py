"""The same solids as bench/rodmesh by the field's visualisation library: a
tube filter of 4 sides, capped, around every bar of the truss, read from and
written to the library's own XML format (binary, uncompressed). Runs on
Debian's python3 with python3-paraview or python3-vtk9, or on pvpython.

    tubes.py make BARS.vtp PANELS     writes the truss of bench/rodmesh
    tubes.py run BARS.vtp TUBES.vtp   the timed part: read, filter, write
"""

import sys

from vtkmodules import vtkCommonCore, vtkCommonDataModel, vtkFiltersCore, vtkIOXML


class vtk:
    """The classes used, by their usual names."""

    vtkPoints = vtkCommonCore.vtkPoints
    vtkCellArray = vtkCommonDataModel.vtkCellArray
    vtkPolyData = vtkCommonDataModel.vtkPolyData
    vtkTubeFilter = vtkFiltersCore.vtkTubeFilter
    vtkXMLPolyDataReader = vtkIOXML.vtkXMLPolyDataReader
    vtkXMLPolyDataWriter = vtkIOXML.vtkXMLPolyDataWriter


def make(path, panels):
    n = panels + 1
    points = vtk.vtkPoints()
    points.SetDataTypeToDouble()
    for z in (0.0, 1.5):
        for i in range(1, n + 1):
            points.InsertNextPoint((i - 1) * 1.25, 0.01 * (i % 7), z)
    lines = vtk.vtkCellArray()
    for p in range(1, panels + 1):
        b, t = p, n + p
        for a, c in ((b, b + 1), (t, t + 1), (b, t), (b, t + 1)):
            lines.InsertNextCell(2)
            lines.InsertCellPoint(a - 1)
            lines.InsertCellPoint(c - 1)
    bars = vtk.vtkPolyData()
    bars.SetPoints(points)
    bars.SetLines(lines)
    write(bars, path)


def write(data, path):
    writer = vtk.vtkXMLPolyDataWriter()
    writer.SetFileName(path)
    writer.SetInputData(data)
    writer.SetDataModeToBinary()
    writer.SetCompressorTypeToNone()
    if not writer.Write():
        raise SystemExit("tubes.py: cannot write " + path)


def run(source, target):
    reader = vtk.vtkXMLPolyDataReader()
    reader.SetFileName(source)
    tubes = vtk.vtkTubeFilter()
    tubes.SetInputConnection(reader.GetOutputPort())
    tubes.SetNumberOfSides(4)
    tubes.SetRadius(0.1)
    tubes.CappingOn()
    tubes.Update()
    write(tubes.GetOutput(), target)


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "make":
        make(sys.argv[2], int(sys.argv[3]))
    elif len(sys.argv) == 4 and sys.argv[1] == "run":
        run(sys.argv[2], sys.argv[3])
    else:
        raise SystemExit(__doc__)
