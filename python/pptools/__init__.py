"""The suite's mesh files (.zmf) in meshio.

    import pptools
    mesh = pptools.read("job_th.zmf")          # a meshio.Mesh
    pptools.write("copy.zmf", mesh)

Importing the package registers the format "zmf" for the ending ".zmf" with
meshio, so that meshio.read("job.zmf") and meshio.write("job.zmf", mesh)
work too.
"""

import meshio

from .zmf import CELL_TYPES, FILE_POSITIONS, ZmfError, read, write

__all__ = ["CELL_TYPES", "FILE_POSITIONS", "ZmfError", "read", "write"]

meshio.register_format("zmf", [".zmf"], read, {"zmf": write})
