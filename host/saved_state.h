// A shape's state as the undo history keeps it.
//
// An edit usually changes a small part of a mesh: a move changes a few
// positions, a selection a few flags. A saved state therefore keeps the
// mesh's per-element arrays in fixed-size chunks of bytes, and a chunk equal
// to the same chunk of the state saved before it is shared, not copied. A
// run of moves on a million-vertex mesh then keeps a few chunks a step
// instead of a copy of the whole mesh. Everything else of the state is a
// plain copy.
#pragma once

#include <cstddef>
#include <memory>
#include <unordered_set>
#include <vector>

#include "host/shape_state.h"

namespace host {

class saved_state {
public:
    // Saves `live`. Chunks equal to those of `previous` (any earlier state
    // of the same shape, or null) are shared with it; the result is the
    // same either way. `live` is left as it was: its arrays are only set
    // aside while the rest of it is copied.
    saved_state(shape_state& live, const saved_state* previous);

    // Puts the saved state into `live`, reusing its arrays' room.
    void restore_into(shape_state& live) const;

    // The bytes this state holds, chunks already in `seen` left out (and
    // the new ones added to it), so that shared chunks count once.
    std::size_t bytes(std::unordered_set<const void*>& seen) const;

private:
    using chunk = std::vector<unsigned char>;
    // One array: its byte size and its chunks in order.
    struct array {
        std::size_t size = 0;
        std::vector<std::shared_ptr<const chunk>> chunks;
    };

    shape_state rest_;           // the state, its mesh's chunked arrays left empty
    std::vector<array> arrays_;  // in the order of for_each_plain_array
};

}  // namespace host
