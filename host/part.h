// Parts (kind 2): shapes that hold other shapes.
#pragma once

#include "host/shape.h"

namespace host {

class part final : public shape {
public:
    // Part types: 0 a plain part, 1 a surface (its children are lines of
    // equal point count), 101 a link to another shape.
    part(scene& owner, const std::string& name, int part_type);

    part_class* as_part() override { return this; }
    // The sum over the children, so a part answers for its whole subtree.
    int get_number_of_control_points() const override;

    int get_part_type() const override { return part_type_; }
    shape_class* get_link() const override;
    // Transposes the grid of a surface part: n lines of m points become m
    // lines of n points, each point keeping its data, the two handle pairs
    // and their flags changing places. The lines set aside are kept by the
    // part, so a second call brings the first lines back. Undoable. Throws
    // std::logic_error for a part that is not a surface or whose children
    // are not lines of one point count.
    void exchange_line_directions() override;

    // Host side: the shape a link part shows (null: none).
    void set_link(shape* target);
    std::unique_ptr<shape> clone() const override;

private:
    int part_type_;
};

}  // namespace host
