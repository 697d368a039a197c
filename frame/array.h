// The plug-in's fixed-size array: a run of elements whose count is set when
// the array is made (vertex and face index lists, UV lists, per-edge flags).
//
// Elements live in one plain allocation, so every element type, bool
// included, gives real references and contiguous data().
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <memory>

template <class T>
class Array {
public:
    Array() = default;
    // `count` value-initialised elements (0 or false for numbers and flags);
    // a negative count gives an empty array.
    explicit Array(int count) : count_(count > 0 ? count : 0), items_(make(count_)) {}
    Array(std::initializer_list<T> items) : Array(items.begin(), items.end()) {}
    // The elements of [first, last), in order.
    template <class It>
    Array(It first, It last) : Array(static_cast<int>(std::distance(first, last))) {
        std::copy(first, last, items_.get());
    }
    Array(const Array& o) : Array(o.begin(), o.end()) {}
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

    // Number of elements.
    int size() const { return count_; }
    bool empty() const { return count_ == 0; }

    // Element i; 0 <= i < size() must hold.
    T& operator[](int i) {
        assert(i >= 0 && i < count_);
        return items_[static_cast<std::size_t>(i)];
    }
    const T& operator[](int i) const {
        assert(i >= 0 && i < count_);
        return items_[static_cast<std::size_t>(i)];
    }

    // Contiguous storage; null when the array is empty.
    T* data() { return items_.get(); }
    const T* data() const { return items_.get(); }

    T* begin() { return items_.get(); }
    T* end() { return items_.get() + count_; }
    const T* begin() const { return items_.get(); }
    const T* end() const { return items_.get() + count_; }

    friend bool operator==(const Array& a, const Array& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }
    friend bool operator!=(const Array& a, const Array& b) { return !(a == b); }

private:
    static std::unique_ptr<T[]> make(int count) {
        return count > 0 ? std::make_unique<T[]>(static_cast<std::size_t>(count)) : nullptr;
    }

    int count_ = 0;
    std::unique_ptr<T[]> items_;
};
