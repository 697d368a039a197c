#include "symmetry/vertex_sweep.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "symmetry/candidate_grid.h"
#include "symmetry/mirror.h"
#include "symmetry/radix_sort.h"

namespace {

// Fixed tolerance of pass 1.
constexpr float pass1_tolerance = 0.002f;

// Fills a side from (key, vertex) records collected in vertex order.
void sort_side(std::vector<radix_record>& records, const std::vector<float>& keys,
               const std::vector<vec3>& positions, sweep_side& side) {
    std::vector<radix_record> scratch;
    radix_sort(records, 32, scratch);
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

// Path-halving "next unpaired member" pointers over the members of a grid:
// next[j] == j while member j is free.
int next_free(std::vector<int>& next, int j) {
    while (next[static_cast<std::size_t>(j)] != j) {
        int& up = next[static_cast<std::size_t>(j)];
        up = next[static_cast<std::size_t>(up)];
        j = up;
    }
    return j;
}

// Pass 1: each positive entry takes the last unpaired negative entry of its
// key window within pass1_tolerance of its unmirrored position.
void pass1(const sweep_side& positive, const sweep_side& negative, std::vector<int>& partner,
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
    // Squared distance <= t^2 (plus rounding) bounds each coordinate gap.
    const candidate_grid grid(negative.position, positive.position, static_cast<double>(t) * (1.0 + 1.0 / 65536));
    const std::vector<int>& members = grid.members();
    int low = 0, high = 0;
    for (int i = 0; i < np; ++i) {
        if (progress) progress->tick();
        const float pk = positive.key[static_cast<std::size_t>(i)];
        while (low < nn && !(pk <= negative.key[static_cast<std::size_t>(low)] + t)) ++low;
        const float upper = pk + t;
        while (high < nn && !(negative.key[static_cast<std::size_t>(high)] > upper)) ++high;
        int best = -1;
        for (const int* c = grid.cells_begin(i); c != grid.cells_end(i); ++c) {
            const int* first = members.data() + grid.cell_begin(*c);
            const int* last = std::lower_bound(first, members.data() + grid.cell_end(*c), high);
            while (last != first) {
                const int k = *--last;
                if (k < low || k <= best) break;
                if (taken[static_cast<std::size_t>(k)]) continue;
                if (symmetry::distance(positive.position[static_cast<std::size_t>(i)],
                                       negative.position[static_cast<std::size_t>(k)]) <= t) {
                    best = k;
                    break;
                }
            }
        }
        if (best >= 0) {
            partner[static_cast<std::size_t>(i)] = best;
            taken[static_cast<std::size_t>(best)] = 1;
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
    // distance, and the grid then holds everything in one cell.
    const double reach = std::isinf(margin_squared)
                             ? HUGE_VAL
                             : std::max(std::fabs(static_cast<double>(margin)), std::ldexp(1.0, -62)) * (1.0 + 1.0 / 65536);
    std::vector<vec3> mirrored(positive.position.size());
    for (std::size_t i = 0; i < mirrored.size(); ++i) mirrored[i] = symmetry::mirror(positive.position[i], plane);
    const candidate_grid grid(negative.position, mirrored, reach);
    const std::vector<int>& members = grid.members();
    std::vector<int> next(members.size() + 1);
    for (std::size_t j = 0; j <= members.size(); ++j)
        next[j] = j < members.size() && taken[static_cast<std::size_t>(members[j])] ? static_cast<int>(j) + 1
                                                                                    : static_cast<int>(j);

    int low = 0, high = 0;
    for (int i = 0; i < np; ++i) {
        if (progress) progress->tick();
        const float pk = positive.key[static_cast<std::size_t>(i)];
        while (low < nn && pk - negative.key[static_cast<std::size_t>(low)] > margin) ++low;
        while (high < nn && !(negative.key[static_cast<std::size_t>(high)] - pk > margin)) ++high;
        if (partner[static_cast<std::size_t>(i)] >= 0) continue;
        int best = std::max(low, high);  // exclusive end of the window: none yet
        const vec3& q = mirrored[static_cast<std::size_t>(i)];
        for (const int* c = grid.cells_begin(i); c != grid.cells_end(i); ++c) {
            const int begin = grid.cell_begin(*c), end = grid.cell_end(*c);
            int j = static_cast<int>(std::lower_bound(members.data() + begin, members.data() + end, low) -
                                     members.data());
            for (j = next_free(next, j); j < end; j = next_free(next, j + 1)) {
                const int k = members[static_cast<std::size_t>(j)];
                if (k >= best) break;
                if (symmetry::within_margin(negative.position[static_cast<std::size_t>(k)], q, margin_squared)) {
                    best = k;
                    break;
                }
            }
        }
        if (best < std::max(low, high)) {
            partner[static_cast<std::size_t>(i)] = best;
            taken[static_cast<std::size_t>(best)] = 1;
            const int j = grid.member_position(best);
            next[static_cast<std::size_t>(j)] = j + 1;
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
    pass1(positive, negative, partner, taken, progress);
    pass2(positive, negative, plane, margin, partner, taken, progress);
    return partner;
}
