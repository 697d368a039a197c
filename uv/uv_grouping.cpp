#include "uv/uv_grouping.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace uv_editing {

namespace {

bool joins(const face_uv& r, const face_uv& seed, bool all, float limit) {
    if (!all && r.vertex != seed.vertex) return false;
    const float du = r.uv.x - seed.uv.x;
    const float dv = r.uv.y - seed.uv.y;
    return du * du + dv * dv < limit;
}

// The walk itself; without `all`, a seed's members can only follow it in
// its own vertex's run.
int walk(std::vector<face_uv>& list, bool all, float limit, bool runs) {
    int groups = 0;
    for (std::size_t seed = 0; seed < list.size(); ++seed) {
        if (list[seed].group >= 0) continue;
        const face_uv reference = list[seed];
        list[seed].group = groups;
        for (std::size_t k = seed + 1; k < list.size(); ++k) {
            face_uv& r = list[k];
            if (runs && r.vertex != reference.vertex) break;
            if (r.group < 0 && joins(r, reference, all, limit)) r.group = groups;
        }
        ++groups;
    }
    return groups;
}

// Cells of the UV grid. A record joins a seed only when its squared UV
// distance is below the limit, so each of its UV differences is below the
// radius (less float rounding, far under 1 %); cells 1.01 radii wide then
// put it in the seed's cell or a neighbour. Cell numbers are clamped to
// +-2^40, which keeps the quotients exact enough and never widens a gap.
struct uv_cells {
    double scale;
    std::int64_t cell(float c) const {
        const double q = std::floor(static_cast<double>(c) * scale);
        return static_cast<std::int64_t>(std::clamp(q, -1099511627776.0, 1099511627776.0));
    }
    static std::uint64_t key(std::int64_t a, std::int64_t b) {
        return (static_cast<std::uint64_t>(a) * 0x9E3779B97F4A7C15ull) ^ static_cast<std::uint64_t>(b);
    }
};

}  // namespace

int group_uv_records(std::vector<face_uv>& list, bool all, float limit, std::size_t grid_from) {
    for (face_uv& r : list) r.group = -1;
    // Below a limit that is not positive nothing joins: every record is a
    // group of its own.
    if (!(limit > 0.0f)) {
        for (std::size_t k = 0; k < list.size(); ++k) list[k].group = static_cast<int>(k);
        return static_cast<int>(list.size());
    }
    if (!all) {
        // Records of one vertex are consecutive, so a seed's members lie in
        // its run; a vertex met again later (a list not collected in runs)
        // falls back to the full walk.
        std::unordered_map<int, std::size_t> run_end;
        bool in_runs = true;
        for (std::size_t k = 0; k < list.size() && in_runs; ++k) {
            auto [at, fresh] = run_end.emplace(list[k].vertex, k);
            if (!fresh && at->second != k - 1) in_runs = false;
            at->second = k;
        }
        return walk(list, all, limit, in_runs);
    }
    bool plain = list.size() < grid_from || std::isinf(limit);
    for (const face_uv& r : list) plain = plain || !std::isfinite(r.uv.x) || !std::isfinite(r.uv.y);
    if (plain) return walk(list, all, limit, false);

    const double radius = std::sqrt(static_cast<double>(limit));
    const uv_cells cells{1.0 / (1.01 * radius)};
    std::unordered_map<std::uint64_t, std::vector<int>> grid;  // cell -> ungrouped records, ascending
    std::vector<std::int64_t> cell_u(list.size()), cell_v(list.size());
    for (std::size_t k = 0; k < list.size(); ++k) {
        cell_u[k] = cells.cell(list[k].uv.x);
        cell_v[k] = cells.cell(list[k].uv.y);
        grid[uv_cells::key(cell_u[k], cell_v[k])].push_back(static_cast<int>(k));
    }
    int groups = 0;
    std::vector<int> members;
    for (std::size_t seed = 0; seed < list.size(); ++seed) {
        if (list[seed].group >= 0) continue;
        const face_uv reference = list[seed];
        list[seed].group = groups;
        members.clear();
        for (std::int64_t du = -1; du <= 1; ++du)
            for (std::int64_t dv = -1; dv <= 1; ++dv) {
                const auto cell = grid.find(uv_cells::key(cell_u[seed] + du, cell_v[seed] + dv));
                if (cell == grid.end()) continue;
                // Grouped records leave their cell here, so every record is
                // looked at by few seeds after it has joined.
                std::vector<int>& in = cell->second;
                std::size_t kept = 0;
                for (int k : in) {
                    face_uv& r = list[static_cast<std::size_t>(k)];
                    if (r.group >= 0) continue;
                    if (static_cast<std::size_t>(k) > seed && joins(r, reference, all, limit))
                        members.push_back(k);
                    else
                        in[kept++] = k;
                }
                in.resize(kept);
            }
        for (int k : members) list[static_cast<std::size_t>(k)].group = groups;
        ++groups;
    }
    return groups;
}

}  // namespace uv_editing
