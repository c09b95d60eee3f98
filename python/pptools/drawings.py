"""The drawings of a mesh file in one meshio mesh, and back.

pptools.read gives every drawing in one Mesh: the drawings' nodes follow
one another in mesh.points, their elements in mesh.cells (each block of one
drawing). Where there are more than one, mesh.cell_sets names each drawing
by its label ("drawing N" for an empty label, or one that an earlier drawing
has). mesh.info holds the titles, "zmf:header", "zmf:labels" (one a drawing)
and "zmf:label" (the first drawing's), and "zmf:nodes", the nodes of each
drawing. The special nodes of all are the point set "special", in order.

A mesh from elsewhere names its drawings as ppt-convert's .vtu and
ParaView's reader of mesh files do: the cell data "drawing" (each cell's
drawing, from 1), the field data "header" and "label" (UInt8: the bytes of
each text and a zero byte; "label" one text a drawing), the point data
"special" (0 at a special node, -1 elsewhere), and with more than one
drawing the field data "nodes" (Int64: the nodes of each drawing, which
follow one another in the points).
"""

import numpy as np

HEADER_KEY = "zmf:header"
LABEL_KEY = "zmf:label"
LABELS_KEY = "zmf:labels"
NODES_KEY = "zmf:nodes"
SPECIAL_SET = "special"
# The names of ppt-convert's .vtu and of ParaView's reader.
SPECIAL_DATA = "special"
DRAWING_DATA = "drawing"
HEADER_DATA = "header"
LABEL_DATA = "label"
NODES_DATA = "nodes"


def set_names(labels):
    """The cell sets that name drawings of these labels."""
    names = []
    for k, label in enumerate(labels):
        name = label.strip()
        names.append(name if name and name not in names else "drawing %d" % (k + 1))
    return names


def texts(values):
    """The texts of a field data array of titles: bytes, each text ended by
    a zero; None for any other array."""
    values = np.asarray(values)
    if values.ndim != 1 or values.dtype.kind not in "iu" or (values.size and (values.min() < 0 or values.max() > 255)):
        return None
    data = values.astype(np.uint8).tobytes()
    if data and not data.endswith(b"\0"):
        data += b"\0"
    return [text.decode("utf-8", "surrogateescape") for text in data.split(b"\0")[:-1]]


def assemble(parts):
    """The arguments of one meshio.Mesh for the drawings read: parts holds,
    a drawing each, (header, label, [(cell type, cells)], points, special),
    node numbers from 0 within the drawing. Returns (points, cells,
    point_sets, cell_sets, info)."""
    header = parts[0][0]
    labels = [label for _, label, _, _, _ in parts]
    counts = [len(points) for _, _, _, points, _ in parts]
    bases = np.cumsum([0] + counts[:-1])
    if len(parts) == 1:
        _, _, cells, points, special = parts[0]
    else:
        points = np.concatenate([points for _, _, _, points, _ in parts])
        special = np.concatenate([s + base for (_, _, _, _, s), base in zip(parts, bases)])
        cells = [(kind, data + base) for (_, _, blocks, _, _), base in zip(parts, bases) for kind, data in blocks]
    point_sets = {SPECIAL_SET: special} if len(special) else {}
    cell_sets = {}
    if len(parts) > 1:
        first = 0
        for name, (_, _, blocks, _, _) in zip(set_names(labels), parts):
            cell_sets[name] = [np.arange(len(data)) if first <= b < first + len(blocks) else np.zeros(0, dtype=np.int64)
                               for b, (_, data) in enumerate(cells)]
            first += len(blocks)
    info = {HEADER_KEY: header, LABEL_KEY: labels[0], LABELS_KEY: labels, NODES_KEY: counts}
    return points, cells, point_sets, cell_sets, info


def has_header(mesh):
    """Whether a mesh carries a header line of its own."""
    info = mesh.info if isinstance(mesh.info, dict) else {}
    found = texts((mesh.field_data or {}).get(HEADER_DATA, []))
    return info.get(HEADER_KEY) is not None or bool(found)


class Drawing:
    """A drawing to write: its label, its blocks [(cell type, node lists
    from 0 among its own nodes)], the indices of its nodes in the mesh's
    points (a slice or an array), and its special nodes (from 0)."""

    def __init__(self, label, blocks, nodes, special):
        self.label, self.blocks, self.nodes, self.special = label, blocks, nodes, special


def _membership(mesh, info):
    """Each block's drawing numbers (from 0) per cell, the drawings' count,
    and the data that named them: from the cell data "drawing", or from the
    cell sets that pptools.read gives; None for one drawing."""
    cells = mesh.cells
    data = (mesh.cell_data or {}).get(DRAWING_DATA)
    if data is not None and len(data) == len(cells):
        numbers = [np.asarray(values).ravel() for values in data]
        if all(values.dtype.kind in "iu" and len(values) == len(block.data)
               for values, block in zip(numbers, cells)):
            every = np.concatenate(numbers) if numbers else np.zeros(0, dtype=np.int64)
            if every.size and every.min() >= 1:
                return [values.astype(np.int64) - 1 for values in numbers], int(every.max()), \
                    ("cell data", DRAWING_DATA)
    labels = info.get(LABELS_KEY)
    sets = mesh.cell_sets or {}
    if isinstance(labels, (list, tuple)) and len(labels) > 1:
        names = set_names([str(label) for label in labels])
        if all(name in sets and len(sets[name]) == len(cells) for name in names):
            numbers = [np.full(len(block.data), -1, dtype=np.int64) for block in cells]
            for k, name in enumerate(names):
                for b, members in enumerate(sets[name]):
                    numbers[b][np.asarray(members, dtype=np.int64)] = k
            if all((values >= 0).all() for values in numbers):
                return numbers, len(names), ("cell sets",) + tuple(names)
    return None, 1, None


def split(mesh, cells, nn, header, label):
    """The mesh's drawings to write, and what of the mesh named them (held:
    {kind of data: names}, which the file holds). cells: [(cell type, node
    lists from 0)], the blocks to write; nn: the points. Titles: the header
    and label given, else the mesh's (info, else its field data), else
    None."""
    info = mesh.info if isinstance(mesh.info, dict) else {}
    field = mesh.field_data or {}
    held = {"point sets": {SPECIAL_SET}}
    numbers, count, named = _membership(mesh, info)
    if named:
        held.setdefault(named[0], set()).update(named[1:])
    # The nodes of each drawing, as a .vtu of several gives them: drawings
    # past the last cell's (without cells) count too.
    sizes = info.get(NODES_KEY)
    if NODES_DATA in field and named and named[1:] == (DRAWING_DATA,):
        given = np.asarray(field[NODES_DATA]).ravel()
        if given.dtype.kind in "iu" and given.size >= count and (given >= 0).all() and int(given.sum()) == nn:
            sizes = [int(n) for n in given]
            held.setdefault("field data", set()).add(NODES_DATA)
            count = len(sizes)

    # The titles.
    if header is None:
        header = info.get(HEADER_KEY)
    if header is None and HEADER_DATA in field and texts(field[HEADER_DATA]):
        header = texts(field[HEADER_DATA])[0]
        held.setdefault("field data", set()).add(HEADER_DATA)
    labels = label if isinstance(label, (list, tuple)) else None if label is None else [label]
    if labels is None:
        labels = info.get(LABELS_KEY)
        if not isinstance(labels, (list, tuple)) or len(labels) != count:
            labels = [info[LABEL_KEY]] if LABEL_KEY in info and count == 1 else None
    if labels is None and LABEL_DATA in field:
        found = texts(field[LABEL_DATA])
        if found is not None and len(found) == count:
            labels = found
            held.setdefault("field data", set()).add(LABEL_DATA)
    if labels is not None and len(labels) != count:
        raise ValueError("%d labels given for %d drawings" % (len(labels), count))

    # The special nodes: the point set in its order, or the point data of a
    # .vtu (0 at a special node).
    special = (mesh.point_sets or {}).get(SPECIAL_SET)
    if special is None:
        marks = (mesh.point_data or {}).get(SPECIAL_DATA)
        if marks is not None and np.asarray(marks).shape == (nn,) and np.isin(np.asarray(marks), (0, -1)).all():
            special = np.flatnonzero(np.asarray(marks) == 0)
            held.setdefault("point data", set()).add(SPECIAL_DATA)
    special = np.asarray(special if special is not None else [], dtype=np.int64).ravel()

    if count == 1:
        return header, [Drawing(labels[0] if labels else None, cells, slice(0, nn), special)], held
    return header, _drawings(cells, numbers, count, nn, sizes, labels, special), held


def _drawings(cells, numbers, count, nn, sizes, labels, special):
    """The drawings of a mesh whose cells name theirs: each with its own
    nodes, as a stretch of the points where they follow one another
    (sizes: pptools.read's "zmf:nodes" or a .vtu's "nodes"; or where each
    drawing's cells use nodes after the last one's), else the nodes its
    cells use."""
    parts = [[(kind, data[drawing == k]) for (kind, data), drawing in zip(cells, numbers) if (drawing == k).any()]
             for k in range(count)]
    used = [np.unique(np.concatenate([data.ravel() for _, data in blocks])) if blocks else np.zeros(0, dtype=np.int64)
            for blocks in parts]
    starts = None
    if isinstance(sizes, (list, tuple)) and len(sizes) == count and sum(sizes) == nn:
        starts = list(np.cumsum([0] + list(sizes)))
    else:
        firsts = [int(u[0]) if len(u) else None for u in used]
        if all(f is not None for f in firsts) and all(firsts[k] > int(used[k - 1][-1]) for k in range(1, count)):
            starts = [0] + firsts[1:] + [nn]
    if starts is not None and all(not len(u) or (starts[k] <= u[0] and u[-1] < starts[k + 1])
                                  for k, u in enumerate(used)):
        return [Drawing(labels[k] if labels else None,
                        [(kind, data - starts[k]) for kind, data in parts[k]], slice(starts[k], starts[k + 1]),
                        special[(special >= starts[k]) & (special < starts[k + 1])] - starts[k])
                for k in range(count)]
    out = []
    for k in range(count):
        renumber = np.full(nn, -1, dtype=np.int64)
        renumber[used[k]] = np.arange(len(used[k]))
        mine = special[renumber[special] >= 0] if special.size else special
        out.append(Drawing(labels[k] if labels else None, [(kind, renumber[data]) for kind, data in parts[k]],
                           used[k], renumber[mine]))
    return out


def unused(drawings, nn):
    """The points that no drawing writes."""
    kept = np.zeros(nn, dtype=bool)
    for drawing in drawings:
        kept[drawing.nodes] = True
    return int(np.count_nonzero(~kept))


def merged(mesh):
    """A mesh of several drawings with one block of each cell type (the
    drawings' blocks of a type joined in order), as some formats need
    (Gmsh's writer, one entity a type); its cell data and sets follow their
    cells. Any other mesh as it is."""
    labels = (mesh.info or {}).get(LABELS_KEY) if isinstance(mesh.info, dict) else None
    types = [block.type for block in mesh.cells]
    if not isinstance(labels, (list, tuple)) or len(labels) < 2 or len(set(types)) == len(types):
        return mesh
    order = list(dict.fromkeys(types))
    groups = [[k for k, t in enumerate(types) if t == name] for name in order]
    starts = {}
    for ks in groups:
        at = 0
        for k in ks:
            starts[k] = at
            at += len(mesh.cells[k].data)
    out = type(mesh)(mesh.points, [(name, np.concatenate([np.asarray(mesh.cells[k].data) for k in ks]))
                                   for name, ks in zip(order, groups)],
                     point_data=mesh.point_data, field_data=mesh.field_data, point_sets=mesh.point_sets,
                     info=mesh.info)
    out.cell_data = {name: [np.concatenate([np.asarray(values[k]) for k in ks]) for ks in groups]
                     for name, values in (mesh.cell_data or {}).items()}
    out.cell_sets = {name: [np.concatenate([np.asarray(values[k], dtype=np.int64) + starts[k] for k in ks])
                            for ks in groups]
                     for name, values in (mesh.cell_sets or {}).items()}
    return out
