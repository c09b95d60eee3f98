"""The suite's mesh files (.zmf) in meshio.

    import pptools
    mesh = pptools.read("job_th.zmf")          # a meshio.Mesh
    pptools.write("copy.zmf", mesh)

Importing the package registers the format "zmf" for the ending ".zmf" with
meshio, so that meshio.read("job.zmf") and meshio.write("job.zmf", mesh)
work too. What a written file cannot hold of a mesh is said as a
pptools.LossWarning; 4-node elements read as quads that are not flat (likely
tetrahedra) as a pptools.GuessWarning.

The package uses meshio's public interface alone (PUBLIC): Debian's
python3-meshio 7.0.0 reports its version as 5.0.0, so a version number would
tell nothing; what is needed is checked by name on import instead.
"""

import meshio

PUBLIC = ("Mesh", "CellBlock", "ReadError", "WriteError", "read", "write", "register_format",
          "extension_to_filetypes")

_missing = [name for name in PUBLIC if not hasattr(meshio, name)]
if _missing:
    raise ImportError("the meshio found (%s) lacks %s: Debian's python3-meshio 7 is needed"
                      % (getattr(meshio, "__file__", None) or "no file", ", ".join(_missing)))

from .losses import GuessWarning, LossWarning  # noqa: E402
from .zmf import CELL_TYPES, FILE_POSITIONS, ZmfError, read, write  # noqa: E402

__all__ = ["CELL_TYPES", "FILE_POSITIONS", "GuessWarning", "LossWarning", "ZmfError", "read", "write"]

meshio.register_format("zmf", [".zmf"], read, {"zmf": write})
