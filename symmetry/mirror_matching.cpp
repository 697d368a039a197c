#include "symmetry/mirror_matching.h"

#include <algorithm>
#include <cmath>

#include "symmetry/mirror.h"
#include "mesh/point_tree.h"
#include "mesh/single_distance.h"

namespace {

// Nearest distances below this are settled by the walk's own rule.
constexpr float tiny = single_distance_exact_from;

bool finite(const vec3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

}  // namespace

std::vector<int> match_mirror_records(const std::vector<mirror_record>& sources,
                                      const std::vector<mirror_record>& targets, int plane, float limit) {
    std::vector<int> partner(sources.size(), -1);
    // No distance is below a limit that is not positive (or NaN).
    if (!(limit > 0.0f) || targets.empty()) return partner;

    std::vector<vec3> mirrored;
    mirrored.reserve(targets.size());
    for (const mirror_record& t : targets) mirrored.push_back(symmetry::mirror(t.position, plane));
    point_tree tree(mirrored);

    std::vector<int> close;  // free targets nearer than `tiny`
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const mirror_record& s = sources[i];
        // A non-finite source is at an infinite or NaN distance from all.
        if (!finite(s.position)) continue;

        close.clear();
        float best = 0.0f;
        int chosen = tree.nearest_below(s.position, limit, tiny, close, best);
        if (chosen < 0) continue;

        if (best < tiny) {
            // The walk's own rule over the targets that close: it reaches
            // them in order and stops at the first whose key is too far.
            std::sort(close.begin(), close.end());
            float walk_best = std::min(limit, tiny);
            chosen = -1;
            for (int k : close) {
                const mirror_record& t = targets[static_cast<std::size_t>(k)];
                if (t.key - s.key > walk_best) break;
                const float d = symmetry::distance(s.position, mirrored[static_cast<std::size_t>(k)]);
                if (d < walk_best) {
                    walk_best = d;
                    chosen = k;
                }
            }
            if (chosen < 0) continue;
        }
        partner[i] = chosen;
        tree.remove(chosen);
    }
    return partner;
}
