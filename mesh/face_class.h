// An editable copy of one face of a host polygon mesh: its corners in winding
// order, each with its vertex index and both UV sets.
#pragma once

#include <vector>

#include "frame/sdk/math.h"

class face_class;

// One corner of a face.
struct face_element {
    int vertex = -1;     // vertex index, -1 when unset
    vec2 parameter_uv;   // the corner's parameter UV
    vec2 distance_uv;    // the corner's distance UV
};

// Bits of Face_class::set's `which`: the UV sets written back.
namespace face_uv {
constexpr int distance = 1;
constexpr int parameter = 2;
constexpr int both = distance | parameter;
}  // namespace face_uv

class Face_class {
public:
    bool has_uv = false;                 // the face carries UV sets
    std::vector<face_element> elements;  // the corners in winding order

    // `n` corners with vertex -1 and zero UVs; no UV sets.
    explicit Face_class(int n = 0);
    // A copy of the host face `f` (see _make).
    explicit Face_class(face_class& f);

    // Reads the host face: has_uv from the face; with at least one corner,
    // the corners replace the elements (UVs read only when the face has
    // them, zero otherwise). A face with no corner leaves the elements as
    // they were.
    void _make(face_class& f);

    // Writes the copy back to `f`: the vertex indices (the face takes the
    // copy's corner count), then, when has_uv, the distance UVs if bit 1 of
    // `which` is set and the parameter UVs if bit 2 is set; finally clears
    // the face's explicit normals. Returns 0; with no elements writes nothing
    // and returns 1.
    int set(face_class& f, int which) const;

    // i reduced into the element range (i mod the element count). The copy
    // must have at least one element.
    int adjust_index(unsigned i) const;

    // The element at adjust_index(i); indices past the end wrap to the start.
    face_element& get_element(int i);
    const face_element& get_element(int i) const;
    // Copies `e` (vertex and both UVs) into the element at adjust_index(i).
    void set_element(int i, const face_element& e);

    // Reverses the winding: element k takes the value of element n-1-k, UVs
    // travelling with their corners. Copies of one corner stay as they are.
    void reverse();

    int size() const { return static_cast<int>(elements.size()); }
};
