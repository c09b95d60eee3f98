"""Faces and solids as triangles facing out of their solids, as a printer's
slicer reads them (STL holds triangles alone), and the binary STL itself.

A solid gives the faces that no other solid meets (found by their sorted
corner nodes): the boundary of a volume mesh, or all the faces of each of
rodmesh's bricks, which share no node. A face cell is written as it is,
unless a solid has that face too (Gmsh writes the surfaces of a volume beside
its cells). An 8-node face keeps its mid-side nodes (on a cylinder they lie
on the circle): a triangle cuts each corner and two more fill the quad of the
mid nodes, six in all, no new points; faces of a solid meet at the same mid
nodes, so a closed shell stays closed. A face of a solid is turned to point
away from the middle of its solid, a face cell away from the middle of the
faces joined to it: exact for convex solids (whatever the sign of their
volume) and for the convex shells that rodmesh builds, checked afterwards
for any other.

Everything is done on arrays, a block of faces at a time: the memory stays
within a few times that of the mesh's own arrays.
"""

import meshio
import numpy as np

# Triangles of a face, by meshio's node order of its type; its corners come
# first.
FACE_TRIANGLES = {
    "triangle": [(0, 1, 2)],
    "triangle6": [(0, 3, 5), (3, 1, 4), (5, 4, 2), (3, 4, 5)],
    "quad": [(0, 1, 2), (0, 2, 3)],
    "quad8": [(7, 0, 4), (4, 1, 5), (5, 2, 6), (6, 3, 7), (4, 5, 6), (4, 6, 7)],
    "quad9": [(8, 0, 4), (8, 4, 1), (8, 1, 5), (8, 5, 2), (8, 2, 6), (8, 6, 3), (8, 3, 7), (8, 7, 0)],
}
CORNERS = {"triangle": 3, "triangle6": 3, "quad": 4, "quad8": 4, "quad9": 4}

_HEXAHEDRON20 = [(0, 1, 2, 3, 8, 9, 10, 11), (4, 5, 6, 7, 12, 13, 14, 15), (0, 1, 5, 4, 8, 17, 12, 16),
                 (1, 2, 6, 5, 9, 18, 13, 17), (2, 3, 7, 6, 10, 19, 14, 18), (3, 0, 4, 7, 11, 16, 15, 19)]

# Faces of a solid by meshio's (VTK's) node order: [(face type, faces)].
# Types whose node order differs with the format they come from (wedge18,
# pyramid14) are not among them: they are left out with a warning.
SOLID_FACES = {
    "tetra": [("triangle", [(0, 1, 2), (0, 1, 3), (1, 2, 3), (0, 2, 3)])],
    "tetra10": [("triangle6", [(0, 1, 2, 4, 5, 6), (0, 1, 3, 4, 8, 7), (1, 2, 3, 5, 9, 8), (0, 2, 3, 6, 9, 7)])],
    "hexahedron": [("quad", [face[:4] for face in _HEXAHEDRON20])],
    "hexahedron20": [("quad8", _HEXAHEDRON20)],
    "hexahedron27": [("quad9", [face + (centre,) for face, centre in zip(_HEXAHEDRON20, (24, 25, 22, 21, 23, 20))])],
    "wedge": [("triangle", [(0, 1, 2), (3, 4, 5)]), ("quad", [(0, 1, 4, 3), (1, 2, 5, 4), (2, 0, 3, 5)])],
    "wedge15": [("triangle6", [(0, 1, 2, 6, 7, 8), (3, 4, 5, 9, 10, 11)]),
                ("quad8", [(0, 1, 4, 3, 6, 13, 9, 12), (1, 2, 5, 4, 7, 14, 10, 13), (2, 0, 3, 5, 8, 12, 11, 14)])],
    "pyramid": [("quad", [(0, 1, 2, 3)]), ("triangle", [(0, 1, 4), (1, 2, 4), (2, 3, 4), (3, 0, 4)])],
    "pyramid13": [("quad8", [(0, 1, 2, 3, 5, 6, 7, 8)]),
                  ("triangle6", [(0, 1, 4, 5, 10, 9), (1, 2, 4, 6, 11, 10), (2, 3, 4, 7, 12, 11),
                                 (3, 0, 4, 8, 9, 12)])],
}

# Faces turned and triangles written at a time.
CHUNK = 1 << 16


class _Group:
    """The faces of one kind of a block: face cells (faces None), or one face
    type of a solid type."""

    def __init__(self, k, data, face_type, faces=None):
        self.k, self.data, self.face_type = k, data, face_type
        self.faces = None if faces is None else np.array(faces)
        self.per_cell = 1 if faces is None else len(faces)
        self.kept = None  # (cells, faces) of the faces written

    def corners(self):
        """The sorted corner nodes of every face, a row each (cell by cell)."""
        c = CORNERS[self.face_type]
        nodes = self.data[:, :c] if self.faces is None else self.data[:, self.faces[:, :c]]
        return np.sort(nodes.reshape(-1, c), axis=1)

    def nodes(self, rows):
        """The node lists of the kept faces `rows` (a slice)."""
        cells, faces = self.kept[0][rows], self.kept[1][rows]
        return self.data[cells] if self.faces is None else self.data[cells[:, None], self.faces[faces]]


def _boundary(groups):
    """Keeps the faces of solids met by no other solid, and the face cells
    that no solid has. Faces meet when their corners do."""
    for c in (3, 4):
        mine = [g for g in groups if CORNERS[g.face_type] == c]
        if not any(g.faces is not None for g in mine):
            for g in mine:
                g.kept = (np.arange(len(g.data)), np.zeros(len(g.data), dtype=np.int64))
            continue
        keys = np.concatenate([g.corners() for g in mine])
        solid = np.concatenate([np.full(len(g.data) * g.per_cell, g.faces is not None) for g in mine])
        order = np.lexsort(keys.T)
        keys = keys[order]
        first = np.ones(len(keys), dtype=bool)
        first[1:] = (keys[1:] != keys[:-1]).any(axis=1)
        del keys
        same = np.cumsum(first) - 1  # a number per distinct face
        del first
        solids = np.bincount(same[solid[order]], minlength=same[-1] + 1 if len(same) else 0)
        met = np.empty(len(order), dtype=np.int64)
        met[order] = solids[same]
        del order, same, solids
        keep = np.where(solid, met == 1, met == 0)
        del met, solid
        start = 0
        for g in mine:
            size = len(g.data) * g.per_cell
            cells, faces = np.divmod(np.flatnonzero(keep[start:start + size]), g.per_cell)
            g.kept = (cells, faces)
            start += size


def _components(cells, count):
    """A label per point: points joined by cells (node lists) share theirs."""
    label = np.arange(count)
    while True:
        settled = True
        for nodes in cells:
            ends = label[nodes]
            low = ends.min(axis=1)
            if (ends == low[:, None]).all():
                continue
            settled = False
            np.minimum.at(label, ends.ravel(), np.repeat(low, nodes.shape[1]))
        if settled:
            return label
        while True:  # every point straight to its root
            jumped = label[label]
            if np.array_equal(jumped, label):
                break
            label = jumped


def _shell_middles(points, groups):
    """For the face cells: a function of a block of their node lists giving
    the middle of the shell of each (the mean of the points of the face cells
    joined to it)."""
    faces = [g.data if len(g.kept[0]) == len(g.data) else g.nodes(slice(None)) for g in groups if len(g.kept[0])]
    if not faces:
        return None
    label = _components(faces, len(points))
    used = np.zeros(len(points), dtype=bool)
    for nodes in faces:
        used[nodes] = True
    used = np.flatnonzero(used)
    shell = label[used]
    sums = np.column_stack([np.bincount(shell, weights=points[used, k], minlength=len(points)) for k in range(3)])
    counts = np.bincount(shell, minlength=len(points))
    return lambda nodes: sums[label[nodes[:, 0]]] / counts[label[nodes[:, 0]]][:, None]


def _turn(points, triangles, per_face, middles):
    """Turns the triangles of each face (`per_face` consecutive ones) to
    point away from the middle of its solid (a row of `middles` per face)."""
    corners = points[triangles]
    areas = np.cross(corners[:, 1] - corners[:, 0], corners[:, 2] - corners[:, 0])
    faces = len(triangles) // per_face
    area = areas.reshape(faces, per_face, 3).sum(axis=1)
    centre = corners.reshape(faces, per_face * 3, 3).mean(axis=1)
    inward = np.einsum("ij,ij->i", area, centre - middles) < 0
    flip = np.repeat(inward, per_face)
    triangles[flip] = triangles[flip][:, ::-1]


def to_triangles(mesh):
    """The mesh with its faces and solids as outward triangles (one block of
    them), other cells as they stand; cell data and sets follow their cells.
    Returns (mesh, the number of open edges: edges not met by exactly two
    triangles the opposite way, 0 for closed shells faced one way)."""

    points = np.asarray(mesh.points, dtype=np.float64)
    if points.ndim == 2 and points.shape[1] == 2:
        points = np.column_stack([points, np.zeros(len(points))])
    surfaces, solids, keep = [], [], []
    for k, block in enumerate(mesh.cells):
        if block.type in FACE_TRIANGLES:
            surfaces.append(_Group(k, np.asarray(block.data), block.type))
        elif block.type in SOLID_FACES:
            data = np.asarray(block.data)
            solids += [_Group(k, data, face_type, faces) for face_type, faces in SOLID_FACES[block.type]]
        else:
            keep.append(k)
    groups = surfaces + solids  # as written: the face cells first
    _boundary(groups)
    shell_middle = _shell_middles(points, surfaces)
    index = np.int32 if len(points) <= np.iinfo(np.int32).max else np.int64
    sizes = [len(g.kept[0]) * len(FACE_TRIANGLES[g.face_type]) for g in groups]
    triangles = np.empty((sum(sizes), 3), dtype=index)
    start = 0
    for g, size in zip(groups, sizes):
        pattern = np.array(FACE_TRIANGLES[g.face_type])
        per_face = len(pattern)
        for first in range(0, len(g.kept[0]), CHUNK):
            rows = slice(first, first + CHUNK)
            nodes = g.nodes(rows)
            chunk = nodes[:, pattern].reshape(-1, 3)
            if g.faces is None:
                middles = shell_middle(nodes)
            else:
                middles = points[g.data[g.kept[0][rows]]].mean(axis=1)
            _turn(points, chunk, per_face, middles)
            triangles[start + first * per_face:start + first * per_face + len(chunk)] = chunk
        start += size
    del shell_middle  # its arrays, before those of the edges

    cells = [(mesh.cells[k].type, mesh.cells[k].data) for k in keep]
    if len(groups):
        cells.append(("triangle", triangles))
    out = meshio.Mesh(mesh.points, cells, point_data=mesh.point_data, field_data=mesh.field_data,
                      point_sets=mesh.point_sets, info=getattr(mesh, "info", None))
    starts = np.cumsum([0] + sizes)

    def follow(values, grow):
        parts = [values[k] for k in keep]
        if groups:
            parts.append(np.concatenate([grow(np.asarray(values[g.k]), g, len(FACE_TRIANGLES[g.face_type]), s)
                                         for g, s in zip(groups, starts)]))
        return parts

    def members(v, g, t, s):
        inside = np.zeros(len(g.data), dtype=bool)
        inside[v] = True
        return s + np.flatnonzero(np.repeat(inside[g.kept[0]], t))

    out.cell_data = {name: follow(values, lambda v, g, t, s: np.repeat(v[g.kept[0]], t, axis=0))
                     for name, values in mesh.cell_data.items()}
    out.cell_sets = {name: follow(values, members) for name, values in (mesh.cell_sets or {}).items()}
    return out, open_edges(triangles)


def open_edges(triangles):
    """Edges of the triangles not met by exactly two triangles that run
    them opposite ways: where admesh finds a shell open (an edge of one
    triangle or of three and more, or of two that run it the same way, one
    of them turned over)."""
    if not len(triangles):
        return 0
    keys = _edge_keys(triangles)
    keys.sort()
    ways = np.empty(len(keys), dtype=bool)
    np.bitwise_and(keys, 1, out=ways, casting="unsafe")
    keys >>= 1
    # Whether each edge is the one before it, with a last that is not.
    again = np.zeros(len(keys) + 1, dtype=bool)
    np.equal(keys[1:], keys[:-1], out=again[1:-1])
    del keys
    edges = len(again) - 1 - np.count_nonzero(again)
    # An edge of exactly two, the second running it the other way.
    closed = ~again[:-2] & again[1:-1] & ~again[2:] & (ways[:-1] != ways[1:])
    return int(edges - np.count_nonzero(closed))


def _edge_keys(triangles):
    """A number for each side of each triangle: its two nodes in order and,
    in the lowest bit, which way the triangle runs it."""
    count = int(triangles.max()) + 1
    keys = np.empty((3, len(triangles)), dtype=np.int64)
    for first in range(0, len(triangles), 16 * CHUNK):
        block = triangles[first:first + 16 * CHUNK].astype(np.int64)
        for side, (p, q) in enumerate(((0, 1), (1, 2), (2, 0))):
            a, b = block[:, p], block[:, q]
            key = keys[side, first:first + len(block)]
            np.minimum(a, b, out=key)
            key *= count
            key += np.maximum(a, b)
            key <<= 1
            key |= a > b
    return keys.reshape(-1)


def write_stl(filename, mesh):
    """The triangles of the mesh as a binary STL, as meshio writes it, a
    block of them at a time (a facet's normal is 0 when it has no area)."""
    points = np.asarray(mesh.points, dtype=np.float64)
    if points.ndim == 2 and points.shape[1] == 2:
        points = np.column_stack([points, np.zeros(len(points))])
    blocks = [np.asarray(block.data) for block in mesh.cells if block.type == "triangle"]
    total = sum(len(block) for block in blocks)
    if total > 0xFFFFFFFF:
        raise meshio.WriteError("%d triangles: a binary STL holds at most 4294967295" % total)
    facet = np.dtype([("normal", ("<f4", 3)), ("points", ("<f4", (3, 3))), ("attr", "<u2")])
    head = ("This file was generated by meshio v%s." % meshio.__version__)[:79]
    with open(filename, "wb") as out:
        out.write((head + "X" * (79 - len(head)) + "\n").encode())
        out.write(np.uint32(total).astype("<u4").tobytes())
        for block in blocks:
            for first in range(0, len(block), CHUNK):
                corners = points[block[first:first + CHUNK]]
                normals = np.cross(corners[:, 1] - corners[:, 0], corners[:, 2] - corners[:, 0])
                length = np.sqrt(np.einsum("ij,ij->i", normals, normals))
                normals /= np.where(length > 0, length, 1.0)[:, None]
                records = np.zeros(len(corners), dtype=facet)
                records["normal"] = normals
                records["points"] = corners
                out.write(records.tobytes())
