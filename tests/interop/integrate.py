"""Run by ParaView's pvbatch: integrates each .vtu given and prints, per file,
one line "PATH volume area smallest-cell-volume".

    xvfb-run -a pvbatch integrate.py A.vtu B.vtu ...
"""

import sys

from paraview import servermanager
from paraview.simple import CellSize, IntegrateVariables, XMLUnstructuredGridReader


def total(data, name):
    array = data.GetCellData().GetArray(name)
    return array.GetValue(0) if array is not None else 0.0


for path in sys.argv[1:]:
    reader = XMLUnstructuredGridReader(FileName=[path])
    sums = servermanager.Fetch(IntegrateVariables(Input=reader))
    # CellSize gives each cell's signed volume: a cell listed inside out is negative.
    sizes = servermanager.Fetch(CellSize(Input=reader)).GetCellData().GetArray("Volume")
    smallest = min(sizes.GetValue(k) for k in range(sizes.GetNumberOfTuples()))
    print("%s %r %r %r" % (path, total(sums, "Volume"), total(sums, "Area"), smallest))
