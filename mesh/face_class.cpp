#include "mesh/face_class.h"

#include <algorithm>
#include <cassert>

#include "frame/sdk/polygon_mesh.h"

Face_class::Face_class(int n) : elements(n > 0 ? static_cast<std::size_t>(n) : 0) {}

Face_class::Face_class(face_class& f) { _make(f); }

void Face_class::_make(face_class& f) {
    const int n = f.get_number_of_vertices(nullptr);
    has_uv = f.has_uv(nullptr);
    if (n < 1) return;
    const std::size_t count = static_cast<std::size_t>(n);
    std::vector<int> vertices(count);
    f.get_vertex_indices(vertices.data(), nullptr);
    std::vector<vec2> parameter(count), distance(count);
    if (has_uv) {
        f.get_parameter_uv(parameter.data(), nullptr);
        f.get_distance_uv(distance.data(), nullptr);
    }
    elements.assign(count, face_element{});
    for (std::size_t k = 0; k < count; ++k) elements[k] = face_element{vertices[k], parameter[k], distance[k]};
}

int Face_class::set(face_class& f, int which) const {
    if (elements.empty()) return 1;
    const std::size_t count = elements.size();
    std::vector<int> vertices(count);
    for (std::size_t k = 0; k < count; ++k) vertices[k] = elements[k].vertex;
    f.set_vertex_indices(static_cast<int>(count), vertices.data(), nullptr);
    if (has_uv) {
        std::vector<vec2> uv(count);
        if (which & face_uv::distance) {
            for (std::size_t k = 0; k < count; ++k) uv[k] = elements[k].distance_uv;
            f.set_distance_uv(uv.data(), nullptr);
        }
        if (which & face_uv::parameter) {
            for (std::size_t k = 0; k < count; ++k) uv[k] = elements[k].parameter_uv;
            f.set_parameter_uv(uv.data(), nullptr);
        }
    }
    f.set_normals(0, nullptr, nullptr);
    return 0;
}

int Face_class::adjust_index(unsigned i) const {
    assert(!elements.empty());  // callers only index faces that have corners
    return static_cast<int>(i % static_cast<unsigned>(elements.size()));
}

face_element& Face_class::get_element(int i) {
    return elements[static_cast<std::size_t>(adjust_index(static_cast<unsigned>(i)))];
}

const face_element& Face_class::get_element(int i) const {
    return elements[static_cast<std::size_t>(adjust_index(static_cast<unsigned>(i)))];
}

void Face_class::set_element(int i, const face_element& e) { get_element(i) = e; }

void Face_class::reverse() {
    if (elements.size() > 1) std::reverse(elements.begin(), elements.end());
}
