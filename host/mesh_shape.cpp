#include "host/mesh_shape.h"

namespace host {

mesh_shape::mesh_shape(scene& owner, const std::string& name, mesh_data data)
    : shape(owner, 7, name), mesh_(state_.mesh, *this) {
    state_.mesh = std::move(data);
}

void mesh_shape::clear_active_elements() {
    mesh_data& d = state_.mesh;
    bool any = false;
    for (const auto* flags : {&d.vertex_selected, &d.edge_selected, &d.face_selected})
        for (std::uint8_t f : *flags) any = any || f;
    if (!any) return;
    will_change(change_kind::selection);
    for (auto* flags : {&d.vertex_selected, &d.edge_selected, &d.face_selected}) flags->assign(flags->size(), 0);
    mesh_.data_replaced();
}

mesh_data& mesh_shape::edit_data() {
    will_change(change_kind::topology);
    mesh_.data_replaced();
    return state_.mesh;
}

void mesh_shape::restore(const saved_state& saved) {
    shape::restore(saved);
    mesh_.data_replaced();
}

std::unique_ptr<shape> mesh_shape::clone() const {
    auto copy = std::make_unique<mesh_shape>(owner(), state_.name, mesh_data());
    copy->copy_data_from(*this);
    return copy;
}

}  // namespace host
