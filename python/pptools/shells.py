"""Faces and bricks as triangles facing out of their solids, as a printer's
slicer reads them (STL holds triangles alone).

An 8-node face keeps its mid-side nodes (on a cylinder they lie on the
circle): a triangle cuts each corner and two more fill the quad of the mid
nodes, six in all, no new points. Faces of a solid meet at the same mid
nodes, so a closed shell stays closed. A face is turned to point away from
the middle of its shell: exact for the convex solids that rodmesh builds
(and whatever the sign of their section), checked afterwards for any other.
"""

import meshio
import numpy as np

# Triangles of a face, by meshio's node order of its type.
FACE_TRIANGLES = {
    "triangle": [(0, 1, 2)],
    "quad": [(0, 1, 2), (0, 2, 3)],
    "quad8": [(7, 0, 4), (4, 1, 5), (5, 2, 6), (6, 3, 7), (4, 5, 6), (4, 6, 7)],
}

# Faces of a solid by meshio's node order, as faces of the type given.
SOLID_FACES = {
    "tetra": ("triangle", [(0, 1, 2), (0, 1, 3), (1, 2, 3), (0, 2, 3)]),
    "hexahedron": ("quad", [(0, 1, 2, 3), (4, 5, 6, 7), (0, 1, 5, 4), (1, 2, 6, 5), (2, 3, 7, 6), (3, 0, 4, 7)]),
    "hexahedron20": ("quad8", [(0, 1, 2, 3, 8, 9, 10, 11), (4, 5, 6, 7, 12, 13, 14, 15),
                               (0, 1, 5, 4, 8, 17, 12, 16), (1, 2, 6, 5, 9, 18, 13, 17),
                               (2, 3, 7, 6, 10, 19, 14, 18), (3, 0, 4, 7, 11, 16, 15, 19)]),
}

TURNED = set(FACE_TRIANGLES) | set(SOLID_FACES)


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
    each), other cells as they stand; cell data and sets follow their cells.
    Returns (mesh, number of edges not met by exactly one other triangle the
    other way, which is 0 for closed shells faced one way)."""

    points = np.asarray(mesh.points, dtype=np.float64)
    if points.shape[1] == 2:
        points = np.column_stack([points, np.zeros(len(points))])
    free, solid, keep, faces = [], [], [], []  # triangles of faces, of solids, other blocks; faces
    spread = {}  # block -> (which list, triangles per cell)
    for k, block in enumerate(mesh.cells):
        data = np.asarray(block.data)
        if block.type in SOLID_FACES:
            face_type, sides = SOLID_FACES[block.type]
            pattern = [[side[i] for i in triangle] for side in sides for triangle in FACE_TRIANGLES[face_type]]
            triangles = data[:, pattern].reshape(-1, 3)
            per_face = len(FACE_TRIANGLES[face_type])
            middles = np.repeat(points[data].mean(axis=1), len(sides), axis=0)
            _turn(points, triangles, per_face, middles)
            solid.append(triangles)
            spread[k] = len(pattern)
        elif block.type in FACE_TRIANGLES:
            pattern = FACE_TRIANGLES[block.type]
            free.append((data[:, pattern].reshape(-1, 3), len(pattern)))
            faces.append(data)
            spread[k] = len(pattern)
        else:
            keep.append(k)
    if free:
        label = _components(faces, len(points))
        used = np.zeros(len(points), dtype=bool)
        for nodes in faces:
            used[nodes] = True
        used = np.flatnonzero(used)
        sums = np.zeros((len(points), 3))
        np.add.at(sums, label[used], points[used])
        counts = np.bincount(label[used], minlength=len(points))
        for triangles, per_face in free:
            first = label[triangles[::per_face, 0]]
            middles = sums[first] / counts[first][:, None]
            _turn(points, triangles, per_face, middles)
    turned = [t for t, _ in free] + solid
    order = [k for k in range(len(mesh.cells)) if k in spread and mesh.cells[k].type in FACE_TRIANGLES] + \
            [k for k in range(len(mesh.cells)) if k in spread and mesh.cells[k].type in SOLID_FACES]
    cells = [(mesh.cells[k].type, mesh.cells[k].data) for k in keep]
    if turned:
        cells.append(("triangle", np.concatenate(turned)))
    out = meshio.Mesh(mesh.points, cells, point_data=mesh.point_data, field_data=mesh.field_data,
                      point_sets=mesh.point_sets, info=getattr(mesh, "info", None))

    starts = np.cumsum([0] + [len(mesh.cells[k].data) * spread[k] for k in order])

    def follow(values, grow):
        parts = [values[k] for k in keep]
        if turned:
            parts.append(np.concatenate([grow(np.asarray(values[k]), spread[k], start)
                                         for k, start in zip(order, starts)]))
        return parts

    out.cell_data = {name: follow(values, lambda v, t, start: np.repeat(v, t, axis=0))
                     for name, values in mesh.cell_data.items()}
    out.cell_sets = {name: follow(values, lambda v, t, start: start + (v[:, None] * t + np.arange(t)).ravel())
                     for name, values in (mesh.cell_sets or {}).items()}
    return out, open_edges(np.concatenate(turned)) if turned else 0


def open_edges(triangles):
    """Edges of the triangles not met by exactly one edge the other way."""
    count = int(triangles.max()) + 1
    a = triangles.ravel()
    b = triangles[:, [1, 2, 0]].ravel()
    forward = np.sort(a * count + b)
    backward = np.sort(b * count + a)
    twice = np.count_nonzero(forward[1:] == forward[:-1])
    met = np.searchsorted(backward, forward)
    met = np.minimum(met, len(backward) - 1)
    return int(twice + np.count_nonzero(backward[met] != forward))
