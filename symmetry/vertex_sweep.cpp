#include "symmetry/vertex_sweep.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "symmetry/sweep_grid.h"
#include "symmetry/mirror.h"
#include "symmetry/radix_sort.h"

namespace {

// Fixed tolerance of pass 1.
constexpr float pass1_tolerance = 0.002f;

// Fills a side from (key, vertex) records collected in vertex order.
void sort_side(std::vector<radix_record>& records, const std::vector<float>& keys,
               const std::vector<vec3>& positions, sweep_side& side) {
    std::vector<radix_record> scratch;
    radix_sort(records, scratch);
    const std::size_t n = records.size();
    side.key.resize(n);
    side.position.resize(n);
    side.vertex.resize(n);
    for (std::size_t j = 0; j < n; ++j) {
        const std::uint32_t v = records[j].value;
        side.key[j] = keys[v];
        side.position[j] = positions[v];
        side.vertex[j] = static_cast<int>(v);
    }
}

// The two coordinates along the plane.
struct plane_axes {
    int a, b;
};
plane_axes axes_along(int plane) {
    const int axis = plane == 0 ? 0 : (plane == 1 ? 1 : 2);  // as vec3's index operator reads it
    return {(axis + 1) % 3, (axis + 2) % 3};
}

// The negative entries inside a window [low, end) of key order that moves
// forward: entries enter when `end` passes them (unless taken) and leave
// when `low` passes them.
class window_members {
public:
    window_members(sweep_grid& grid, const std::vector<std::uint8_t>& taken) : grid_(grid), taken_(taken) {}
    void move_to(int low, int end) {
        for (; left_ < low; ++left_) grid_.remove(left_);
        if (entered_ < low) entered_ = low;
        for (; entered_ < end; ++entered_)
            if (!taken_[static_cast<std::size_t>(entered_)]) grid_.insert(entered_);
    }

private:
    sweep_grid& grid_;
    const std::vector<std::uint8_t>& taken_;
    int left_ = 0, entered_ = 0;
};

// Pass 1: each positive entry takes the last unpaired negative entry of its
// key window within pass1_tolerance of its unmirrored position.
void pass1(const sweep_side& positive, const sweep_side& negative, int plane, std::vector<int>& partner,
           std::vector<std::uint8_t>& taken, sweep_progress* progress) {
    const int np = positive.size(), nn = negative.size();
    const float t = pass1_tolerance;
    // Keys are sorted, so key[0] is the nearest vertex of each side. When
    // both sides keep at least t from the plane, every P and N lie at least
    // 2t apart in the plane coordinate and no distance can be <= t.
    const bool impossible = np == 0 || nn == 0 || (positive.key[0] >= t && negative.key[0] >= t);
    if (impossible) {
        if (progress)
            for (int i = 0; i < np; ++i) progress->tick();
        return;
    }
    // A distance <= t (after rounding) bounds each coordinate gap by
    // t (1 + 2^-22); the reach leaves room to spare.
    const plane_axes axes = axes_along(plane);
    sweep_grid grid(negative.position, axes.a, axes.b, static_cast<double>(t) * (1.0 + 1.0 / 65536));
    window_members window(grid, taken);
    // P and N lie P.key + N.key apart along the plane's normal, and a
    // distance formed in single precision falls short of that by far less
    // than 2^-16 of it: past this key sum no distance is <= t. Keys ascend,
    // so the first P beyond it ends the pass.
    const double reach = static_cast<double>(t) * (1.0 + 1.0 / 65536);
    const double nearest_negative = negative.key[0];
    int low = 0, high = 0;
    for (int i = 0; i < np; ++i) {
        if (progress) progress->tick();
        const float pk = positive.key[static_cast<std::size_t>(i)];
        if (static_cast<double>(pk) + nearest_negative > reach) {
            if (progress)
                for (int rest = i + 1; rest < np; ++rest) progress->tick();
            return;
        }
        while (low < nn && !(pk <= negative.key[static_cast<std::size_t>(low)] + t)) ++low;
        const float upper = pk + t;
        while (high < nn && !(negative.key[static_cast<std::size_t>(high)] > upper)) ++high;
        window.move_to(low, std::max(low, high));
        const vec3& p = positive.position[static_cast<std::size_t>(i)];
        const int best = grid.last(p, [&](int k) {
            return symmetry::distance(p, negative.position[static_cast<std::size_t>(k)]) <= t;
        });
        if (best >= 0) {
            partner[static_cast<std::size_t>(i)] = best;
            taken[static_cast<std::size_t>(best)] = 1;
            grid.remove(best);
        }
    }
}

// Pass 2: each positive entry still unpaired takes the first unpaired
// negative entry of its key window within the margin of its mirror.
void pass2(const sweep_side& positive, const sweep_side& negative, int plane, float margin,
           std::vector<int>& partner, std::vector<std::uint8_t>& taken, sweep_progress* progress) {
    const int np = positive.size(), nn = negative.size();
    const float margin_squared = margin * margin;
    if (nn == 0 || std::isnan(margin_squared)) {  // no test can succeed
        if (progress)
            for (int i = 0; i < np; ++i) progress->tick();
        return;
    }
    // A finite margin^2 bounds each coordinate gap by about |margin| (or
    // 2^-62 when the square underflows); an infinite one accepts any finite
    // distance, and the grid then holds everything in one bucket.
    const double reach = std::isinf(margin_squared)
                             ? HUGE_VAL
                             : std::max(std::fabs(static_cast<double>(margin)), std::ldexp(1.0, -62)) * (1.0 + 1.0 / 65536);
    const plane_axes axes = axes_along(plane);
    sweep_grid grid(negative.position, axes.a, axes.b, reach);
    window_members window(grid, taken);
    int low = 0, high = 0;
    for (int i = 0; i < np; ++i) {
        if (progress) progress->tick();
        const float pk = positive.key[static_cast<std::size_t>(i)];
        while (low < nn && pk - negative.key[static_cast<std::size_t>(low)] > margin) ++low;
        while (high < nn && !(negative.key[static_cast<std::size_t>(high)] - pk > margin)) ++high;
        if (partner[static_cast<std::size_t>(i)] >= 0) continue;
        window.move_to(low, std::max(low, high));
        // Mirroring leaves the two coordinates the grid spans unchanged.
        const vec3 q = symmetry::mirror(positive.position[static_cast<std::size_t>(i)], plane);
        const int best = grid.first(q, [&](int k) {
            return symmetry::within_margin(negative.position[static_cast<std::size_t>(k)], q, margin_squared);
        });
        if (best >= 0) {
            partner[static_cast<std::size_t>(i)] = best;
            taken[static_cast<std::size_t>(best)] = 1;
            grid.remove(best);
        }
    }
}

}  // namespace

plane_split split_by_plane(const std::vector<vec3>& positions, int plane, float reduse_margin) {
    plane_split split;
    const int n = static_cast<int>(positions.size());
    std::vector<float> keys(positions.size());
    std::vector<radix_record> positive, negative;
    for (int i = 0; i < n; ++i) {
        const vec3& p = positions[static_cast<std::size_t>(i)];
        const float c = symmetry::plane_coordinate(p, plane);
        if (c > reduse_margin) {
            keys[static_cast<std::size_t>(i)] = c;
            positive.push_back({sortable_float_bits(c), static_cast<std::uint32_t>(i)});
        } else if (c < -reduse_margin) {
            keys[static_cast<std::size_t>(i)] = -c;
            negative.push_back({sortable_float_bits(-c), static_cast<std::uint32_t>(i)});
        } else {
            split.on_plane.push_back(ver_inf{i, p, false});
        }
    }
    sort_side(positive, keys, positions, split.positive);
    sort_side(negative, keys, positions, split.negative);
    return split;
}

std::vector<int> pair_sides(const sweep_side& positive, const sweep_side& negative, int plane, float margin,
                            sweep_progress* progress) {
    std::vector<int> partner(static_cast<std::size_t>(positive.size()), -1);
    std::vector<std::uint8_t> taken(static_cast<std::size_t>(negative.size()), 0);
    pass1(positive, negative, plane, partner, taken, progress);
    pass2(positive, negative, plane, margin, partner, taken, progress);
    return partner;
}
