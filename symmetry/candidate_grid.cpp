#include "symmetry/candidate_grid.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "symmetry/radix_sort.h"

// Cell geometry. Cells are `width` = 2.02 x reach wide, so the points
// within reach of a query q span less than half a cell on each side of it:
// with x = q / width, every such point a has a / width within 0.49505 of x,
// and computing both quotients in double precision moves them by far less
// than 2^-30 while |x| <= 2^21. Hence the cell floor(a / width) is
// floor(x - 0.496) or one more, and two cells per axis (eight in all) cover
// the query. Cell indices are clamped to +-limit; clamping keeps that
// property (it is monotone and does not widen a gap), so far-away points
// only crowd the border cells instead of overflowing.
namespace {

constexpr double width_factor = 2.02;
constexpr double half_reach = 0.496;
constexpr int limit = (1 << 20) - 1;

bool finite(const vec3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

int clamp_cell(double cell, int high) {
    if (cell < -limit) return -limit;
    if (cell > high) return high;
    return static_cast<int>(cell);
}

struct cell3 {
    std::array<int, 3> c;
};

int bit_width(std::uint32_t v) {
    int bits = 0;
    while (v) {
        ++bits;
        v >>= 1;
    }
    return bits;
}

}  // namespace

candidate_grid::candidate_grid(const std::vector<vec3>& targets, const std::vector<vec3>& queries, double reach) {
    const int nt = static_cast<int>(targets.size());
    const int nq = static_cast<int>(queries.size());
    if (std::isinf(reach)) {
        build_single_cell(nt, nq);
        return;
    }
    const double width = width_factor * reach;

    // Cells of the targets and base cells of the queries (-limit - 1 marks
    // a point without cells).
    std::vector<cell3> target_cell(static_cast<std::size_t>(nt));
    std::vector<cell3> query_base(static_cast<std::size_t>(nq));
    std::array<int, 3> low{limit, limit, limit}, high{-limit, -limit, -limit};
    bool any = false;
    for (int k = 0; k < nt; ++k) {
        const vec3& p = targets[static_cast<std::size_t>(k)];
        cell3& cell = target_cell[static_cast<std::size_t>(k)];
        if (!finite(p)) {
            cell.c[0] = -limit - 1;
            continue;
        }
        for (int a = 0; a < 3; ++a) {
            cell.c[a] = clamp_cell(std::floor(static_cast<double>(p[a]) / width), limit);
            low[a] = std::min(low[a], cell.c[a]);
            high[a] = std::max(high[a], cell.c[a]);
        }
        any = true;
    }
    for (int q = 0; q < nq; ++q) {
        const vec3& p = queries[static_cast<std::size_t>(q)];
        cell3& base = query_base[static_cast<std::size_t>(q)];
        if (!finite(p)) {
            base.c[0] = -limit - 1;
            continue;
        }
        for (int a = 0; a < 3; ++a) {
            base.c[a] = clamp_cell(std::floor(static_cast<double>(p[a]) / width - half_reach), limit - 1);
            low[a] = std::min(low[a], base.c[a]);
            high[a] = std::max(high[a], base.c[a] + 1);
        }
    }

    // Pack (z, y, x) into one key with as few bits as the ranges need; the
    // x + 1, y + 1, z + 1 neighbours of a base cell never carry into the
    // next field because `high` includes them.
    std::array<int, 3> bits{};
    for (int a = 0; a < 3; ++a) bits[a] = any ? bit_width(static_cast<std::uint32_t>(high[a] - low[a])) : 0;
    const int key_bits = bits[0] + bits[1] + bits[2];
    auto pack = [&](const cell3& cell) {
        return (static_cast<std::uint64_t>(cell.c[2] - low[2]) << (bits[0] + bits[1])) |
               (static_cast<std::uint64_t>(cell.c[1] - low[1]) << bits[0]) |
               static_cast<std::uint64_t>(cell.c[0] - low[0]);
    };

    // Targets grouped by cell, ascending index within a cell (the sort is
    // stable and the records start in index order).
    std::vector<radix_record> records, scratch;
    records.reserve(static_cast<std::size_t>(nt));
    for (int k = 0; k < nt; ++k) {
        const cell3& cell = target_cell[static_cast<std::size_t>(k)];
        if (cell.c[0] >= -limit) records.push_back({pack(cell), static_cast<std::uint32_t>(k)});
    }
    radix_sort(records, key_bits, scratch);
    member_position_.assign(static_cast<std::size_t>(nt), -1);
    members_.resize(records.size());
    std::vector<std::uint64_t> cell_key;
    for (std::size_t j = 0; j < records.size(); ++j) {
        if (j == 0 || records[j].key != records[j - 1].key) {
            cell_key.push_back(records[j].key);
            cell_begin_.push_back(static_cast<int>(j));
        }
        members_[j] = static_cast<int>(records[j].value);
        member_position_[records[j].value] = static_cast<int>(j);
    }
    cell_begin_.push_back(static_cast<int>(records.size()));

    // Queries in base-cell order; adding a fixed neighbour offset keeps that
    // order, so each of the eight neighbours is found by one merge with the
    // sorted cells.
    records.clear();
    for (int q = 0; q < nq; ++q) {
        const cell3& base = query_base[static_cast<std::size_t>(q)];
        if (base.c[0] >= -limit) records.push_back({pack(base), static_cast<std::uint32_t>(q)});
    }
    radix_sort(records, key_bits, scratch);
    std::vector<std::pair<std::uint32_t, int>> found;  // (query, cell)
    for (int offset = 0; offset < 8; ++offset) {
        const std::uint64_t delta = (static_cast<std::uint64_t>((offset >> 2) & 1) << (bits[0] + bits[1])) |
                                    (static_cast<std::uint64_t>((offset >> 1) & 1) << bits[0]) |
                                    static_cast<std::uint64_t>(offset & 1);
        std::size_t c = 0;
        for (const radix_record& r : records) {
            const std::uint64_t wanted = r.key + delta;
            while (c < cell_key.size() && cell_key[c] < wanted) ++c;
            if (c == cell_key.size()) break;
            if (cell_key[c] == wanted) found.emplace_back(r.value, static_cast<int>(c));
        }
    }
    query_begin_.assign(static_cast<std::size_t>(nq) + 1, 0);
    for (const auto& f : found) ++query_begin_[f.first + 1];
    for (int q = 0; q < nq; ++q) query_begin_[static_cast<std::size_t>(q) + 1] += query_begin_[static_cast<std::size_t>(q)];
    query_cells_.resize(found.size());
    std::vector<int> fill(query_begin_.begin(), query_begin_.end() - 1);
    for (const auto& f : found) query_cells_[static_cast<std::size_t>(fill[f.first]++)] = f.second;
}

void candidate_grid::build_single_cell(int target_count, int query_count) {
    members_.resize(static_cast<std::size_t>(target_count));
    member_position_.resize(static_cast<std::size_t>(target_count));
    for (int k = 0; k < target_count; ++k) members_[static_cast<std::size_t>(k)] = member_position_[static_cast<std::size_t>(k)] = k;
    cell_begin_ = {0, target_count};
    query_begin_.resize(static_cast<std::size_t>(query_count) + 1);
    for (int q = 0; q <= query_count; ++q) query_begin_[static_cast<std::size_t>(q)] = q;
    query_cells_.assign(static_cast<std::size_t>(query_count), 0);
}
