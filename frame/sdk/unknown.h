// Reference counting shared by every object that crosses the host boundary.
#pragma once

#include <cstdint>
#include <utility>

// Base of every reference-counted object, on either side of the boundary.
// AddRef returns the new count; Release returns it too and destroys the
// object when it reaches 0.
class unknown_interface {
public:
    virtual int AddRef() = 0;
    virtual int Release() = 0;

protected:
    virtual ~unknown_interface() = default;
};

namespace kx {

// Implements the count for a concrete class: it starts at 0, and the object
// deletes itself when Release brings it back to 0.
template <class Base>
class ref_counted : public Base {
public:
    using Base::Base;

    int AddRef() override { return ++refs_; }
    int Release() override {
        const int n = --refs_;
        if (n == 0) delete this;
        return n;
    }
    int ref_count() const { return refs_; }

private:
    std::int32_t refs_ = 0;
};

// Owns one counted reference and releases it on every path. Adopts the
// reference it is given (as returned by a host call that hands out a counted
// object); use `share` to take an additional reference instead.
template <class T>
class host_ref {
public:
    host_ref() = default;
    explicit host_ref(T* p) noexcept : p_(p) {}
    host_ref(const host_ref&) = delete;
    host_ref& operator=(const host_ref&) = delete;
    host_ref(host_ref&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    host_ref& operator=(host_ref&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    ~host_ref() { reset(); }

    static host_ref share(T* p) {
        if (p) p->AddRef();
        return host_ref(p);
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

    void reset(T* p = nullptr) {
        T* old = std::exchange(p_, p);
        if (old) old->Release();
    }
    T* release() { return std::exchange(p_, nullptr); }

private:
    T* p_ = nullptr;
};

}  // namespace kx
