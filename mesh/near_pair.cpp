#include "mesh/near_pair.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "mesh/point_tree.h"
#include "mesh/single_distance.h"

namespace {

// Nearest distances below this are settled by the sweep's own rule.
constexpr float tiny = single_distance_exact_from;

bool finite(const vec3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

}  // namespace

namespace {

// The scan of one entry: entries `sorted` in sweep order, the entry's place
// x, and the best distance before it. Keeps the partner's place and the new
// best when the scan finds a strictly nearer pair.
struct entry_scan {
    const std::vector<vec3>& sorted;
    int x;
    float best;
    int partner = -1;

    // The sweep itself, for at most `limit` entries; false when it would
    // have gone on. Counts the entries walked in `steps`.
    bool walk(long long limit, long long& steps) {
        const vec3& p = sorted[static_cast<std::size_t>(x)];
        const int n = static_cast<int>(sorted.size());
        for (int y = x + 1; y < n; ++y, ++steps) {
            if (steps >= limit) return false;
            const vec3& q = sorted[static_cast<std::size_t>(y)];
            const float d = single_distance(p, q);
            if (d < best) {
                best = d;
                partner = y;
            } else if (q.x - p.x > best) {
                break;
            }
        }
        return true;
    }

    // The same outcome through `tree`, which holds exactly the entries
    // after x. `close` is scratch space.
    void search(const point_tree& tree, std::vector<int>& close) {
        const vec3& p = sorted[static_cast<std::size_t>(x)];
        if (!finite(p)) return;  // at an infinite or NaN distance from all
        close.clear();
        float nearest = 0.0f;
        const int y_of_nearest = tree.nearest_below(p, best, tiny, close, nearest);
        if (y_of_nearest < 0) return;
        if (nearest >= tiny) {
            best = nearest;
            partner = y_of_nearest;
            return;
        }
        // The sweep's own rule over the entries that close. Between two of
        // them the scan passes entries that are farther; any of those stops
        // it when its x is too far ahead, and x only grows along the scan,
        // so the entry just before the next close one decides.
        std::sort(close.begin(), close.end());
        float scan_best = std::min(best, tiny);
        int scan_partner = -1;
        int passed = x;  // the last entry the scan has looked at
        for (int y : close) {
            if (y - 1 > passed && sorted[static_cast<std::size_t>(y - 1)].x - p.x > scan_best) break;
            passed = y;
            const float d = single_distance(p, sorted[static_cast<std::size_t>(y)]);
            if (d < scan_best) {
                scan_best = d;
                scan_partner = y;
            } else if (sorted[static_cast<std::size_t>(y)].x - p.x > scan_best) {
                break;
            }
        }
        if (scan_partner >= 0) {
            best = scan_best;
            partner = scan_partner;
        }
    }
};

}  // namespace

Polygon_class::vertices_pair nearest_pair(const std::vector<vec3>& positions, long long walk_budget, int walk_limit) {
    // Sweep order: ascending x, equal x in list order; a position without a
    // comparable x is at no distance from any other and cannot be ordered.
    struct by_x {
        float x;
        int vertex;
    };
    std::vector<by_x> order;
    order.reserve(positions.size());
    for (std::size_t v = 0; v < positions.size(); ++v)
        if (!std::isnan(positions[v].x)) order.push_back({positions[v].x, static_cast<int>(v)});
    std::stable_sort(order.begin(), order.end(), [](const by_x& a, const by_x& b) { return a.x < b.x; });
    std::vector<vec3> sorted(order.size());
    for (std::size_t r = 0; r < order.size(); ++r) sorted[r] = positions[static_cast<std::size_t>(order[r].vertex)];

    // Most scans stop after a few entries, and the sweep walks them. Once
    // the walks have used up the budget, a scan that runs long (many
    // entries sharing an x) is answered by a k-d tree of the entries after
    // it, made when first needed and thinned as the sweep moves on.
    if (walk_budget < 0) walk_budget = 32 * static_cast<long long>(sorted.size());
    long long walked = 0;
    Polygon_class::vertices_pair result;
    std::unique_ptr<point_tree> tree;
    std::vector<int> close;
    for (int x = 0; x < static_cast<int>(sorted.size()); ++x) {
        if (tree) tree->remove(x);
        entry_scan scan{sorted, x, result.distance};
        long long steps = 0;
        const bool walked_through = scan.walk(std::max<long long>(walk_limit, walk_budget - walked), steps);
        walked += steps;
        if (!walked_through) {
            if (!tree) {
                std::vector<vec3> after = sorted;
                const float none = std::numeric_limits<float>::quiet_NaN();
                for (int r = 0; r <= x; ++r) after[static_cast<std::size_t>(r)] = vec3(none, none, none);
                tree = std::make_unique<point_tree>(after);
            }
            // The walk's partial outcome is dropped: the search redoes
            // the whole scan.
            scan.best = result.distance;
            scan.partner = -1;
            scan.search(*tree, close);
        }
        if (scan.partner >= 0)
            result = {order[static_cast<std::size_t>(x)].vertex, order[static_cast<std::size_t>(scan.partner)].vertex, scan.best};
    }
    return result;
}

Polygon_class::vertices_pair Polygon_class::find_first_near_vertices_pair() {
    const int n = mesh ? mesh->get_number_of_vertices() : 0;
    std::vector<vec3> positions(static_cast<std::size_t>(std::max(n, 0)));
    for (int v = 0; v < n; ++v) positions[static_cast<std::size_t>(v)] = mesh->vertex(v).get_position();
    return nearest_pair(positions);
}
