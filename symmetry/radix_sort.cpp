#include "symmetry/radix_sort.h"

#include <array>
#include <utility>

namespace {

constexpr int digit_bits = 11;
constexpr std::size_t buckets = std::size_t{1} << digit_bits;

}  // namespace

void radix_sort(std::vector<radix_record>& records, int key_bits, std::vector<radix_record>& scratch) {
    const std::size_t n = records.size();
    if (n < 2) return;
    scratch.resize(n);
    std::array<std::size_t, buckets> count;
    for (int shift = 0; shift < key_bits; shift += digit_bits) {
        count.fill(0);
        for (const radix_record& r : records) ++count[(r.key >> shift) & (buckets - 1)];
        // A digit that every key shares leaves the order as it is.
        if (count[(records[0].key >> shift) & (buckets - 1)] == n) continue;
        std::size_t sum = 0;
        for (std::size_t& c : count) sum += std::exchange(c, sum);
        for (const radix_record& r : records) scratch[count[(r.key >> shift) & (buckets - 1)]++] = r;
        records.swap(scratch);
    }
}
