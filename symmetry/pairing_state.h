// The state of a pairing as its shape keeps it, so that undo and redo bring
// back the pairing that belongs to the mesh they bring back.
//
// The host saves an attribute's bytes with the shape in every undo step and
// puts them back with the mesh. A pairing writes its settings, its recorded
// edge count and both pair tables into the bytes of its paired-shape
// attribute at the end of every operation that may have changed them,
// inside the undo step of that operation. Whatever state undo or redo then
// returns the shape to, its bytes say which pairing that state had (or, with
// no attribute, that it had none), and the window puts exactly that pairing
// back. A host edit changes the mesh but not the bytes, just as it leaves
// the pairing's tables alone until the next re-symmetrization repairs them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "symmetry/symmetry_class.h"

class shape_class;
class twinel_class;

struct pairing_state {
    Symmetry_class settings;  // the settings fields only (plane to use_world)
    int edge_count = 0;
    std::vector<int> vertex_links;
    std::vector<int> face_links;
};

// The pairing's state as bytes (host byte order; they never leave memory).
std::string encode_pairing(const twinel_class& pairing);

// Reads bytes made by encode_pairing. The settings fields of `out.settings`
// are overwritten; its other members (the host, the matrices) stay. False,
// with `out` unspecified, for bytes of another layout or tables that break
// the pair invariants.
bool decode_pairing(const void* data, std::size_t size, pairing_state& out);

// Writes the pairing's state into its shape's paired-shape attribute
// (inside a record that joins the newest undo step, so the bytes belong to
// the step that changed the pairing). Nothing when the shape keeps the same
// bytes already, or has no attribute.
void keep_pairing_state(twinel_class& pairing);

// The pairing state kept with the shape, when there is one that decodes;
// `settings` gives the members decoding keeps.
bool read_pairing_state(const shape_class& shape, const Symmetry_class& settings, pairing_state& out);

// Gives the pairing the tables and edge count of `state`; its settings stay.
// False, changing nothing, when a table does not decode.
bool apply_pairing_state(twinel_class& pairing, const pairing_state& state);
