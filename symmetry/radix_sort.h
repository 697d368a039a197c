// Stable sort of (key, value) records by an unsigned integer key.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

struct radix_record {
    std::uint64_t key;
    std::uint32_t value;
};

// Sorts `records` by key, ascending; records with equal keys keep their
// order. Only the lowest `key_bits` bits of the keys are looked at (every
// key must fit in them). `scratch` is working space of any size.
void radix_sort(std::vector<radix_record>& records, int key_bits, std::vector<radix_record>& scratch);

// An order-preserving unsigned image of a float that is not NaN, with -0.0
// and 0.0 mapped to the same value.
inline std::uint32_t sortable_float_bits(float f) {
    if (f == 0.0f) f = 0.0f;
    std::uint32_t u;
    static_assert(sizeof u == sizeof f, "float is 32 bits");
    std::memcpy(&u, &f, sizeof u);
    return (u & 0x80000000u) ? ~u : (u | 0x80000000u);
}
