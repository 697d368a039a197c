#include "host/mesh.h"

#include <stdexcept>
#include <string>

#include "host/mesh_algorithms.h"

namespace host {
namespace {

[[noreturn]] void missing(const char* what, int index) {
    throw std::out_of_range(std::string(what) + " " + std::to_string(index) + " does not exist");
}

}  // namespace

mesh::mesh(mesh_data& data, change_listener& owner)
    : data_(&data), owner_(&owner), vertices_(*this), edges_(*this), faces_(*this) {}

mesh::~mesh() = default;

int mesh::get_number_of_vertices() const { return data_->vertex_count(); }
int mesh::get_number_of_edges() const { return data_->edge_count(); }
int mesh::get_number_of_faces() const { return data_->face_count(); }

vertex_class& mesh::vertex(int index) {
    if (index < 0 || index >= data_->vertex_count()) missing("vertex", index);
    return vertices_.at(index);
}

edge_class& mesh::edge(int index) {
    if (index < 0 || index >= data_->edge_count()) missing("edge", index);
    return edges_.at(index);
}

face_class& mesh::face(int index) {
    if (index < 0 || index >= data_->face_count()) missing("face", index);
    return faces_.at(index);
}

void mesh::check_vertex(int v) const {
    if (v < 0 || v >= data_->vertex_count()) missing("vertex", v);
}

void mesh::will_change(change_kind kind) {
    owner_->will_change(kind);
    if (kind == change_kind::topology) ++topology_serial_;
}

void mesh::data_replaced() {
    selected_count_ = -1;
    ++topology_serial_;
    sides_.reset();
    open_batches_ = vertex_batches_ = edge_batches_ = face_batches_ = 0;
    vertex_mask_.clear();
    edge_mask_.clear();
    face_mask_.clear();
}

void mesh::vertex_selection_changed(bool was, bool now) {
    if (selected_count_ >= 0) selected_count_ += (now ? 1 : 0) - (was ? 1 : 0);
}

// ---- selection -------------------------------------------------------------

int mesh::get_number_of_active_vertices() {
    if (selected_count_ < 0) {
        int n = 0;
        for (std::uint8_t s : data_->vertex_selected) n += s ? 1 : 0;
        selected_count_ = n;
    }
    return selected_count_;
}

void mesh::get_active_vertex_indices(int* out) {
    int n = 0;
    const int count = data_->vertex_count();
    for (int v = 0; v < count; ++v)
        if (data_->vertex_selected[static_cast<std::size_t>(v)]) out[n++] = v;
    selected_count_ = n;
}

void mesh::begin_vertex_selection() { ++selection_brackets_; }

void mesh::end_vertex_selection() {}

// ---- appending -------------------------------------------------------------

void mesh::check_no_batch(const char* what) const {
    if (open_batches_ > 0)
        throw std::logic_error(std::string(what) + " while a removal batch is open would shift the batch's indices");
}

int mesh::append_vertex(const vec3& position) {
    check_no_batch("appending a vertex");
    will_change(change_kind::topology);
    return data_->add_vertex(position);  // unselected: the selected count stays right
}

int mesh::append_edge(int a, int b) {
    check_no_batch("appending an edge");
    check_vertex(a);
    check_vertex(b);
    if (a == b) throw std::invalid_argument("an edge needs two different vertices, not " + std::to_string(a) + " twice");
    will_change(change_kind::topology);
    split_face_along(*data_, a, b);
    for (int e = 0; e < data_->edge_count(); ++e) {
        const auto& ends = data_->edges[static_cast<std::size_t>(e)];
        if ((ends[0] == a && ends[1] == b) || (ends[0] == b && ends[1] == a)) return e;
    }
    return data_->add_edge(a, b);
}

int mesh::append_face(int count, const int* vertices) {
    check_no_batch("appending a face");
    if (count < 0) throw std::invalid_argument("a face cannot have " + std::to_string(count) + " corners");
    for (int k = 0; k < count; ++k) check_vertex(vertices[k]);
    will_change(change_kind::topology);
    return data_->add_face(count, vertices);
}

// ---- removal ---------------------------------------------------------------

void mesh::open_batch(int& depth) {
    if (open_batches_ == 0) {
        batch_vertices_ = data_->vertex_count();
        batch_edges_ = data_->edge_count();
        batch_faces_ = data_->face_count();
        vertex_mask_.assign(static_cast<std::size_t>(batch_vertices_), 0);
        edge_mask_.assign(static_cast<std::size_t>(batch_edges_), 0);
        face_mask_.assign(static_cast<std::size_t>(batch_faces_), 0);
    }
    ++open_batches_;
    ++depth;
}

void mesh::close_batch(int& depth, const char* what) {
    if (depth == 0) throw std::logic_error(std::string("no ") + what + " removal batch is open");
    --depth;
    if (--open_batches_ == 0) apply_removals();
}

void mesh::flag_removal(std::vector<std::uint8_t>& mask, int index, int count, const char* what) {
    if (index < 0 || index >= count) missing(what, index);
    mask[static_cast<std::size_t>(index)] = 1;
}

void mesh::apply_removals() {
    bool any = false;
    for (const auto* mask : {&vertex_mask_, &edge_mask_, &face_mask_})
        for (std::uint8_t f : *mask) any = any || f;
    if (any) {
        will_change(change_kind::topology);
        remove_elements(*data_, vertex_mask_, edge_mask_, face_mask_);
        selected_count_ = -1;
    }
    vertex_mask_.clear();
    edge_mask_.clear();
    face_mask_.clear();
}

void mesh::begin_removing_vertices() { open_batch(vertex_batches_); }
void mesh::end_removing_vertices() { close_batch(vertex_batches_, "vertex"); }
void mesh::begin_removing_edges() { open_batch(edge_batches_); }
void mesh::end_removing_edges() { close_batch(edge_batches_, "edge"); }
void mesh::begin_removing_faces() { open_batch(face_batches_); }
void mesh::end_removing_faces() { close_batch(face_batches_, "face"); }

void mesh::remove_vertex(int index) {
    if (open_batches_ > 0) return flag_removal(vertex_mask_, index, batch_vertices_, "vertex");
    open_batch(vertex_batches_);
    flag_removal(vertex_mask_, index, batch_vertices_, "vertex");
    close_batch(vertex_batches_, "vertex");
}

void mesh::remove_edge(int index) {
    if (open_batches_ > 0) return flag_removal(edge_mask_, index, batch_edges_, "edge");
    open_batch(edge_batches_);
    flag_removal(edge_mask_, index, batch_edges_, "edge");
    close_batch(edge_batches_, "edge");
}

void mesh::remove_face(int index) {
    if (open_batches_ > 0) return flag_removal(face_mask_, index, batch_faces_, "face");
    open_batch(face_batches_);
    flag_removal(face_mask_, index, batch_faces_, "face");
    close_batch(face_batches_, "face");
}

// ---- whole-mesh operations -------------------------------------------------

void mesh::rebuild_edges() {
    check_no_batch("rebuilding edges");
    will_change(change_kind::topology);
    host::rebuild_edges(*data_);
}

void mesh::reduce_duplicated_vertices() {
    check_no_batch("merging vertices");
    will_change(change_kind::topology);
    host::reduce_duplicated_vertices(*data_);
    selected_count_ = -1;
}

bool mesh::check_face_directions() { return host::check_face_directions(*data_); }

void mesh::adjust_face_directions() {
    check_no_batch("turning faces");
    will_change(change_kind::topology);
    host::adjust_face_directions(*data_);
}

bool mesh::get_face_flip() const { return data_->face_flip; }

void mesh::set_face_flip(bool on) {
    if (data_->face_flip == on) return;
    will_change(change_kind::content);
    data_->face_flip = on;
}

void mesh::compute_vertex_normals() {
    will_change(change_kind::selection);
    host::compute_vertex_normals(*data_);
}

// ---- face-of-edge lookups --------------------------------------------------

const side_index& mesh::sides() {
    if (!sides_ || sides_serial_ != topology_serial_) {
        sides_ = std::make_unique<side_index>(*data_);
        sides_serial_ = topology_serial_;
    }
    return *sides_;
}

void mesh::begin_face_of_edge() { sides(); }

void mesh::end_face_of_edge() { sides_.reset(); }

int mesh::side_face(int edge, int v0, bool reversed) {
    if (edge < 0 || edge >= data_->edge_count()) missing("edge", edge);
    const auto& e = data_->edges[static_cast<std::size_t>(edge)];
    int v1;
    if (e[0] == v0) v1 = e[1];
    else if (e[1] == v0) v1 = e[0];
    else return -1;  // v0 is not an end of the edge
    return reversed ? sides().face_with_side(v1, v0) : sides().face_with_side(v0, v1);
}

int mesh::face_of_edge_a(int edge, int v0, bool) { return side_face(edge, v0, true); }
int mesh::face_of_edge_b(int edge, int v0, bool) { return side_face(edge, v0, false); }

int mesh::edge_at_corner(int face, int vertex, bool before) {
    if (face < 0 || face >= data_->face_count()) missing("face", face);
    const int n = data_->face_size[static_cast<std::size_t>(face)];
    const std::int32_t* v = data_->face_vertices(face);
    for (int k = 0; k < n; ++k) {
        if (v[k] != vertex) continue;
        const int other = before ? v[(k + n - 1) % n] : v[(k + 1) % n];
        return sides().edge_between(other, vertex);
    }
    return -1;
}

int mesh::edge_of_face_before(int face, int vertex) { return edge_at_corner(face, vertex, true); }
int mesh::edge_of_face_after(int face, int vertex) { return edge_at_corner(face, vertex, false); }

}  // namespace host
