#include "symmetry/missing_vertex_pairs.h"

#include <algorithm>
#include <cmath>

#include "mesh/point_tree.h"
#include "symmetry/mirror.h"

namespace {

bool finite(const vec3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

void walk(const std::vector<int>& missing, const std::vector<vec3>& positions, const Symmetry_class& settings,
          Interconnection_class& table) {
    for (std::size_t x = 0; x < missing.size(); ++x) {
        const int a = missing[x];
        for (std::size_t y = x; y < missing.size(); ++y) {
            const int b = missing[y];
            if (!table.has_pair(b) &&
                settings.is_sym(positions[static_cast<std::size_t>(a)], positions[static_cast<std::size_t>(b)]))
                table.link(a, b);
        }
    }
}

}  // namespace

void pair_missing_vertices(const std::vector<int>& missing, const std::vector<vec3>& positions,
                           const Symmetry_class& settings, Interconnection_class& table, std::size_t tree_from) {
    const float margin_squared = settings.margin * settings.margin;
    bool plain = missing.size() < tree_from || !std::isfinite(margin_squared);
    std::vector<vec3> mirrored(missing.size());
    for (std::size_t y = 0; y < missing.size() && !plain; ++y) {
        const vec3& p = positions[static_cast<std::size_t>(missing[y])];
        plain = !finite(p);
        mirrored[y] = symmetry::mirror(p, settings.plane);
    }
    if (plain) {
        walk(missing, positions, settings, table);
        return;
    }

    // The tree holds the list from a's place on. Every b with is_sym(a, b)
    // has a squared distance from a to its mirror of at most the margin's
    // square, so a search out to the square root of that square meets it.
    point_tree tree(mirrored);
    const float reach = static_cast<float>(std::sqrt(static_cast<double>(margin_squared)));
    std::vector<int> near;
    for (std::size_t x = 0; x < missing.size(); ++x) {
        if (x > 0) tree.remove(static_cast<int>(x - 1));
        const vec3& p = positions[static_cast<std::size_t>(missing[x])];
        near.clear();
        tree.search(
            p, [&](int y, float) { near.push_back(y); }, [&] { return reach; });
        std::sort(near.begin(), near.end());
        const int a = missing[x];
        for (int y : near) {
            const int b = missing[static_cast<std::size_t>(y)];
            if (!table.has_pair(b) && settings.is_sym(p, positions[static_cast<std::size_t>(b)])) table.link(a, b);
        }
    }
}
