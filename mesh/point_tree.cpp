#include "mesh/point_tree.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int leaf_size = 8;

bool finite(const vec3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

}  // namespace

point_tree::point_tree(const std::vector<vec3>& points) {
    slot_.assign(points.size(), -1);
    leaf_.assign(points.size(), -1);
    for (std::size_t k = 0; k < points.size(); ++k)
        if (finite(points[k])) entries_.push_back({points[k], static_cast<int>(k)});
    if (entries_.empty()) return;
    nodes_.reserve(4 * (entries_.size() / leaf_size + 1));
    build(0, static_cast<int>(entries_.size()), -1);
    for (std::size_t s = 0; s < entries_.size(); ++s)
        slot_[static_cast<std::size_t>(entries_[s].index)] = static_cast<int>(s);
}

// Splits [begin, end) of the tree order at the median of its widest axis;
// returns the new node's index.
int point_tree::build(int begin, int end, int parent) {
    const int index = static_cast<int>(nodes_.size());
    nodes_.push_back(node{});
    node n;
    n.begin = begin;
    n.end = end;
    n.parent = parent;
    n.live = end - begin;
    n.low = n.high = entries_[static_cast<std::size_t>(begin)].position;
    for (int s = begin + 1; s < end; ++s) {
        const vec3& p = entries_[static_cast<std::size_t>(s)].position;
        for (int a = 0; a < 3; ++a) {
            n.low[a] = std::min(n.low[a], p[a]);
            n.high[a] = std::max(n.high[a], p[a]);
        }
    }
    if (end - begin <= leaf_size) {
        for (int s = begin; s < end; ++s) leaf_[static_cast<std::size_t>(entries_[static_cast<std::size_t>(s)].index)] = index;
        nodes_[static_cast<std::size_t>(index)] = n;
        return index;
    }
    int axis = 0;
    double widest = -1.0;
    for (int a = 0; a < 3; ++a) {
        const double w = static_cast<double>(n.high[a]) - static_cast<double>(n.low[a]);
        if (w > widest) {
            widest = w;
            axis = a;
        }
    }
    const int middle = begin + (end - begin) / 2;
    std::nth_element(entries_.begin() + begin, entries_.begin() + middle, entries_.begin() + end,
                     [axis](const entry& a, const entry& b) { return a.position[axis] < b.position[axis]; });

    n.left = build(begin, middle, index);
    n.right = build(middle, end, index);
    nodes_[static_cast<std::size_t>(index)] = n;
    return index;
}

void point_tree::remove(int k) {
    if (k < 0 || static_cast<std::size_t>(k) >= slot_.size()) return;
    const int s = slot_[static_cast<std::size_t>(k)];
    if (s < 0) return;
    // Within its leaf the point swaps places with the last live one.
    int at = leaf_[static_cast<std::size_t>(k)];
    node& leaf = nodes_[static_cast<std::size_t>(at)];
    const std::size_t last = static_cast<std::size_t>(leaf.begin + leaf.live - 1);
    const std::size_t here = static_cast<std::size_t>(s);
    std::swap(entries_[here], entries_[last]);
    slot_[static_cast<std::size_t>(entries_[here].index)] = s;
    slot_[static_cast<std::size_t>(k)] = -1;
    for (; at >= 0; at = nodes_[static_cast<std::size_t>(at)].parent) --nodes_[static_cast<std::size_t>(at)].live;
}

int point_tree::nearest_below(const vec3& q, float bound, float close_below, std::vector<int>& close,
                              float& distance) const {
    float nearest = bound;
    int found = -1;
    search(
        q,
        [&](int k, float d) {
            if (d < close_below) close.push_back(k);
            if (d < nearest || (d == nearest && found >= 0 && k < found)) {
                nearest = d;
                found = k;
            }
        },
        [&] { return std::max(nearest, close_below); });
    distance = nearest;
    return found;
}
