// The vertex sweep: sorting the vertices by their side of the symmetry
// plane and pairing the two sides.
//
// Pairing works on the two sides as ordered lists (ascending distance from
// the plane, equal distances in ascending vertex index) in two passes:
//
// - pass 1 (fixed tolerance t = 0.002): for each positive entry P in order,
//   the unpaired negative entries N with P.key <= N.key + t and N.key <=
//   P.key + t whose unmirrored distance to P is <= t; P takes the last of
//   them in order (each one it meets releases the one before);
// - pass 2 (symmetry margin): for each positive entry P still unpaired, the
//   negative entries N from the first with P.key - N.key <= margin, up to
//   the first unpaired one with N.key - P.key > margin; P takes the first
//   unpaired N within the margin of P's mirror.
//
// Key differences and sums are formed in single precision exactly as
// written. The windows are contiguous ranges of the order; a spatial grid
// finds the candidates within them, and the exact float tests decide, so
// the pairs are the same as those of the plain walk over the lists.
#pragma once

#include <functional>
#include <vector>

#include "frame/sdk/math.h"
#include "symmetry/symmetry_class.h"

// One side of the plane in sweep order.
struct sweep_side {
    std::vector<float> key;      // distance from the plane, ascending
    std::vector<vec3> position;  // stored (unmirrored) positions
    std::vector<int> vertex;     // vertex indices
    int size() const { return static_cast<int>(key.size()); }
};

struct plane_split {
    sweep_side positive;          // plane coordinate c > reduse_margin, key c
    sweep_side negative;          // c < -reduse_margin, key -c
    std::vector<ver_inf> on_plane;  // all others (NaN included), by vertex index
};

// Sorts the vertices (positions[i] of vertex i) into the two sides and the
// on-plane list. A vertex goes to the positive side when c > m, else to the
// negative side when c < -m, else onto the plane.
plane_split split_by_plane(const std::vector<vec3>& positions, int plane, float reduse_margin);

// Counts the positive entries handled by the passes and reports the count
// whenever it has moved more than `step` past the last report.
class sweep_progress {
public:
    sweep_progress(int step, std::function<void(int)> report) : step_(step), report_(std::move(report)) {}
    void tick() {
        ++counter_;
        if (counter_ - last_ > step_) {
            last_ = counter_;
            report_(counter_);
        }
    }

private:
    int step_;
    std::function<void(int)> report_;
    int counter_ = 0;
    int last_ = 0;
};

// Pairs the sides with passes 1 and 2. Returns, for each positive entry,
// the negative entry it is paired with, or -1. `progress` (may be null)
// ticks once per positive entry in each pass; what its report throws passes
// through.
std::vector<int> pair_sides(const sweep_side& positive, const sweep_side& negative, int plane, float margin,
                            sweep_progress* progress);
