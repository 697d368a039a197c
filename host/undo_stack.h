// The undo history of one scene.
//
// A step saves, on the first change of each shape while it is open, that
// shape's whole state (shape_state) as it was before; when the step closes
// it saves the state after. Undo puts the states before back, redo the
// states after, shape by shape, so meshes and tree links come back exactly.
// Steps nest: opening a step inside an open one joins it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/change_listener.h"
#include "host/shape_state.h"

namespace host {

class shape;

class undo_stack {
public:
    // At most `limit` steps are kept; the oldest go first.
    explicit undo_stack(std::size_t limit = 100) : limit_(limit) {}
    // Keeps at most `limit` steps from now on; 0 keeps none and saves no
    // state at all (a batch job that never undoes spares the copies).
    void set_limit(std::size_t limit);

    void open();
    // Opens a step that continues the newest one, so that its changes undo
    // and redo with it: the newest step becomes the open step again (the
    // states it saved before are kept, and closing saves the states after
    // anew). When a step is open already this joins it, like open(); when
    // there is no newest step, or it was undone, this is open().
    void reopen();
    // Closes one level; the outermost close ends the step. A step without
    // changes leaves no trace. Throws std::logic_error when none is open.
    void close();
    bool is_open() const { return depth_ > 0; }
    // Number of the open step (or of the last one); tells steps apart.
    std::uint64_t current_step() const { return serial_; }

    // Called before every change of a shape; see change_kind.
    void before_change(shape& target, change_kind kind);

    // Forgets every step (an open step stays open, empty).
    void clear();

    bool can_undo() const { return !done_.empty(); }
    bool can_redo() const { return !undone_.empty(); }
    std::size_t undo_count() const { return done_.size(); }
    std::size_t redo_count() const { return undone_.size(); }

    // Undo and redo close an open step first. The restored shapes are
    // appended to `touched` when it is given. Both answer false when there
    // is nothing to do.
    bool undo(std::vector<shape*>* touched = nullptr);
    bool redo(std::vector<shape*>* touched = nullptr);

private:
    struct entry {
        shape* target;
        shape_state before;
        shape_state after;
    };
    using step = std::vector<entry>;

    std::size_t limit_;
    int depth_ = 0;
    std::uint64_t serial_ = 0;  // number of the open (or last) step
    step current_;
    std::vector<step> done_;
    std::vector<step> undone_;
};

}  // namespace host
