// A run of text formatted in place.
//
// Formatting a large mesh appends tens of bytes at a time, millions of
// times: growing a std::string zero-fills its new room, and a formatter that
// writes straight into reserved room and then trims pays for that filling on
// every line. A text_block hands out room without touching it.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace host {

class text_block {
public:
    const char* data() const { return data_.get(); }
    std::size_t size() const { return size_; }
    std::string_view view() const { return {data_.get(), size_}; }
    void clear() { size_ = 0; }

    // Appends what fn(begin) writes, at most `most` bytes; fn returns the
    // end of what it wrote.
    template <class Fn>
    void put(std::size_t most, Fn fn) {
        char* const b = room(most);
        size_ = static_cast<std::size_t>(fn(b) - data_.get());
    }

    void append(std::string_view s) {
        if (!s.empty()) std::memcpy(room(s.size()), s.data(), s.size());
        size_ += s.size();
    }

private:
    // Where `most` more bytes go, growing the block (doubling) as needed.
    char* room(std::size_t most) {
        if (capacity_ - size_ < most) {
            const std::size_t capacity = capacity_ * 2 > size_ + most ? capacity_ * 2 : size_ + most;
            std::unique_ptr<char[]> grown(new char[capacity]);
            if (size_) std::memcpy(grown.get(), data_.get(), size_);
            data_ = std::move(grown);
            capacity_ = capacity;
        }
        return data_.get() + size_;
    }

    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0, capacity_ = 0;
};

}  // namespace host
