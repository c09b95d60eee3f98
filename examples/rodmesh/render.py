"""Renders solids written by rodmesh, converted to .vtu, with ParaView:

    ../../build/bin/rodmesh footbridge < prisms.answers
    ../../tools/ppt-convert footbridge_th.zmf footbridge_th.vtu
    xvfb-run -a pvbatch render.py footbridge_th.vtu footbridge_paraview.png

A .pvtu is read in pieces, in parallel under mpiexec:

    xvfb-run -a mpiexec --oversubscribe -n 2 pvbatch render.py job_th.pvtu job.png
"""

import sys

from paraview.simple import (GetActiveViewOrCreate, Render, SaveScreenshot, Show,
                             XMLPartitionedUnstructuredGridReader, XMLUnstructuredGridReader)

source, picture = sys.argv[1:3]
view = GetActiveViewOrCreate("RenderView")
view.OrientationAxesVisibility = 1
view.Background = [1.0, 1.0, 1.0]
try:
    view.UseColorPaletteForBackground = 0
except AttributeError:
    pass
reader = XMLPartitionedUnstructuredGridReader if source.endswith(".pvtu") else XMLUnstructuredGridReader
display = Show(reader(FileName=[source]), view)
display.ColorArrayName = ["POINTS", ""]
display.SetRepresentationType("Surface")
display.AmbientColor = [0.62, 0.76, 0.90]
display.DiffuseColor = [0.62, 0.76, 0.90]
view.CameraPosition = [0.8, -4.6, 2.9]
view.CameraFocalPoint = [4.0, 0.5, 0.5]
view.CameraViewUp = [0.0, 0.0, 1.0]
Render(view)
SaveScreenshot(picture, view, ImageResolution=[960, 540])
