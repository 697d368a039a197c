// The pairings registered per shape (SymS): making one for the palette's
// current mesh, and releasing those of shapes the host is about to delete.
#pragma once

class Polygon_class;
class Symmetry_class;
class shape_class;
class twinel_class;

// Pairs the polygon's shape with a copy of `settings` (makeup: builds the
// mirrored half first) and registers the pairing in SymS. When the shape
// already has a pairing, nothing is made and that pairing is kept. Returns
// null on success, with *out (when out is given) the shape's registered
// pairing; otherwise the untranslated message of the failure ("***Twinel
// ERROR*** at make twinel." for a failure without a message), with nothing
// registered and *out null. Mesh edits made before a failure stay.
const char* make_pairing(Polygon_class& polygon, const Symmetry_class& settings, bool makeup, twinel_class** out);

// Releases the pairing of a polygon-mesh shape, or of every shape below a
// group shape (depth first) unless the group is a surface (group type 1).
// Other shapes have none.
void delete_twinel_object(shape_class& shape);
