#include "symmetry/radix_sort.h"

#include <array>
#include <utility>

namespace {

constexpr int digit_bits = 11;
constexpr std::uint32_t digit_mask = (1u << digit_bits) - 1;

}  // namespace

void radix_sort(std::vector<radix_record>& records, std::vector<radix_record>& scratch) {
    const std::size_t n = records.size();
    if (n < 2) return;
    scratch.resize(n);
    std::array<std::size_t, std::size_t{1} << digit_bits> count;
    for (int shift = 0; shift < 32; shift += digit_bits) {
        count.fill(0);
        for (const radix_record& r : records) ++count[(r.key >> shift) & digit_mask];
        // A digit that every key shares leaves the order as it is.
        if (count[(records[0].key >> shift) & digit_mask] == n) continue;
        std::size_t sum = 0;
        for (std::size_t& c : count) sum += std::exchange(c, sum);
        for (const radix_record& r : records) scratch[count[(r.key >> shift) & digit_mask]++] = r;
        records.swap(scratch);
    }
}
