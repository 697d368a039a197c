// The reference the pairing benchmarks are measured against: std::sort of a
// mesh's plane-distance keys (|x|), the least work any pairing by distance
// from the plane has to do.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "host/mesh_data.h"

// Times the sort of `mesh`'s keys; the copy each run sorts is made outside
// the timed part.
inline void time_plane_key_sort(benchmark::State& state, const host::mesh_data& mesh) {
    std::vector<float> keys(mesh.positions.size()), work;
    for (std::size_t i = 0; i < keys.size(); ++i) keys[i] = std::fabs(mesh.positions[i].x);
    for (auto _ : state) {
        state.PauseTiming();
        work = keys;
        state.ResumeTiming();
        std::sort(work.begin(), work.end());
        benchmark::DoNotOptimize(work.data());
    }
    state.counters["keys"] = static_cast<double>(keys.size());
}
