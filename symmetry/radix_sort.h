// Stable sort of (key, value) records by a 32-bit unsigned key.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

struct radix_record {
    std::uint32_t key;
    std::uint32_t value;
};

// Sorts `records` by key, ascending; records with equal keys keep their
// order. `scratch` is working space of any size.
void radix_sort(std::vector<radix_record>& records, std::vector<radix_record>& scratch);

// An order-preserving unsigned image of a float that is not NaN, with -0.0
// and 0.0 mapped to the same value.
inline std::uint32_t sortable_float_bits(float f) {
    if (f == 0.0f) f = 0.0f;
    std::uint32_t u;
    static_assert(sizeof u == sizeof f, "float is 32 bits");
    std::memcpy(&u, &f, sizeof u);
    return (u & 0x80000000u) ? ~u : (u | 0x80000000u);
}
