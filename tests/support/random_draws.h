// Seeded draws for the randomized tests: one seed, one sequence. Header
// only and free of the reference host, so host-free tests may use it.
#pragma once

#include <random>

namespace twinel_test {

class random_draws {
public:
    explicit random_draws(unsigned seed) : rng_(seed) {}

    float uniform(float a, float b) { return std::uniform_real_distribution<float>(a, b)(rng_); }
    // 0 to n - 1.
    int below(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
    // A multiple of `step` between -range and range steps, so that keys and
    // their differences hit margins and one another exactly.
    float lattice(float step, int range) { return step * static_cast<float>(below(2 * range + 1) - range); }

private:
    std::mt19937 rng_;
};

}  // namespace twinel_test
