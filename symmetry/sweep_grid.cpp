#include "symmetry/sweep_grid.h"

#include <cmath>

// Cell geometry. Cells are 2.02 x reach wide, so the points within reach of
// a query q span less than half a cell on each side of it: with x = q /
// width, every such point a has a / width within 0.49505 of x. Both
// quotients are formed as products with 1 / width in double precision,
// which moves them by less than 2^-21 while |x| <= 2^30. Hence the cell
// floor(a / width) is floor(x - 0.496) or one more, and two cells per axis
// cover the query. Cell indices are clamped to +-limit; clamping is monotone
// and never widens a gap, so far-away points only crowd the border cells.
namespace {

constexpr double width_factor = 2.02;
constexpr double half_reach = 0.496;
constexpr double limit = 536870912.0;  // 2^29

double clamp_cell(double cell, double high) { return cell < -limit ? -limit : (cell > high ? high : cell); }

std::uint64_t pack(double a, double b) {
    const auto biased = [](double c) { return static_cast<std::uint64_t>(static_cast<std::int64_t>(c) + (1ll << 30)); };
    return (biased(a) << 32) | biased(b);
}

}  // namespace

sweep_grid::sweep_grid(const std::vector<vec3>& positions, int axis_a, int axis_b, double reach)
    : positions_(positions), axis_a_(axis_a), axis_b_(axis_b), single_(std::isinf(reach)) {
    if (!single_) scale_ = 1.0 / (width_factor * reach);
    next_.assign(positions.size(), -1);
    prev_.assign(positions.size(), not_in);
    entry_key_.assign(positions.size(), 0);
    table_.assign(64, bucket{no_key, -1, -1});
    shift_ = 64 - 6;
}

bool sweep_grid::cell_of(const vec3& p, std::uint64_t& key) const {
    if (single_) {
        key = 0;
        return true;
    }
    const float a = p[axis_a_], b = p[axis_b_];
    if (!std::isfinite(a) || !std::isfinite(b)) return false;
    key = pack(clamp_cell(std::floor(static_cast<double>(a) * scale_), limit),
               clamp_cell(std::floor(static_cast<double>(b) * scale_), limit));
    return true;
}

int sweep_grid::query_keys(const vec3& q, std::uint64_t keys[4]) const {
    if (single_) {
        keys[0] = 0;
        return 1;
    }
    const float a = q[axis_a_], b = q[axis_b_];
    if (!std::isfinite(a) || !std::isfinite(b)) return 0;
    const double ca = clamp_cell(std::floor(static_cast<double>(a) * scale_ - half_reach), limit - 1);
    const double cb = clamp_cell(std::floor(static_cast<double>(b) * scale_ - half_reach), limit - 1);
    keys[0] = pack(ca, cb);
    keys[1] = pack(ca, cb + 1);
    keys[2] = pack(ca + 1, cb);
    keys[3] = pack(ca + 1, cb + 1);
    return 4;
}

std::size_t sweep_grid::slot_of(std::uint64_t key) const {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> shift_);
}

int sweep_grid::find(std::uint64_t key) const {
    const std::size_t mask = table_.size() - 1;
    for (std::size_t s = slot_of(key);; s = (s + 1) & mask) {
        if (table_[s].key == key) return static_cast<int>(s);
        if (table_[s].key == no_key) return -1;
    }
}

int sweep_grid::find_or_add(std::uint64_t key) {
    if (2 * (used_ + 1) > table_.size()) grow();
    const std::size_t mask = table_.size() - 1;
    std::size_t s = slot_of(key);
    while (table_[s].key != key && table_[s].key != no_key) s = (s + 1) & mask;
    if (table_[s].key == no_key) {
        table_[s] = bucket{key, -1, -1};
        ++used_;
    }
    return static_cast<int>(s);
}

void sweep_grid::grow() {
    std::vector<bucket> old;
    old.swap(table_);
    table_.assign(old.size() * 2, bucket{no_key, -1, -1});
    --shift_;
    const std::size_t mask = table_.size() - 1;
    for (const bucket& b : old) {
        if (b.key == no_key) continue;
        std::size_t s = slot_of(b.key);
        while (table_[s].key != no_key) s = (s + 1) & mask;
        table_[s] = b;
    }
}

// Linear-probing deletion without tombstones: later entries of the probe
// run move back into the gap when their home slot allows it.
void sweep_grid::erase_slot(std::size_t slot) {
    const std::size_t mask = table_.size() - 1;
    std::size_t gap = slot;
    for (std::size_t s = (slot + 1) & mask; table_[s].key != no_key; s = (s + 1) & mask) {
        const std::size_t home = slot_of(table_[s].key);
        // The entry may fill the gap when its home does not lie in (gap, s].
        if (((s - home) & mask) >= ((s - gap) & mask)) {
            table_[gap] = table_[s];
            gap = s;
        }
    }
    table_[gap].key = no_key;
    --used_;
}

void sweep_grid::insert(int k) {
    std::uint64_t key;
    if (!cell_of(positions_[static_cast<std::size_t>(k)], key)) return;
    bucket& b = table_[static_cast<std::size_t>(find_or_add(key))];
    entry_key_[static_cast<std::size_t>(k)] = key;
    prev_[static_cast<std::size_t>(k)] = b.tail;
    next_[static_cast<std::size_t>(k)] = -1;
    if (b.tail >= 0)
        next_[static_cast<std::size_t>(b.tail)] = k;
    else
        b.head = k;
    b.tail = k;
}

void sweep_grid::remove(int k) {
    const std::size_t e = static_cast<std::size_t>(k);
    if (prev_[e] == not_in) return;
    const int slot = find(entry_key_[e]);
    bucket& b = table_[static_cast<std::size_t>(slot)];
    const int before = prev_[e], after = next_[e];
    if (before >= 0)
        next_[static_cast<std::size_t>(before)] = after;
    else
        b.head = after;
    if (after >= 0)
        prev_[static_cast<std::size_t>(after)] = before;
    else
        b.tail = before;
    prev_[e] = not_in;
    if (b.head < 0) erase_slot(static_cast<std::size_t>(slot));
}
