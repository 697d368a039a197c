#include "host/undo_stack.h"

#include <stdexcept>

#include "host/shape.h"

namespace host {

void undo_stack::open() {
    if (depth_++ == 0) {
        ++serial_;
        current_.clear();
    }
}

void undo_stack::reopen() {
    if (depth_ > 0 || done_.empty() || !undone_.empty()) {
        open();
        return;
    }
    ++depth_;
    ++serial_;
    current_ = std::move(done_.back());
    done_.pop_back();
    // The shapes the step saved are saved already in the reopened step.
    for (entry& e : current_) e.target->saved_in_step = serial_;
}

void undo_stack::close() {
    if (depth_ == 0) throw std::logic_error("no undo step is open");
    if (--depth_ > 0) return;
    if (current_.empty()) return;
    for (entry& e : current_) e.after = e.target->state();
    done_.push_back(std::move(current_));
    current_.clear();
    undone_.clear();
    if (done_.size() > limit_) done_.erase(done_.begin());
}

void undo_stack::set_limit(std::size_t limit) {
    limit_ = limit;
    while (done_.size() > limit_) done_.erase(done_.begin());
    if (limit_ == 0) {
        clear();
        undone_.clear();
    }
}

void undo_stack::before_change(shape& target, change_kind kind) {
    if (depth_ == 0 || limit_ == 0) {
        // A change outside every step would be overwritten by a redo.
        if (kind != change_kind::selection) undone_.clear();
        return;
    }
    if (target.saved_in_step == serial_) return;
    target.saved_in_step = serial_;
    current_.push_back(entry{&target, target.state(), shape_state()});
}

void undo_stack::clear() {
    // Shapes saved in the open step must be saved again on their next change.
    for (entry& e : current_) e.target->saved_in_step = 0;
    current_.clear();
    done_.clear();
    undone_.clear();
}

bool undo_stack::undo(std::vector<shape*>* touched) {
    while (depth_ > 0) close();
    if (done_.empty()) return false;
    step s = std::move(done_.back());
    done_.pop_back();
    for (auto it = s.rbegin(); it != s.rend(); ++it) {
        it->target->restore(it->before);
        if (touched) touched->push_back(it->target);
    }
    undone_.push_back(std::move(s));
    return true;
}

bool undo_stack::redo(std::vector<shape*>* touched) {
    while (depth_ > 0) close();
    if (undone_.empty()) return false;
    step s = std::move(undone_.back());
    undone_.pop_back();
    for (entry& e : s) {
        e.target->restore(e.after);
        if (touched) touched->push_back(e.target);
    }
    done_.push_back(std::move(s));
    return true;
}

}  // namespace host
