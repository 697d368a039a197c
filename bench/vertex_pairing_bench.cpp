// Vertex pairing at the sizes the performance targets name: pairing a
// million-vertex jittered torus from scratch (against std::sort of its
// plane-distance keys in the same run), the sweep alone, and the vertex
// table's repair after one vertex was removed or added.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "bench/plane_key_sort.h"
#include "host/application.h"
#include "host/mesh_generator.h"
#include "host/mesh_shape.h"
#include "host/scene.h"
#include "mesh/polygon_class.h"
#include "symmetry/missing_vertex_pairs.h"
#include "symmetry/twinel_class.h"
#include "symmetry/vertex_sweep.h"

namespace {

constexpr float pairing_margin = 0.02f;

// A torus large enough that neighbouring vertices stay far apart (about
// 0.3) compared with the margin, with the negative side jittered by at most
// 0.005 per coordinate (under 0.009 in all), well inside the margin.
host::torus_options jittered_torus(int vertices) {
    host::torus_options o;
    o.target_vertices = vertices;
    o.major_radius = 100.0f;
    o.minor_radius = 40.0f;
    o.jitter = 0.005f;
    return o;
}

Symmetry_class bench_settings() {
    Symmetry_class s;
    s.margin = pairing_margin;
    s.verbose = false;
    return s;
}

// One application with the jittered torus as its only mesh.
struct torus_scene {
    explicit torus_scene(int vertices)
        : scene(app.new_scene()), shape(scene.add_mesh("torus", host::make_torus(jittered_torus(vertices)))),
          polygon(&shape), original(shape.data().positions) {}
    host::application app;
    host::scene& scene;
    host::mesh_shape& shape;
    Polygon_class polygon;
    std::vector<vec3> original;
};

void make_vertices_link(benchmark::State& state) {
    torus_scene t(static_cast<int>(state.range(0)));
    int unmatched = -1;
    for (auto _ : state) {
        state.PauseTiming();
        t.shape.edit_data().positions = t.original;  // the jitter again
        twinel_class pairing(t.polygon, bench_settings());
        state.ResumeTiming();
        if (pairing.make_vertices_link()) state.SkipWithError("pairing failed");
        unmatched = pairing.vertex_table.unmatched;
    }
    state.counters["vertices"] = static_cast<double>(t.original.size());
    state.counters["unmatched"] = unmatched;
}
BENCHMARK(make_vertices_link)->Arg(1000000)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void sort_plane_keys(benchmark::State& state) {
    time_plane_key_sort(state, host::make_torus(jittered_torus(static_cast<int>(state.range(0)))));
}
BENCHMARK(sort_plane_keys)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The two sweep passes alone, over positions already read.
void pair_sides_only(benchmark::State& state) {
    const host::mesh_data mesh = host::make_torus(jittered_torus(static_cast<int>(state.range(0))));
    const plane_split split = split_by_plane(mesh.positions, 0, 0.01f);
    int pairs = 0;
    for (auto _ : state) {
        const std::vector<int> partner = pair_sides(split.positive, split.negative, 0, pairing_margin, nullptr);
        pairs = static_cast<int>(std::count_if(partner.begin(), partner.end(), [](int p) { return p >= 0; }));
    }
    state.counters["pairs"] = pairs;
}
BENCHMARK(pair_sides_only)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// Sorting the vertices into the two sides and the on-plane list.
void split_sides(benchmark::State& state) {
    const host::mesh_data mesh = host::make_torus(jittered_torus(static_cast<int>(state.range(0))));
    for (auto _ : state) benchmark::DoNotOptimize(split_by_plane(mesh.positions, 0, 0.01f).positive.key.data());
}
BENCHMARK(split_sides)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// Repair of the vertex table of a paired mesh after the host removed one
// vertex (range 1 = 0) or appended one (range 1 = 1).
void repair_vertex_table(benchmark::State& state) {
    torus_scene t(static_cast<int>(state.range(0)));
    twinel_class pairing(t.polygon, bench_settings());
    if (pairing.make_vertices_link()) state.SkipWithError("pairing failed");
    const Interconnection_class paired = pairing.vertex_table;
    polygon_mesh_class& mesh = *t.polygon.mesh;
    if (state.range(1) == 0)
        mesh.remove_vertex(mesh.get_number_of_vertices() / 3);
    else
        mesh.append_vertex(vec3(3.0f, 5.0f, 7.0f));
    int unmatched = -1;
    for (auto _ : state) {
        state.PauseTiming();
        pairing.vertex_table = paired;
        state.ResumeTiming();
        unmatched = pairing.repair_vertices_link_with_span(1);
    }
    state.counters["unmatched"] = unmatched;
}
BENCHMARK(repair_vertex_table)->Args({1000000, 0})->Args({1000000, 1})->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The last step of a table repair when every partner was lost (the host
// renumbered the vertices beyond the span): the whole torus as the list of
// missing vertices, paired among themselves.
void pair_missing(benchmark::State& state) {
    torus_scene t(static_cast<int>(state.range(0)));
    std::vector<int> missing(t.original.size());
    for (std::size_t v = 0; v < missing.size(); ++v) missing[v] = static_cast<int>(v);
    Interconnection_class table;
    for (auto _ : state) {
        state.PauseTiming();
        table.resize(0);
        table.resize(static_cast<int>(t.original.size()));
        state.ResumeTiming();
        pair_missing_vertices(missing, t.original, bench_settings(), table);
    }
    state.counters["unmatched"] = table.unmatched;
}
BENCHMARK(pair_missing)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// Candidate partners of the one unpaired vertex left after a removal.
void proposals(benchmark::State& state) {
    torus_scene t(static_cast<int>(state.range(0)));
    twinel_class pairing(t.polygon, bench_settings());
    if (pairing.make_vertices_link()) state.SkipWithError("pairing failed");
    t.polygon.mesh->remove_vertex(t.polygon.mesh->get_number_of_vertices() / 3);
    pairing.repair_vertices_link_with_span(1);
    const int lonely = pairing.unmatch_vertex_index(-1);
    std::vector<int> out;
    for (auto _ : state) pairing.get_proposal_vertex_list(lonely, out);
    state.counters["proposed"] = static_cast<double>(out.size());
}
BENCHMARK(proposals)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
