// The entries of one side of the plane that lie inside the sweep's moving
// key window, bucketed by a uniform grid over two coordinates.
//
// Entries are numbered by their place in key order and inserted in
// ascending order, so every bucket lists its entries ascending. The grid
// only filters: an entry whose two coordinates lie within `reach` of a
// query point is always in one of the (at most four) buckets the query
// visits; the caller's exact test decides. An entry with a NaN or infinite
// coordinate is never inserted, unless the reach is infinite: then a single
// bucket holds every entry.
#pragma once

#include <cstdint>
#include <vector>

#include "frame/sdk/math.h"

class sweep_grid {
public:
    // `positions` (one per entry, kept by reference), the two coordinate
    // indices the grid spans, and the reach (positive, or infinite).
    sweep_grid(const std::vector<vec3>& positions, int axis_a, int axis_b, double reach);

    // Adds entry k; k must exceed every entry inserted before.
    void insert(int k);
    // Takes entry k out; nothing when it is not in.
    void remove(int k);

    // The smallest entry in the buckets around q for which accept(k) holds,
    // or -1.
    template <class Accept>
    int first(const vec3& q, Accept accept) const;
    // The largest such entry, or -1.
    template <class Accept>
    int last(const vec3& q, Accept accept) const;

private:
    struct bucket {
        std::uint64_t key;
        int head;
        int tail;
    };
    static constexpr std::uint64_t no_key = ~std::uint64_t{0};
    static constexpr int not_in = -2;

    // Bucket keys of the (up to four) buckets a query at q visits; returns
    // how many.
    int query_keys(const vec3& q, std::uint64_t keys[4]) const;
    bool cell_of(const vec3& p, std::uint64_t& key) const;
    std::size_t slot_of(std::uint64_t key) const;
    int find(std::uint64_t key) const;
    int find_or_add(std::uint64_t key);
    void erase_slot(std::size_t slot);
    void grow();

    const std::vector<vec3>& positions_;
    int axis_a_, axis_b_;
    bool single_;         // infinite reach: one bucket for everything
    double scale_ = 0.0;  // 1 / cell width

    std::vector<bucket> table_;  // open addressing, linear probing
    int shift_ = 0;
    std::size_t used_ = 0;
    std::vector<int> next_, prev_;         // links within a bucket; prev_ = not_in when absent
    std::vector<std::uint64_t> entry_key_;  // bucket key of each inserted entry
};

template <class Accept>
int sweep_grid::first(const vec3& q, Accept accept) const {
    std::uint64_t keys[4];
    const int count = query_keys(q, keys);
    int best = -1;
    for (int c = 0; c < count; ++c) {
        const int slot = find(keys[c]);
        if (slot < 0) continue;
        for (int k = table_[static_cast<std::size_t>(slot)].head; k >= 0; k = next_[static_cast<std::size_t>(k)]) {
            if (best >= 0 && k >= best) break;
            if (accept(k)) {
                best = k;
                break;
            }
        }
    }
    return best;
}

template <class Accept>
int sweep_grid::last(const vec3& q, Accept accept) const {
    std::uint64_t keys[4];
    const int count = query_keys(q, keys);
    int best = -1;
    for (int c = 0; c < count; ++c) {
        const int slot = find(keys[c]);
        if (slot < 0) continue;
        for (int k = table_[static_cast<std::size_t>(slot)].tail; k >= 0; k = prev_[static_cast<std::size_t>(k)]) {
            if (k <= best) break;
            if (accept(k)) {
                best = k;
                break;
            }
        }
    }
    return best;
}
