#include "host/skin_view.h"

#include <stdexcept>
#include <string>

namespace host {

int skin_view::get_number_of_binds() const {
    const skin_data* s = find_skin();
    return s ? static_cast<int>(s->binds.size()) : 0;
}

mat4 skin_view::get_skin_matrix() const {
    const skin_data* s = find_skin();
    return s ? s->matrix : mat4();
}

const skin_binding& skin_view::binding(int k) const {
    const skin_data* s = find_skin();
    if (!s || k < 0 || k >= static_cast<int>(s->binds.size()))
        throw std::out_of_range("skin binding " + std::to_string(k) + " does not exist");
    return s->binds[static_cast<std::size_t>(k)];
}

shape_class* skin_view::get_bind_joint(int k) const { return binding(k).joint; }

float skin_view::get_bind_weight(int k) const { return binding(k).weight; }

void skin_view::set_bind_weight(int k, float weight) {
    binding(k);  // range check before announcing a change
    make_skin().binds[static_cast<std::size_t>(k)].weight = weight;
}

void skin_view::set_bind_joint(int k, shape_class* joint) {
    binding(k);
    make_skin().binds[static_cast<std::size_t>(k)].joint = joint;
}

void skin_view::append_bind() { make_skin().binds.push_back(skin_binding()); }

void skin_view::remove_last_bind() {
    if (get_number_of_binds() == 0) return;
    make_skin().binds.pop_back();
}

void skin_view::set_skin_matrix(const mat4& matrix) { make_skin().matrix = matrix; }

}  // namespace host
