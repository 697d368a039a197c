// Polygon-mesh shapes (kind 7): own a mesh_data and the mesh object over it.
#pragma once

#include "host/mesh.h"
#include "host/shape.h"

namespace host {

class mesh_shape final : public shape {
public:
    mesh_shape(scene& owner, const std::string& name, mesh_data data);

    polygon_mesh_class* get_polygon_mesh() override { return &mesh_; }
    int get_number_of_control_points() const override { return state_.mesh.vertex_count(); }
    // Deselects every vertex, edge and face.
    void clear_active_elements() override;

    // Host side.
    host::mesh& polygon() { return mesh_; }
    const mesh_data& data() const { return state_.mesh; }
    // The arrays for the host's own operations: the change is announced
    // first and the mesh's caches are dropped.
    mesh_data& edit_data();
    void restore(const saved_state& saved) override;
    std::unique_ptr<shape> clone() const override;

private:
    host::mesh mesh_;
};

}  // namespace host
