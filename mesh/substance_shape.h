// Finding the leaf shape that holds the n-th control point of a shape tree.
#pragma once

class shape_class;

// Walks the tree below `shape` for control point number *index, counting
// each shape's points as the host reports them (a part answers for its whole
// subtree; a shape that is neither a part, a line nor a mesh counts as one
// point). Returns the line, mesh or other leaf shape that holds the point and
// leaves the point's index within that shape in *index. Returns null when the
// index lies beyond the tree, with *index reduced by every point passed over.
// A linked part (part type 101) shows its linked shape instead of its children
// only when `follow_link` is set, and only for the first link met.
// Null when `shape` or `index` is null.
shape_class* substance_shape(shape_class* shape, int* index, bool follow_link);
