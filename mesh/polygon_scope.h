// Brackets of the Polygon_class operations (figure-update inhibits, removal
// batches, modifications, lookups) closed on every path.
#pragma once

#include <exception>
#include <utility>

namespace polygon_scope {

// Runs `close` when the scope ends. On a normal exit an exception from
// `close` propagates; while another exception unwinds the scope, one from
// `close` is dropped so that the first one reaches the caller.
template <class Close>
class closer {
public:
    explicit closer(Close close) : close_(std::move(close)), unwinding_(std::uncaught_exceptions()) {}
    closer(const closer&) = delete;
    closer& operator=(const closer&) = delete;
    ~closer() noexcept(false) {
        if (std::uncaught_exceptions() > unwinding_) {
            try {
                close_();
            } catch (...) {
            }
        } else {
            close_();
        }
    }

private:
    Close close_;
    int unwinding_;
};

}  // namespace polygon_scope
