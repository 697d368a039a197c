// The host's polygon mesh object over one mesh_data.
//
// Reads go straight to the arrays; every write first tells the owner
// (change_listener) so that an open undo step can save the mesh. Removal
// batches collect flags against the counts at the time the first batch
// opened and apply them together, with one call of remove_elements, when
// the last open batch closes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "frame/sdk/polygon_mesh.h"
#include "host/change_listener.h"
#include "host/mesh_data.h"
#include "host/mesh_elements.h"

namespace host {

class side_index;

class mesh final : public polygon_mesh_class {
public:
    mesh(mesh_data& data, change_listener& owner);
    ~mesh();
    mesh(const mesh&) = delete;
    mesh& operator=(const mesh&) = delete;

    int get_number_of_vertices() const override;
    int get_number_of_edges() const override;
    int get_number_of_faces() const override;

    // Element objects; std::out_of_range for an index the mesh does not have.
    vertex_class& vertex(int index) override;
    edge_class& edge(int index) override;
    face_class& face(int index) override;

    // The count is kept up to date, so it costs nothing after the first call.
    int get_number_of_active_vertices() override;
    // One pass over the vertices.
    void get_active_vertex_indices(int* out) override;
    void begin_vertex_selection() override;
    void end_vertex_selection() override;

    int append_vertex(const vec3& position) override;
    // Returns the existing edge when a and b are already joined (after
    // splitting a face that holds both as non-neighbours). Throws
    // std::invalid_argument when a equals b.
    int append_edge(int a, int b) override;
    // Appends a face without UVs; edges are left to rebuild_edges.
    int append_face(int count, const int* vertices) override;

    // Inside a batch an index is checked against the count when the first
    // batch opened; outside any batch the removal happens at once. Appending
    // while a batch is open throws std::logic_error.
    void begin_removing_vertices() override;
    void remove_vertex(int index) override;
    void end_removing_vertices() override;
    void begin_removing_edges() override;
    void remove_edge(int index) override;
    void end_removing_edges() override;
    void begin_removing_faces() override;
    void remove_face(int index) override;
    void end_removing_faces() override;

    void rebuild_edges() override;
    void reduce_duplicated_vertices() override;
    bool check_face_directions() override;
    void adjust_face_directions() override;

    // The lookups share one index of the mesh's sides, built on first use
    // and again after a change of faces or edges; end_face_of_edge frees it.
    // Lookups outside the bracket work the same way. `flag` is ignored.
    void begin_face_of_edge() override;
    int face_of_edge_a(int edge, int v0, bool flag) override;
    int face_of_edge_b(int edge, int v0, bool flag) override;
    int edge_of_face_before(int face, int vertex) override;
    int edge_of_face_after(int face, int vertex) override;
    void end_face_of_edge() override;

    bool get_face_flip() const override;
    void set_face_flip(bool on) override;

    void compute_vertex_normals() override;

    // Host side.
    mesh_data& data() { return *data_; }
    const mesh_data& data() const { return *data_; }
    // Announces a change to the owner; called by the element objects.
    void will_change(change_kind kind);
    // Forgets every cached count and lookup, after the data was replaced
    // as a whole (undo, redo, host operations on the arrays).
    void data_replaced();
    // Keeps the selected-vertex count in step with one flag change.
    void vertex_selection_changed(bool was, bool now);
    // Vertex selection brackets opened so far.
    int vertex_selection_brackets() const { return selection_brackets_; }
    bool removal_batch_open() const { return open_batches_ > 0; }

private:
    void check_vertex(int v) const;
    void check_no_batch(const char* what) const;
    void open_batch(int& depth);
    void close_batch(int& depth, const char* what);
    void flag_removal(std::vector<std::uint8_t>& mask, int index, int count, const char* what);
    void apply_removals();
    const side_index& sides();
    int side_face(int edge, int v0, bool reversed);
    int edge_at_corner(int face, int vertex, bool before);

    mesh_data* data_;
    change_listener* owner_;
    element_blocks<vertex_proxy> vertices_;
    element_blocks<edge_proxy> edges_;
    element_blocks<face_proxy> faces_;

    int selected_count_ = -1;  // -1: not counted since the last change
    int selection_brackets_ = 0;

    int open_batches_ = 0;
    int vertex_batches_ = 0, edge_batches_ = 0, face_batches_ = 0;
    int batch_vertices_ = 0, batch_edges_ = 0, batch_faces_ = 0;
    std::vector<std::uint8_t> vertex_mask_, edge_mask_, face_mask_;

    std::uint64_t topology_serial_ = 0;
    std::unique_ptr<side_index> sides_;
    std::uint64_t sides_serial_ = 0;
};

}  // namespace host
