// The undo history of one scene.
//
// A step saves, on the first change of each shape while it is open, that
// shape's whole state as it was before; when the step closes
// it saves the state after. Undo puts the states before back, redo the
// states after, shape by shape, so meshes and tree links come back exactly.
// Steps nest: opening a step inside an open one joins it.
//
// Saved states are shared: a shape unchanged since a step saved its state
// after gives the next step that same state as its state before, and a
// saved state shares the chunks of its arrays that equal those of the
// shape's state saved before it (host/saved_state.h), so a run of moves of
// one mesh keeps what the moves changed, not a copy of the mesh per step.
// The history keeps at most `limit` steps and, beyond the newest one, at
// most about `byte_limit` bytes of saved states (each shared chunk counted
// once); the oldest steps go first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "host/change_listener.h"
#include "host/saved_state.h"

namespace host {

class shape;

class undo_stack {
public:
    // At most `limit` steps are kept; the oldest go first.
    explicit undo_stack(std::size_t limit = 100, std::size_t byte_limit = std::size_t{1} << 30)
        : limit_(limit), byte_limit_(byte_limit) {}
    // Keeps at most `limit` steps from now on; 0 keeps none and saves no
    // state at all (a batch job that never undoes spares the copies).
    void set_limit(std::size_t limit);
    // Keeps at most about `bytes` of saved states from now on (the newest
    // step is always kept).
    void set_byte_limit(std::size_t bytes);
    // The bytes of the states the history holds now, each shared state once.
    std::size_t saved_bytes() const;

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
    using saved = std::shared_ptr<const saved_state>;
    struct entry {
        shape* target;
        saved before;
        saved after;
    };
    using step = std::vector<entry>;

    // Drops the oldest steps while the history is beyond its limits.
    void trim();

    std::size_t limit_;
    std::size_t byte_limit_;
    int depth_ = 0;
    std::uint64_t serial_ = 0;  // number of the open (or last) step
    step current_;
    std::vector<step> done_;
    std::vector<step> undone_;
};

}  // namespace host
