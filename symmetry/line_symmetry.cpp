// Line and surface symmetry: control points of lines paired by their order
// along the line, mirrored or put onto the plane with their handles.
#include <cfloat>
#include <cmath>
#include <vector>

#include "frame/sdk/korvo.h"
#include "frame/sdk/scene.h"
#include "frame/sdk/shape.h"
#include "mesh/shape_class.h"
#include "mesh/surface_point.h"
#include "symmetry/mirror.h"
#include "symmetry/symmetry_class.h"

namespace {

// Index i wrapped into 0 .. n - 1 (n > 0), also for negative i.
int cyclic(int i, int n) {
    const int r = i % n;
    return r < 0 ? r + n : r;
}

// The record as its mirror image: the three off-line points mirrored, the
// handle pair along the line mirrored and swapped because the direction
// along the line reverses; flags copied.
Surface_point mirrored(const Surface_point& s, int plane) {
    Surface_point m = s;
    m.position = symmetry::mirror(s.position, plane);
    m.first_handle = symmetry::mirror(s.second_handle, plane);
    m.second_handle = symmetry::mirror(s.first_handle, plane);
    m.third_handle = symmetry::mirror(s.third_handle, plane);
    m.fourth_handle = symmetry::mirror(s.fourth_handle, plane);
    return m;
}

// Adds `cost` to a running total in double precision and rounds the sum
// back to single, so that long lines sum the same on every build.
void add_cost(float& total, float cost) {
    total = static_cast<float>(static_cast<double>(total) + static_cast<double>(cost));
}

// Sum of |x| minus |sum of x| over plane coordinates: 0 when all lie on one
// side, growing as they spread over both. NaN when any is NaN.
class crossing_score {
public:
    void add(float x) {
        absolute_ += std::fabs(x);
        signed_ += x;
    }
    float value() const { return absolute_ - std::fabs(signed_); }

private:
    float absolute_ = 0.0f;
    float signed_ = 0.0f;
};

// Exchanges a surface's line directions for the life of the guard and
// exchanges them back when it ends, on every path.
class exchanged_directions {
public:
    explicit exchanged_directions(part_class* part) : part_(part) {
        if (part_) part_->exchange_line_directions();
    }
    ~exchanged_directions() {
        if (part_) part_->exchange_line_directions();
    }
    exchanged_directions(const exchanged_directions&) = delete;
    exchanged_directions& operator=(const exchanged_directions&) = delete;

private:
    part_class* part_;
};

// Whether every child of the surface is a line of n points: only then can
// the host exchange its line directions.
bool is_regular_grid(const shape_class& surface, int n) {
    for (int k = 0; k < surface.get_number_of_sons(); ++k) {
        const shape_class* line = surface.get_son(k);
        if (!line || line->get_type() != kx::sdk::line_shape || line->get_number_of_control_points() != n)
            return false;
    }
    return true;
}

}  // namespace

void Symmetry_class::line_symmetry(scene_interface* scene, Shape_class& line) const {
    if (!line.shape) return;
    int start = 0;
    bool has_base = false;
    if (line_get_sym_pattern(scene, *line.shape, start, has_base)) line_sym(*line.shape, start, has_base);
}

bool Symmetry_class::line_get_sym_pattern(scene_interface* scene, shape_class& line, int& start,
                                          bool& has_base) const {
    start = 0;
    has_base = false;
    if (!line.is_closed()) return true;
    const int n = line.get_number_of_control_points();
    if (n <= 0) return true;

    const Shape_class wrapped(&line);
    std::vector<vec3> positions(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) positions[static_cast<std::size_t>(k)] = wrapped.get_position(k, use_world);
    const auto at = [&](int k) -> const vec3& { return positions[static_cast<std::size_t>(cyclic(k, n))]; };
    const auto pair_cost = [&](int p, int q) {
        return symmetry::distance_squared(at(p), symmetry::mirror(at(q), plane));
    };
    const auto penalty = [&](int p) { return std::fabs(2.0f * symmetry::plane_coordinate(at(p), plane)); };

    // Every start in the first half, first without and then with a point on
    // the plane at the start; a later pattern must be strictly cheaper, so
    // ties keep the earlier one. NaN totals never win. Costs are never
    // negative, so a total only grows: once it is no longer below the best
    // (or is NaN) the pattern cannot win, and the rest of its sum is skipped.
    float best = FLT_MAX;
    const auto pattern_total = [&](int s, bool base) {
        float total = base ? penalty(s) : 0.0f;
        int i = base ? cyclic(s + 1, n) : s;
        int j = cyclic(s - 1, n);
        const int pairs = base ? (n - 1) / 2 : n / 2;
        for (int k = 0; k < pairs; ++k, i = cyclic(i + 1, n), j = cyclic(j - 1, n)) {
            if (!(total < best)) return total;
            add_cost(total, pair_cost(i, j));
        }
        if (i == j) add_cost(total, penalty(i));
        return total;
    };
    for (int s = 0; s < n / 2; ++s) {
        for (bool base : {false, true}) {
            const float total = pattern_total(s, base);
            if (total < best) {
                best = total;
                start = s;
                has_base = base;
            }
        }
    }

    // A first pair wholly on one side means the line does not cross the
    // plane where the pattern says; the user decides whether to force it.
    const int a = has_base ? start + 1 : start;
    const int b = start - 1;
    if (symmetry::plane_coordinate(at(a), plane) * symmetry::plane_coordinate(at(b), plane) > 0.0f) {
        const char* question = translate("Force symmetrize this lines?");
        if (scene) return scene->show_message(question, true);
        return host ? host->show_message(question, true) : false;
    }
    return true;
}

void Symmetry_class::line_sym(shape_class& line, int start, bool has_base) const {
    const int n = line.get_number_of_control_points();
    if (n <= 0) return;
    Shape_class wrapped(&line);
    start = cyclic(start, n);
    int i = start, j = cyclic(start - 1, n);
    int pairs = n / 2;
    if (has_base) {
        set_line_point_base(wrapped, start);
        i = cyclic(start + 1, n);
        pairs = (n - 1) / 2;
    }
    for (int k = 0; k < pairs; ++k, i = cyclic(i + 1, n), j = cyclic(j - 1, n)) set_line_point_symmetry(wrapped, i, j);
    if (i == j) set_line_point_base(wrapped, i);
}

void Symmetry_class::set_line_point_symmetry(Shape_class& line, int a, int b) const {
    Surface_point pa, pb;
    if (!line.get_surface_point(a, pa, use_world) || !line.get_surface_point(b, pb, use_world)) return;
    const float ca = symmetry::plane_coordinate(pa.position, plane);
    const float cb = symmetry::plane_coordinate(pb.position, plane);
    switch (base_side) {
    case 0:
        if (ca > cb)
            line.set_surface_point(b, mirrored(pa, plane), use_world);
        else
            line.set_surface_point(a, mirrored(pb, plane), use_world);
        break;
    case 1:
        if (ca < cb)
            line.set_surface_point(b, mirrored(pa, plane), use_world);
        else
            line.set_surface_point(a, mirrored(pb, plane), use_world);
        break;
    default: {
        // The mean of a and the mirror of b, then b as its mirror keeping
        // b's own flags.
        pa += mirrored(pb, plane);
        pa *= 0.5f;
        line.set_surface_point(a, pa, use_world);
        Surface_point mb = mirrored(pa, plane);
        mb.first_flag = pb.first_flag;
        mb.second_flag = pb.second_flag;
        line.set_surface_point(b, mb, use_world);
        break;
    }
    }
}

void Symmetry_class::set_line_point_base(Shape_class& line, int k) const {
    Surface_point p;
    if (!line.get_surface_point(k, p, use_world)) return;
    p.position[plane] = 0.0f;
    p.third_handle[plane] = 0.0f;
    p.fourth_handle[plane] = 0.0f;

    // The handle pair along the line stands perpendicular to the plane,
    // at d and -d above and below the point.
    const float first = p.first_handle[plane];
    const float second = p.second_handle[plane];
    float d;
    switch (base_side) {
    case 0: d = first > second ? first : -second; break;
    case 1: d = first < second ? first : -second; break;
    default: d = (first - second) * 0.5f; break;
    }
    p.first_handle = p.position;
    p.first_handle[plane] = d;
    p.second_handle = p.position;
    p.second_handle[plane] = -d;
    line.set_surface_point(k, p, use_world);
}

void Symmetry_class::surface_symmetry(scene_interface* scene, Shape_class& surface) const {
    shape_class* part = surface.shape;
    if (!part) return;
    const int m = part->get_number_of_sons();
    if (m <= 0) return;
    const shape_class* first_line = part->get_son(0);
    const int n = first_line ? first_line->get_number_of_control_points() : 0;
    if (n <= 0) return;

    // The m x n grid of plane coordinates. Each line is read on its own, so
    // a shorter line gives NaN for the points it lacks instead of reading
    // into the next line.
    std::vector<float> grid(static_cast<std::size_t>(m) * static_cast<std::size_t>(n));
    const auto cell = [&](int r, int c) -> float& {
        return grid[static_cast<std::size_t>(r) * static_cast<std::size_t>(n) + static_cast<std::size_t>(c)];
    };
    for (int r = 0; r < m; ++r) {
        const Shape_class line(part->get_son(r));
        for (int c = 0; c < n; ++c) cell(r, c) = symmetry::plane_coordinate(line.get_position(c, use_world), plane);
    }

    float row_score = -1.0f;
    int best_row = 0;
    for (int r = 0; r < m; ++r) {
        crossing_score score;
        for (int c = 0; c < n; ++c) score.add(cell(r, c));
        if (score.value() > row_score) {
            row_score = score.value();
            best_row = r;
        }
    }
    row_score /= static_cast<float>(n);

    float column_score = -1.0f;
    int best_column = 0;
    for (int c = 0; c < n; ++c) {
        crossing_score score;
        for (int r = 0; r < m; ++r) score.add(cell(r, c));
        if (score.value() > column_score) {
            column_score = score.value();
            best_column = c;
        }
    }
    column_score /= static_cast<float>(m);

    // The columns become lines only when they cross the plane more, and
    // only a grid of lines of one point count can be exchanged. Otherwise
    // the lines stay rows; on equal scores the best column's number is kept
    // when it names one of the rows, else the best row is taken.
    const bool exchange = row_score < column_score && is_regular_grid(*part, n);
    int chosen = best_row;
    if (exchange || (column_score == row_score && best_column < m)) chosen = best_column;
    const exchanged_directions directions(exchange ? part->as_part() : nullptr);

    shape_class* line = nullptr;
    if (scene) {
        const int own = scene->get_shape_index(*part);
        if (own >= 0) line = scene->get_shape_by_index(own + 1 + chosen);
    } else {
        line = part->get_son(chosen);
    }
    if (!line) return;

    int start = 0;
    bool has_base = false;
    if (!line_get_sym_pattern(scene, *line, start, has_base)) return;
    for (int k = 0; k < part->get_number_of_sons(); ++k)
        if (shape_class* child = part->get_son(k)) line_sym(*child, start, has_base);
}
