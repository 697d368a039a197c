// The edge between the host's callbacks and the window's work: no
// exception may travel back into the host.
#pragma once

// Runs `body`; an exception it throws is dropped. Objects the body holds
// (scene references, undo records, busy guards) clean up as it leaves them.
template <class Body>
void at_host_boundary(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

// Runs `body` and returns its answer, or `fallback` when it throws.
template <class Body>
bool answer_at_host_boundary(Body&& body, bool fallback) noexcept {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

// Sets a flag for the life of the guard and clears it on every path.
class flag_guard {
public:
    explicit flag_guard(bool& flag) : flag_(flag) { flag_ = true; }
    ~flag_guard() { flag_ = false; }
    flag_guard(const flag_guard&) = delete;
    flag_guard& operator=(const flag_guard&) = delete;

private:
    bool& flag_;
};
