// A uniform grid that narrows, for each query point, the target points that
// may lie within a reach of it in every coordinate.
//
// The grid only filters: every target within the reach of a query is in one
// of the query's cells, but a cell may hold targets farther away, and the
// caller decides with its exact predicate. Cells keep their targets in
// ascending index order. Points with a NaN or infinite coordinate take no
// part (no cell, no query cells), unless the reach is infinite: then one
// cell holds every target and every query gets it.
#pragma once

#include <vector>

#include "frame/sdk/math.h"

class candidate_grid {
public:
    // `reach` must be positive (or infinite); it bounds the coordinate
    // differences the caller's predicate can accept.
    candidate_grid(const std::vector<vec3>& targets, const std::vector<vec3>& queries, double reach);

    // Cells that may hold targets within reach of query q: [first, last).
    const int* cells_begin(int q) const { return query_cells_.data() + query_begin_[static_cast<std::size_t>(q)]; }
    const int* cells_end(int q) const { return query_cells_.data() + query_begin_[static_cast<std::size_t>(q) + 1]; }

    // Member positions of cell c: [cell_begin(c), cell_end(c)) index
    // `members()`, which lists target indices, ascending within a cell.
    int cell_begin(int c) const { return cell_begin_[static_cast<std::size_t>(c)]; }
    int cell_end(int c) const { return cell_begin_[static_cast<std::size_t>(c) + 1]; }
    const std::vector<int>& members() const { return members_; }
    // Position of target k in members(), or -1 when it has no cell.
    int member_position(int k) const { return member_position_[static_cast<std::size_t>(k)]; }

private:
    void build_single_cell(int target_count, int query_count);

    std::vector<int> members_;
    std::vector<int> member_position_;
    std::vector<int> cell_begin_;
    std::vector<int> query_begin_;
    std::vector<int> query_cells_;
};
