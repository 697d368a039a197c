// A k-d tree over a fixed set of points, for nearest-point queries under the
// single-precision distance of single_distance that must see every point
// up to a given distance, exactly.
//
// All points are placed at construction and can only be taken out. A search
// skips a subtree when the squared distance from the query to the subtree's
// box, formed with the same float operations as a squared distance to a
// point (each component the rounded gap to the box), is clearly beyond the
// square of the caller's threshold: rounding is monotone, so no point in
// the box can come nearer, whatever the scale of the coordinates.
#pragma once

#include <vector>

#include "frame/sdk/math.h"
#include "mesh/single_distance.h"

class point_tree {
public:
    // Places the finite points of `points`; non-finite ones are left out and
    // never visited.
    explicit point_tree(const std::vector<vec3>& points);

    // Takes point k out; nothing when it is not in.
    void remove(int k);

    // Calls visit(k, d) for every point k still in whose distance d from q
    // (single_distance) may not exceed threshold(), nearer subtrees
    // first; threshold is asked again before each subtree, so it may
    // shrink as points are visited. Points farther than the threshold may
    // be visited too.
    template <class Visit, class Threshold>
    void search(const vec3& q, Visit visit, Threshold threshold) const;

    // The point still in that is strictly nearer to q than `bound`, the
    // lowest index of equally near ones, or -1; its distance goes to
    // `distance`. Every point nearer than `close_below` is added to `close`
    // (in no particular order).
    int nearest_below(const vec3& q, float bound, float close_below, std::vector<int>& close, float& distance) const;

private:
    struct node {
        vec3 low, high;  // box of the node's points
        int begin, end;  // range of the tree order
        int left = -1, right = -1;
        int parent = -1;
        int live = 0;  // points still in
    };

    int build(int begin, int end, int parent);
    float box_distance_squared(const node& n, const vec3& q) const;

    // The points in tree order, each leaf's live ones first.
    struct entry {
        vec3 position;
        int index;
    };
    std::vector<entry> entries_;
    std::vector<int> slot_;  // each point's place in the tree order, -1 when out
    std::vector<int> leaf_;  // each point's leaf
    std::vector<node> nodes_;
};

inline float point_tree::box_distance_squared(const node& n, const vec3& q) const {
    vec3 gap(0, 0, 0);
    for (int a = 0; a < 3; ++a) {
        if (q[a] < n.low[a])
            gap[a] = q[a] - n.low[a];
        else if (q[a] > n.high[a])
            gap[a] = q[a] - n.high[a];
    }
    return single_distance_squared(gap, vec3(0, 0, 0));
}

template <class Visit, class Threshold>
void point_tree::search(const vec3& q, Visit visit, Threshold threshold) const {
    if (nodes_.empty() || nodes_[0].live == 0) return;
    // A subtree whose squared box distance s exceeds t^2 (1 + 1e-6) holds no
    // point within t: every distance there is the rounded root of a square
    // sum of at least s, more than t by far more than the rounding.
    const auto beyond = [&](float s) {
        const double t = static_cast<double>(threshold());
        return static_cast<double>(s) > t * t * (1.0 + 1e-6);
    };
    // Depth-first, each subtree with its squared box distance; the tree is at
    // most 32 levels deep and each level leaves at most one subtree waiting.
    struct pending {
        int node;
        float distance_squared;
    };
    pending stack[80];
    int top = 0;
    stack[top++] = {0, box_distance_squared(nodes_[0], q)};
    while (top > 0) {
        const pending p = stack[--top];
        if (beyond(p.distance_squared)) continue;
        const node& n = nodes_[static_cast<std::size_t>(p.node)];
        if (n.left < 0) {
            for (int s = n.begin; s < n.begin + n.live; ++s) {
                const entry& e = entries_[static_cast<std::size_t>(s)];
                visit(e.index, single_distance(q, e.position));
            }
            continue;
        }
        const node& l = nodes_[static_cast<std::size_t>(n.left)];
        const node& r = nodes_[static_cast<std::size_t>(n.right)];
        const pending left{n.left, l.live > 0 ? box_distance_squared(l, q) : -1.0f};
        const pending right{n.right, r.live > 0 ? box_distance_squared(r, q) : -1.0f};
        // The nearer child goes on top, to be searched first.
        const bool left_first = left.distance_squared <= right.distance_squared;
        const pending& later = left_first ? right : left;
        const pending& sooner = left_first ? left : right;
        if (later.distance_squared >= 0.0f) stack[top++] = later;
        if (sooner.distance_squared >= 0.0f) stack[top++] = sooner;
    }
}
