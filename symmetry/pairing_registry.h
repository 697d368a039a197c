// The pairings registered per shape (SymS): making one for the palette's
// current mesh, and releasing those of shapes the host is about to delete.
#pragma once

#include <vector>

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

// What undo or redo did to the pairing of one polygon mesh.
enum class pairing_restore {
    kept,      // the shape's state has the pairing the shape had
    restored,  // the pairing took the tables of the restored state
    remade,    // the restored state had a pairing the shape had not: made again
    released,  // the restored state had no pairing (or the shape left the scene)
    unreadable // the state kept with the shape could not be read: released
};
struct restored_pairing {
    shape_class* shape;
    pairing_restore what;
};

// Brings the pairings of a shape that undo or redo put back, and of every
// polygon mesh below it (as delete_twinel_object walks), in step with the
// pairing state kept with each (pairing_state.h). A pairing made again takes
// its settings from that state and its host from `settings`. Shapes outside
// the scene whose root is `root` keep no pairing. Appends one entry per
// polygon mesh that has, or had, a pairing.
void restore_pairings(shape_class& shape, const shape_class& root, const Symmetry_class& settings,
                      std::vector<restored_pairing>& out);
