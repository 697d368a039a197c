#include "host/undo_stack.h"

#include <stdexcept>
#include <unordered_set>

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
    for (entry& e : current_) {
        shape& s = *e.target;
        e.after = s.save(e.before.get());
        s.last_saved = e.after;
        s.last_saved_at = s.changes;
    }
    done_.push_back(std::move(current_));
    current_.clear();
    undone_.clear();
    trim();
}

void undo_stack::set_limit(std::size_t limit) {
    limit_ = limit;
    trim();
    if (limit_ == 0) {
        clear();
        undone_.clear();
    }
}

void undo_stack::set_byte_limit(std::size_t bytes) {
    byte_limit_ = bytes;
    trim();
}

std::size_t undo_stack::saved_bytes() const {
    std::unordered_set<const void*> seen;
    std::size_t total = 0;
    const auto count = [&](const saved& s) {
        if (s && seen.insert(s.get()).second) total += s->bytes(seen);
    };
    for (const auto* steps : {&done_, &undone_})
        for (const step& st : *steps)
            for (const entry& e : st) {
                count(e.before);
                count(e.after);
            }
    for (const entry& e : current_) count(e.before);
    return total;
}

void undo_stack::trim() {
    while (done_.size() > limit_) done_.erase(done_.begin());
    while (done_.size() > 1 && saved_bytes() > byte_limit_) done_.erase(done_.begin());
}

void undo_stack::before_change(shape& target, change_kind kind) {
    const bool unchanged = target.last_saved && target.last_saved_at == target.changes;
    ++target.changes;
    if (depth_ == 0 || limit_ == 0) {
        // A change outside every step would be overwritten by a redo.
        if (kind != change_kind::selection) undone_.clear();
        return;
    }
    if (target.saved_in_step == serial_) return;
    target.saved_in_step = serial_;
    // A shape unchanged since its state was last saved shares that state.
    current_.push_back(
        entry{&target, unchanged ? target.last_saved : target.save(target.last_saved.get()), nullptr});
}

void undo_stack::clear() {
    // Shapes saved in the open step must be saved again on their next
    // change, and no shape keeps a saved state alive.
    for (entry& e : current_) e.target->saved_in_step = 0;
    for (const auto* steps : {&done_, &undone_})
        for (const step& st : *steps)
            for (const entry& e : st) e.target->last_saved.reset();
    for (const entry& e : current_) e.target->last_saved.reset();
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
        it->target->restore(*it->before);
        it->target->last_saved = it->before;
        it->target->last_saved_at = it->target->changes;
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
        e.target->restore(*e.after);
        e.target->last_saved = e.after;
        e.target->last_saved_at = e.target->changes;
        if (touched) touched->push_back(e.target);
    }
    done_.push_back(std::move(s));
    return true;
}

}  // namespace host
