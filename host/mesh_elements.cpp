#include "host/mesh_elements.h"

#include <stdexcept>
#include <string>

#include "host/mesh.h"

namespace host {
namespace {

[[noreturn]] void missing(const char* what, int index) {
    throw std::out_of_range(std::string(what) + " " + std::to_string(index) + " does not exist");
}

}  // namespace

// ---- vertex_proxy ----------------------------------------------------------

int vertex_proxy::checked() const {
    const int index = element_blocks<vertex_proxy>::index_of(this);
    if (index >= owner().data().vertex_count()) missing("vertex", index);
    return index;
}

vec3 vertex_proxy::get_position() const { return owner().data().positions[static_cast<std::size_t>(checked())]; }

void vertex_proxy::set_position(const vec3& p) {
    const int v = checked();
    owner().will_change(change_kind::content);
    owner().data().positions[static_cast<std::size_t>(v)] = p;
}

vec3 vertex_proxy::get_normal() const {
    const int v = checked();
    const mesh_data& d = owner().data();
    return d.normals.empty() ? vec3() : d.normals[static_cast<std::size_t>(v)];
}

skin_class& vertex_proxy::get_skin() const {
    checked();
    return const_cast<vertex_proxy&>(*this);
}

bool vertex_proxy::get_active() const { return owner().data().vertex_selected[static_cast<std::size_t>(checked())] != 0; }

void vertex_proxy::set_active(bool on) {
    const int v = checked();
    std::uint8_t& flag = owner().data().vertex_selected[static_cast<std::size_t>(v)];
    if ((flag != 0) == on) return;
    owner().will_change(change_kind::selection);
    owner().vertex_selection_changed(flag != 0, on);
    flag = on ? 1 : 0;
}

const skin_data* vertex_proxy::find_skin() const {
    const int v = checked();
    const mesh_data& d = owner().data();
    if (d.vertex_skin.empty()) return nullptr;
    const std::int32_t s = d.vertex_skin[static_cast<std::size_t>(v)];
    return s < 0 ? nullptr : &d.skins[static_cast<std::size_t>(s)];
}

skin_data& vertex_proxy::make_skin() {
    const int v = checked();
    owner().will_change(change_kind::content);
    mesh_data& d = owner().data();
    if (d.vertex_skin.empty()) d.vertex_skin.assign(d.positions.size(), -1);
    std::int32_t& s = d.vertex_skin[static_cast<std::size_t>(v)];
    if (s < 0) {
        s = static_cast<std::int32_t>(d.skins.size());
        d.skins.emplace_back();
    }
    return d.skins[static_cast<std::size_t>(s)];
}

// ---- edge_proxy ------------------------------------------------------------

int edge_proxy::checked() const {
    const int index = element_blocks<edge_proxy>::index_of(this);
    if (index >= owner().data().edge_count()) missing("edge", index);
    return index;
}

int edge_proxy::get_v0() const { return owner().data().edges[static_cast<std::size_t>(checked())][0]; }
int edge_proxy::get_v1() const { return owner().data().edges[static_cast<std::size_t>(checked())][1]; }

void edge_proxy::set_end(int end, int v) {
    const int e = checked();
    if (v < 0 || v >= owner().data().vertex_count()) missing("vertex", v);
    owner().will_change(change_kind::topology);
    owner().data().edges[static_cast<std::size_t>(e)][static_cast<std::size_t>(end)] = v;
}

void edge_proxy::set_v0(int v) { set_end(0, v); }
void edge_proxy::set_v1(int v) { set_end(1, v); }

void edge_proxy::remove() { owner().remove_edge(checked()); }

void edge_proxy::set_active(bool on) {
    const int e = checked();
    std::uint8_t& flag = owner().data().edge_selected[static_cast<std::size_t>(e)];
    if ((flag != 0) == on) return;
    owner().will_change(change_kind::selection);
    flag = on ? 1 : 0;
}

bool edge_proxy::get_active() const { return owner().data().edge_selected[static_cast<std::size_t>(checked())] != 0; }

// ---- face_proxy ------------------------------------------------------------

int face_proxy::checked() const {
    const int index = element_blocks<face_proxy>::index_of(this);
    if (index >= owner().data().face_count()) missing("face", index);
    return index;
}

int face_proxy::get_number_of_vertices(void*) const { return owner().data().face_size[static_cast<std::size_t>(checked())]; }

int face_proxy::vertex(int k, void*) const {
    const int f = checked();
    const mesh_data& d = owner().data();
    if (k < 0 || k >= d.face_size[static_cast<std::size_t>(f)]) missing("corner", k);
    return d.corner(f, k);
}

void face_proxy::get_vertex_indices(int* out, void*) const {
    const int f = checked();
    const mesh_data& d = owner().data();
    const std::int32_t* v = d.face_vertices(f);
    for (int k = 0; k < d.face_size[static_cast<std::size_t>(f)]; ++k) out[k] = v[k];
}

void face_proxy::set_vertex_indices(int count, const int* indices, void*) {
    const int f = checked();
    mesh_data& d = owner().data();
    if (count < 0) throw std::invalid_argument("a face cannot have " + std::to_string(count) + " corners");
    for (int k = 0; k < count; ++k)
        if (indices[k] < 0 || indices[k] >= d.vertex_count()) missing("vertex", indices[k]);
    owner().will_change(change_kind::topology);
    d.set_face_vertices(f, count, indices);
}

bool face_proxy::has_uv(void*) const { return owner().data().face_has_uv[static_cast<std::size_t>(checked())] != 0; }

namespace {

void read_uv(const mesh_data& d, const std::vector<vec2>& set, int f, vec2* out) {
    const std::size_t start = static_cast<std::size_t>(d.face_start[static_cast<std::size_t>(f)]);
    for (int k = 0; k < d.face_size[static_cast<std::size_t>(f)]; ++k) out[k] = set[start + static_cast<std::size_t>(k)];
}

void write_uv(mesh_data& d, std::vector<vec2>& set, int f, const vec2* uv) {
    const std::size_t start = static_cast<std::size_t>(d.face_start[static_cast<std::size_t>(f)]);
    for (int k = 0; k < d.face_size[static_cast<std::size_t>(f)]; ++k) set[start + static_cast<std::size_t>(k)] = uv[k];
    d.face_has_uv[static_cast<std::size_t>(f)] = 1;
}

}  // namespace

void face_proxy::get_parameter_uv(vec2* out, void*) const {
    const mesh_data& d = owner().data();
    read_uv(d, d.corner_puv, checked(), out);
}

void face_proxy::set_parameter_uv(const vec2* uv, void*) {
    const int f = checked();
    owner().will_change(change_kind::content);
    mesh_data& d = owner().data();
    d.unshare_uvs();
    write_uv(d, d.corner_puv, f, uv);
}

void face_proxy::get_distance_uv(vec2* out, void*) const {
    const mesh_data& d = owner().data();
    read_uv(d, d.distance_uvs(), checked(), out);
}

void face_proxy::set_distance_uv(const vec2* uv, void*) {
    const int f = checked();
    owner().will_change(change_kind::content);
    mesh_data& d = owner().data();
    d.unshare_uvs();
    write_uv(d, d.corner_duv, f, uv);
}

void face_proxy::remove(void*) { owner().remove_face(checked()); }

int face_proxy::get_normals(vec3* out, void*) const {
    const int f = checked();
    const mesh_data& d = owner().data();
    if (!d.face_has_normals[static_cast<std::size_t>(f)]) return 0;
    const std::size_t start = static_cast<std::size_t>(d.face_start[static_cast<std::size_t>(f)]);
    const int n = d.face_size[static_cast<std::size_t>(f)];
    for (int k = 0; k < n; ++k) out[k] = d.corner_normal[start + static_cast<std::size_t>(k)];
    return n;
}

void face_proxy::set_normals(int count, const vec3* normals, void*) {
    const int f = checked();
    mesh_data& d = owner().data();
    const int n = d.face_size[static_cast<std::size_t>(f)];
    if (count == 0) {
        if (!d.face_has_normals[static_cast<std::size_t>(f)]) return;
        owner().will_change(change_kind::content);
        d.face_has_normals[static_cast<std::size_t>(f)] = 0;
        return;
    }
    if (count != n)
        throw std::invalid_argument("face " + std::to_string(f) + " has " + std::to_string(n) + " corners, not " +
                                    std::to_string(count) + " normals");
    owner().will_change(change_kind::content);
    if (d.corner_normal.size() != d.corner_vertex.size()) d.corner_normal.resize(d.corner_vertex.size());
    const std::size_t start = static_cast<std::size_t>(d.face_start[static_cast<std::size_t>(f)]);
    for (int k = 0; k < n; ++k) d.corner_normal[start + static_cast<std::size_t>(k)] = normals[k];
    d.face_has_normals[static_cast<std::size_t>(f)] = 1;
}

void face_proxy::set_active(bool on, void*) {
    const int f = checked();
    std::uint8_t& flag = owner().data().face_selected[static_cast<std::size_t>(f)];
    if ((flag != 0) == on) return;
    owner().will_change(change_kind::selection);
    flag = on ? 1 : 0;
}

bool face_proxy::get_active(void*) const { return owner().data().face_selected[static_cast<std::size_t>(checked())] != 0; }

}  // namespace host
