"""Run by ParaView's pvbatch: integrates each .vtu or .pvtu given and prints,
per file, one line "PATH volume area smallest-cell-volume", then a line
"partitions N" (the ranks of an MPI run; a parallel run sees the smallest
cell of the first rank's pieces only).

    xvfb-run -a pvbatch integrate.py A.vtu B.pvtu ...
    xvfb-run -a mpiexec -n 2 pvbatch integrate.py B.pvtu
"""

import sys

from paraview import servermanager
from paraview.simple import (CellSize, IntegrateVariables, XMLPartitionedUnstructuredGridReader,
                             XMLUnstructuredGridReader)


def total(data, name):
    array = data.GetCellData().GetArray(name)
    return array.GetValue(0) if array is not None else 0.0


for path in sys.argv[1:]:
    kind = XMLPartitionedUnstructuredGridReader if path.endswith(".pvtu") else XMLUnstructuredGridReader
    reader = kind(FileName=[path])
    sums = servermanager.Fetch(IntegrateVariables(Input=reader))
    # CellSize gives each cell's signed volume: a cell listed inside out is negative.
    sizes = servermanager.Fetch(CellSize(Input=reader)).GetCellData().GetArray("Volume")
    # No cells read (a file that did not open) prints a volume of 0, which fails.
    smallest = min((sizes.GetValue(k) for k in range(sizes.GetNumberOfTuples())), default=0.0) if sizes else 0.0
    print("%s %r %r %r" % (path, total(sums, "Volume"), total(sums, "Area"), smallest))
print("partitions %d" % servermanager.ActiveConnection.GetNumberOfDataPartitions())
