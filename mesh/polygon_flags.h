// Array<bool>: the per-edge flag lists of Polygon_class (which edges may be
// refaced). The general Array keeps its elements in a std::vector, which
// for bool would pack bits and hand out proxies instead of bool&; this
// specialization keeps one real bool per element, so operator[] and data()
// work as for every other element type.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <initializer_list>
#include <memory>

#include "frame/array.h"

template <>
class Array<bool> {
public:
    Array() = default;
    // `count` elements, all false; a negative count gives an empty array.
    explicit Array(int count) : count_(count > 0 ? count : 0), items_(make(count_)) {}
    Array(std::initializer_list<bool> items) : count_(static_cast<int>(items.size())), items_(make(count_)) {
        std::copy(items.begin(), items.end(), items_.get());
    }
    Array(const Array& o) : count_(o.count_), items_(make(count_)) {
        std::copy(o.begin(), o.end(), items_.get());
    }
    Array(Array&& o) noexcept : count_(o.count_), items_(std::move(o.items_)) { o.count_ = 0; }
    Array& operator=(const Array& o) {
        if (this != &o) *this = Array(o);
        return *this;
    }
    Array& operator=(Array&& o) noexcept {
        count_ = o.count_;
        items_ = std::move(o.items_);
        o.count_ = 0;
        return *this;
    }

    int size() const { return count_; }
    bool empty() const { return count_ == 0; }

    // Element i; 0 <= i < size() must hold.
    bool& operator[](int i) {
        assert(i >= 0 && i < count_);
        return items_[static_cast<std::size_t>(i)];
    }
    const bool& operator[](int i) const {
        assert(i >= 0 && i < count_);
        return items_[static_cast<std::size_t>(i)];
    }

    bool* data() { return items_.get(); }
    const bool* data() const { return items_.get(); }
    bool* begin() { return items_.get(); }
    bool* end() { return items_.get() + count_; }
    const bool* begin() const { return items_.get(); }
    const bool* end() const { return items_.get() + count_; }

    friend bool operator==(const Array& a, const Array& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }
    friend bool operator!=(const Array& a, const Array& b) { return !(a == b); }

private:
    static std::unique_ptr<bool[]> make(int count) {
        return count > 0 ? std::make_unique<bool[]>(static_cast<std::size_t>(count)) : nullptr;
    }

    int count_ = 0;
    std::unique_ptr<bool[]> items_;
};
