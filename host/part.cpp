#include "host/part.h"

#include <stdexcept>
#include <utility>

#include "host/line_shape.h"
#include "host/scene.h"

namespace host {

part::part(scene& owner, const std::string& name, int part_type) : shape(owner, 2, name), part_type_(part_type) {}

int part::get_number_of_control_points() const {
    int n = 0;
    for (const shape* child : state_.children) n += child->get_number_of_control_points();
    return n;
}

shape_class* part::get_link() const { return state_.link; }

void part::set_link(shape* target) {
    will_change(change_kind::content);
    state_.link = target;
}

std::unique_ptr<shape> part::clone() const {
    auto copy = std::make_unique<part>(owner(), state_.name, part_type_);
    copy->copy_data_from(*this);
    return copy;
}

namespace {

// The point as it reads along the other direction: the handle pairs and
// their flags change places.
control_point_data transposed(const control_point_data& p) {
    control_point_data t = p;
    std::swap(t.first_handle, t.third_handle);
    std::swap(t.second_handle, t.fourth_handle);
    std::swap(t.first_flag, t.second_flag);
    return t;
}

}  // namespace

void part::exchange_line_directions() {
    if (part_type_ != 1) throw std::logic_error("part '" + state_.name + "' is not a surface");
    const std::vector<shape*> rows = state_.children;
    const std::size_t m = rows.size();
    if (m == 0) return;
    for (const shape* r : rows)
        if (r->get_type() != 4) throw std::logic_error("surface '" + state_.name + "' holds a shape that is not a line");
    const std::size_t n = static_cast<const line_shape*>(rows.front())->points().size();
    for (const shape* r : rows)
        if (static_cast<const line_shape*>(r)->points().size() != n)
            throw std::logic_error("the lines of surface '" + state_.name + "' differ in point count");

    scene& sc = owner();
    const undo_scope step(sc);
    // The lines set aside by the previous exchange come back first; new
    // lines are made for any further columns.
    std::vector<shape*> columns = state_.parked_lines;
    columns.resize(std::min(columns.size(), n));
    while (columns.size() < n) {
        const std::string name = state_.name + "_line_" + std::to_string(columns.size());
        columns.push_back(&sc.keep(std::make_unique<line_shape>(sc, name)));
    }
    for (std::size_t c = 0; c < n; ++c) {
        std::vector<control_point_data> points;
        points.reserve(m);
        for (const shape* r : rows) points.push_back(transposed(static_cast<const line_shape*>(r)->points()[c]));
        static_cast<line_shape*>(columns[c])->set_points(std::move(points));
    }
    for (shape* r : rows) sc.place(*r, nullptr, 0);
    int k = 0;
    for (shape* c : columns) sc.place(*c, this, k++);
    will_change(change_kind::content);
    state_.parked_lines = rows;
    state_.directions_exchanged = !state_.directions_exchanged;
}

}  // namespace host
