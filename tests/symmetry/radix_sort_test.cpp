#include "symmetry/radix_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>

namespace {

// Float keys, ties included: the same order as a stable sort by value, in
// which -0.0 and 0.0 are equal.
TEST(radix_sort, orders_float_keys_like_a_stable_sort_by_value) {
    std::mt19937 rng(11);
    const float specials[] = {0.0f, -0.0f, std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::denorm_min(),
                              -std::numeric_limits<float>::denorm_min(), 1.0f, -1.0f, 3e38f, -3e38f};
    for (int round = 0; round < 20; ++round) {
        std::vector<float> keys;
        for (int i = 0; i < 5000; ++i)
            keys.push_back(rng() % 4 == 0 ? specials[rng() % 10]
                                          : std::uniform_real_distribution<float>(-4.0f, 4.0f)(rng) *
                                                (round % 2 ? 1e-30f : 1.0f));
        std::vector<radix_record> records, scratch;
        for (std::uint32_t i = 0; i < keys.size(); ++i) records.push_back({sortable_float_bits(keys[i]), i});
        radix_sort(records, scratch);
        std::vector<std::uint32_t> expected(keys.size());
        for (std::uint32_t i = 0; i < keys.size(); ++i) expected[i] = i;
        std::stable_sort(expected.begin(), expected.end(), [&](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
        for (std::size_t i = 0; i < keys.size(); ++i) ASSERT_EQ(records[i].value, expected[i]) << i;
    }
}

}  // namespace
