// The plug-in's fixed-size array: a run of elements whose count is set when
// the array is made (vertex and face index lists, UV lists).
#pragma once

#include <cassert>
#include <initializer_list>
#include <type_traits>
#include <vector>

template <class T>
class Array {
    static_assert(!std::is_same_v<T, bool>, "Array<bool> would have no contiguous storage");

public:
    Array() = default;
    // `count` value-initialised elements (0 for numbers); a negative count
    // gives an empty array.
    explicit Array(int count) : items_(count > 0 ? static_cast<std::size_t>(count) : 0) {}
    Array(std::initializer_list<T> items) : items_(items) {}
    // The elements of [first, last), in order.
    template <class It>
    Array(It first, It last) : items_(first, last) {}

    // Number of elements.
    int size() const { return static_cast<int>(items_.size()); }
    bool empty() const { return items_.empty(); }

    // Element i; 0 <= i < size() must hold.
    T& operator[](int i) {
        assert(i >= 0 && i < size());
        return items_[static_cast<std::size_t>(i)];
    }
    const T& operator[](int i) const {
        assert(i >= 0 && i < size());
        return items_[static_cast<std::size_t>(i)];
    }

    // Contiguous storage; may be null when the array is empty.
    T* data() { return items_.data(); }
    const T* data() const { return items_.data(); }

    T* begin() { return items_.data(); }
    T* end() { return items_.data() + items_.size(); }
    const T* begin() const { return items_.data(); }
    const T* end() const { return items_.data() + items_.size(); }

    friend bool operator==(const Array& a, const Array& b) { return a.items_ == b.items_; }
    friend bool operator!=(const Array& a, const Array& b) { return !(a == b); }

private:
    std::vector<T> items_;
};
