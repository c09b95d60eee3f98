"""Renders the drawings of a mesh file in ParaView with the reader plugin,
each drawing in a colour of its own, its bars as tubes, the header and the
drawing lines as the title:

    xvfb-run -a pvbatch render.py ../../build/pvplugin/ZmfReader/ZmfReader.so bridge.zmf bridge_paraview.png

With the package paraview-pptools installed, the plugin is found by its name,
ZmfReader.so.
"""

import sys

from paraview import servermanager
from paraview.simple import (ExtractSurface, GetActiveViewOrCreate, GetColorTransferFunction, LoadPalette, LoadPlugin,
                             Render, SaveScreenshot, Show, Text, Tube)

plugin, source, picture = sys.argv[1:4]
LoadPlugin(plugin, ns=globals())
LoadPalette("WhiteBackground")
view = GetActiveViewOrCreate("RenderView")
view.OrientationAxesVisibility = 0
reader = ZMFReader(FileName=[source])  # noqa: F821 (from the plugin)
fields = servermanager.Fetch(reader).GetFieldData()
labels = fields.GetAbstractArray("label")
title = "%s: %s" % (fields.GetAbstractArray("header").GetValue(0),
                    ", ".join(labels.GetValue(k) for k in range(labels.GetNumberOfValues())))
tubes = Show(Tube(Input=ExtractSurface(Input=reader), Radius=0.25, NumberofSides=16), view)
tubes.ColorArrayName = ["CELLS", "drawing"]
colours = GetColorTransferFunction("drawing")
colours.InterpretValuesAsCategories = 1
colours.Annotations = ["1", "1", "2", "2", "3", "3"]
colours.IndexedColors = [0.12, 0.47, 0.71, 0.89, 0.10, 0.11, 0.20, 0.63, 0.17]
tubes.LookupTable = colours
text = Show(Text(Text=title), view)
text.Color = [0.0, 0.0, 0.0]
text.FontSize = 11
text.WindowLocation = "Upper Center"
view.CameraPosition = [6.0, -22.0, 8.0]
view.CameraFocalPoint = [6.0, 0.0, 4.0]
view.CameraViewUp = [0.0, 0.0, 1.0]
Render(view)
SaveScreenshot(picture, view, ImageResolution=[800, 450])
