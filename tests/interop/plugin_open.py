"""Run by ParaView's pvbatch: loads the reader plugin and opens each mesh file
given (a .vtu with ParaView's own reader), printing one JSON line per file:
its cells, the volume, area and length that IntegrateVariables gives, the
cells of each rank, the titles; and, when asked in a serial run, the arrays
of the grid in a .npz file.

    xvfb-run -a pvbatch plugin_open.py PLUGIN '{"path": "job.zmf", "drawing": 0, "cells": "", "dump": "x.npz"}' ...
"""

import json
import sys

import numpy
from paraview import servermanager
from paraview.simple import Delete, IntegrateVariables, LoadPlugin, XMLUnstructuredGridReader
from vtk.util.numpy_support import vtk_to_numpy


def values(array):
    return [] if array is None else [array.GetValue(k) for k in range(array.GetNumberOfValues())]


def total(sums, name):
    array = sums.GetCellData().GetArray(name)
    return array.GetValue(0) if array is not None else 0.0


LoadPlugin(sys.argv[1], ns=globals())
for spec in map(json.loads, sys.argv[2:]):
    if spec["path"].endswith(".vtu"):
        reader = XMLUnstructuredGridReader(FileName=[spec["path"]])
    else:
        reader = ZMFReader(FileName=[spec["path"]], Drawing=spec.get("drawing", 0),  # noqa: F821 (the plugin's)
                           CellTypes=spec.get("cells", ""))
    # Fetch gathers an unstructured grid of one rank only: each rank's apart.
    partitions = servermanager.ActiveConnection.GetNumberOfDataPartitions()
    grid = servermanager.Fetch(reader)
    ranks = [servermanager.Fetch(reader, k).GetNumberOfCells() for k in range(partitions)] \
        if partitions > 1 else [grid.GetNumberOfCells()]
    sums = servermanager.Fetch(IntegrateVariables(Input=reader))
    fields = grid.GetFieldData()
    print(json.dumps({"path": spec["path"], "cells": reader.GetDataInformation().GetNumberOfCells(),
                      "volume": total(sums, "Volume"), "area": total(sums, "Area"), "length": total(sums, "Length"),
                      "ranks": ranks,
                      "header": values(fields.GetAbstractArray("header")),
                      "labels": values(fields.GetAbstractArray("label"))}), flush=True)
    if spec.get("dump") and grid.GetNumberOfCells():
        arrays = {"points": vtk_to_numpy(grid.GetPoints().GetData()),
                  "offsets": vtk_to_numpy(grid.GetCells().GetOffsetsArray()),
                  "connectivity": vtk_to_numpy(grid.GetCells().GetConnectivityArray()),
                  "types": vtk_to_numpy(grid.GetCellTypesArray())}
        for data, name in [(grid.GetPointData(), "special"), (grid.GetCellData(), "drawing")]:
            if data.GetArray(name) is not None:
                arrays[name] = vtk_to_numpy(data.GetArray(name))
        numpy.savez(spec["dump"], **arrays)
    Delete(reader)
