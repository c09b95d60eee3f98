"""Run by pvbatch for bench/plugin: opens a mesh file (.zmf with the reader
plugin, .vtu or .pvtu with ParaView's own readers), integrates it, and prints
"seconds cells area": the time from opening to the integral.

    pvbatch pvopen.py PLUGIN FILE
"""

import sys
import time

from paraview import servermanager
from paraview.simple import (IntegrateVariables, LoadPlugin, XMLPartitionedUnstructuredGridReader,
                             XMLUnstructuredGridReader)

plugin, path = sys.argv[1:3]
if path.endswith(".zmf"):
    LoadPlugin(plugin, ns=globals())
start = time.perf_counter()
if path.endswith(".zmf"):
    reader = ZMFReader(FileName=[path])  # noqa: F821 (from the plugin)
elif path.endswith(".pvtu"):
    reader = XMLPartitionedUnstructuredGridReader(FileName=[path])
else:
    reader = XMLUnstructuredGridReader(FileName=[path])
reader.UpdatePipeline()
opened = time.perf_counter() - start
sums = servermanager.Fetch(IntegrateVariables(Input=reader))
total = time.perf_counter() - start
area = sums.GetCellData().GetArray("Area")
print("%.2f %.2f %d %.6f" % (opened, total, reader.GetDataInformation().GetNumberOfCells(),
                             area.GetValue(0) if area else 0.0))
