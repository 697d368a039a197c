// Face combining: the refacing step of edge removal, which turns two faces
// that share an edge into the one face of their common outline.
#include "mesh/face_class.h"
#include "mesh/polygon_class.h"

namespace {

// The first corner of `f` at vertex v, or -1.
int corner_of(const Face_class& f, int v) {
    for (int k = 0; k < f.size(); ++k)
        if (f.elements[static_cast<std::size_t>(k)].vertex == v) return k;
    return -1;
}

}  // namespace

void Polygon_class::combine_face(int a, int b, int p, int q) {
    face_class& host_a = mesh->face(a);
    const Face_class face_a(host_a);
    const Face_class face_b(mesh->face(b));
    const int i = corner_of(face_a, p);
    const int j = corner_of(face_b, q);
    const int na = face_a.size();
    const int nb = face_b.size();
    // Both ends of the shared edge must be corners (face a runs from q to
    // p, face b from p to q); otherwise there is no common outline.
    if (i < 0 || j < 0 || nb < 2) return;
    Face_class result(na + nb - 2);
    // All of a, starting at p (so it ends at q) ...
    for (int k = 0; k < na; ++k) result.set_element(k, face_a.get_element(i + k));
    // ... then b after q, stopping before it comes back to p.
    for (int k = 0; k < nb - 2; ++k) result.set_element(na + k, face_b.get_element(j + 1 + k));
    result.has_uv = face_a.has_uv || face_b.has_uv;
    result.set(host_a, face_uv::both);
}
