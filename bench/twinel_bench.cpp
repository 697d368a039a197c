// The pairing of a whole mesh at the sizes the performance targets name:
// constructing the pairing of a million-vertex jittered torus (vertices,
// faces, adjustment) against std::sort of its plane-distance keys in the
// same run, "Make Twinel" on the half torus, and do_sym after moving a few
// vertices, after adding one vertex and after removing one.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "bench/plane_key_sort.h"
#include "host/application.h"
#include "host/mesh_algorithms.h"
#include "host/mesh_generator.h"
#include "host/mesh_shape.h"
#include "host/scene.h"
#include "mesh/polygon_class.h"
#include "symmetry/twinel_class.h"

namespace {

// Neighbouring vertices of the million-vertex torus lie about 0.1 apart,
// five times the margin; the negative side is jittered by at most 0.004
// per coordinate (under 0.007 in all), well inside it.
host::torus_options jittered_torus(int vertices) {
    host::torus_options o;
    o.target_vertices = vertices;
    o.major_radius = 40.0f;
    o.minor_radius = 16.0f;
    o.jitter = 0.004f;
    return o;
}

Symmetry_class bench_settings() {
    Symmetry_class s;
    s.margin = 0.02f;
    s.verbose = false;
    return s;
}

// One application holding one mesh shape made from `data`.
struct mesh_scene {
    explicit mesh_scene(host::mesh_data data)
        : scene(app.new_scene()), shape(scene.add_mesh("torus", std::move(data))), polygon(&shape),
          original(shape.data()) {
        scene.clear_history();
    }
    void restore() { shape.edit_data() = original; }
    host::application app;
    host::scene& scene;
    host::mesh_shape& shape;
    Polygon_class polygon;
    host::mesh_data original;
};

void construct_pairing(benchmark::State& state) {
    mesh_scene t(host::make_torus(jittered_torus(static_cast<int>(state.range(0)))));
    std::unique_ptr<twinel_class> pairing;
    for (auto _ : state) {
        state.PauseTiming();
        pairing.reset();  // the release is not part of the construction
        t.restore();      // the jitter again
        state.ResumeTiming();
        pairing = std::make_unique<twinel_class>(t.polygon, bench_settings(), false);
    }
    const int unmatched = pairing->vertex_table.unmatched + pairing->face_table.unmatched;
    state.counters["vertices"] = static_cast<double>(t.original.vertex_count());
    state.counters["faces"] = static_cast<double>(t.original.face_count());
    state.counters["unmatched"] = unmatched;
}
BENCHMARK(construct_pairing)->Arg(1000000)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void sort_plane_keys(benchmark::State& state) {
    time_plane_key_sort(state, host::make_torus(jittered_torus(static_cast<int>(state.range(0)))));
}
BENCHMARK(sort_plane_keys)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// "Make Twinel": the mirrored half of the half torus, edges rebuilt.
void make_twinel_makeup(benchmark::State& state) {
    mesh_scene t(host::make_half_torus(jittered_torus(static_cast<int>(state.range(0)))));
    std::unique_ptr<twinel_class> pairing;
    for (auto _ : state) {
        state.PauseTiming();
        pairing.reset();
        t.restore();
        state.ResumeTiming();
        pairing = std::make_unique<twinel_class>(t.polygon, bench_settings(), true);
    }
    const int vertices = pairing->vertex_table.size();
    state.counters["half_vertices"] = static_cast<double>(t.original.vertex_count());
    state.counters["vertices"] = vertices;
}
BENCHMARK(make_twinel_makeup)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// A paired torus whose mesh and tables are put back before every run.
struct paired_torus : mesh_scene {
    explicit paired_torus(int vertices)
        : mesh_scene(host::make_torus(jittered_torus(vertices))), pairing(polygon, bench_settings(), false) {
        paired_data = shape.data();
        vertices_ = pairing.vertex_table;
        faces_ = pairing.face_table;
        edges_ = pairing.edge_count;
    }
    void reset() {
        shape.edit_data() = paired_data;
        pairing.vertex_table = vertices_;
        pairing.face_table = faces_;
        pairing.edge_count = edges_;
    }
    twinel_class pairing;
    host::mesh_data paired_data;
    Interconnection_class vertices_, faces_;
    int edges_ = 0;
};

// do_sym(false) after the user moved a few selected vertices (range 1).
void do_sym_moved(benchmark::State& state) {
    paired_torus t(static_cast<int>(state.range(0)));
    polygon_mesh_class& mesh = *t.polygon.mesh;
    const int n = mesh.get_number_of_vertices();
    std::vector<int> moved;
    for (int k = 0; k < state.range(1); ++k) moved.push_back((k + 1) * (n / 7) + 3);
    for (int v : moved) mesh.vertex(v).set_active(true);
    float shift = 0.0f;
    for (auto _ : state) {
        state.PauseTiming();
        shift += 0.001f;
        for (int v : moved) mesh.vertex(v).set_position(mesh.vertex(v).get_position() + vec3(0, shift, 0));
        state.ResumeTiming();
        t.pairing.do_sym(false);
    }
}
BENCHMARK(do_sym_moved)->Args({1000000, 5})->Unit(benchmark::kMillisecond)->MinTime(2.0);

// do_sym(false) after the user appended one vertex (range 1 = 1) or removed
// one (range 1 = 0): both tables are repaired, the partner is made or
// removed, and the selection is mirrored.
void do_sym_changed(benchmark::State& state) {
    paired_torus t(static_cast<int>(state.range(0)));
    polygon_mesh_class& mesh = *t.polygon.mesh;
    int vertices = 0, unmatched = -1;
    for (auto _ : state) {
        state.PauseTiming();
        t.reset();
        if (state.range(1) == 1)
            mesh.append_vertex(vec3(3.0f, 5.0f, 7.0f));
        else
            mesh.remove_vertex(mesh.get_number_of_vertices() / 3);
        state.ResumeTiming();
        t.pairing.do_sym(false);
        vertices = mesh.get_number_of_vertices();
        unmatched = t.pairing.vertex_table.unmatched + t.pairing.face_table.unmatched;
    }
    state.counters["vertices"] = vertices;
    state.counters["unmatched"] = unmatched;
}
BENCHMARK(do_sym_changed)->Args({1000000, 1})->Args({1000000, 0})->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The modify-mode "mirror the selection" without a pairing: every vertex
// off the plane of the jittered torus selected, each positive vertex taking
// the nearest free negative one, however far (the toolbar's way), and the
// negative side moved onto the mirrors.
void symmetrize_selection(benchmark::State& state) {
    mesh_scene t(host::make_torus(jittered_torus(static_cast<int>(state.range(0)))));
    polygon_mesh_class& mesh = *t.polygon.mesh;
    for (int v = 0; v < mesh.get_number_of_vertices(); ++v)
        if (mesh.vertex(v).get_position().x != 0.0f) mesh.vertex(v).set_active(true);
    t.original = t.shape.data();
    Symmetry_class settings = bench_settings();
    bool refused = false;
    for (auto _ : state) {
        state.PauseTiming();
        t.restore();
        state.ResumeTiming();
        refused = settings.symmetrize_active_vertices(&t.scene, t.polygon, true);
    }
    state.counters["selected"] = mesh.get_number_of_active_vertices();
    state.counters["refused"] = refused;
}
BENCHMARK(symmetrize_selection)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The face half of the construction: pairing the faces of the paired torus.
void make_faces_link(benchmark::State& state) {
    paired_torus t(static_cast<int>(state.range(0)));
    for (auto _ : state) t.pairing.make_faces_link();
    state.counters["unmatched"] = t.pairing.face_table.unmatched;
}
BENCHMARK(make_faces_link)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The pieces of those figures: the face table alone (after one removal),
// the host's edge rebuild of the whole torus and its removal of a vertex.
void repair_face_table(benchmark::State& state) {
    paired_torus t(static_cast<int>(state.range(0)));
    polygon_mesh_class& mesh = *t.polygon.mesh;
    mesh.remove_vertex(mesh.get_number_of_vertices() / 3);
    t.pairing.repair_vertices_link_with_span(1);
    t.pairing.delete_unmatch_vertices();
    const Interconnection_class faces = t.pairing.face_table;
    int unmatched = -1;
    for (auto _ : state) {
        state.PauseTiming();
        t.pairing.face_table = faces;
        state.ResumeTiming();
        unmatched = t.pairing.repair_faces_link_with_span(6);
    }
    state.counters["unmatched"] = unmatched;
}
BENCHMARK(repair_face_table)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void host_rebuild_edges(benchmark::State& state) {
    host::mesh_data mesh = host::make_torus(jittered_torus(static_cast<int>(state.range(0))));
    for (auto _ : state) host::rebuild_edges(mesh);
    state.counters["edges"] = mesh.edge_count();
}
BENCHMARK(host_rebuild_edges)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The host's removal of one vertex (and its four faces) from the torus.
void host_remove_vertex(benchmark::State& state) {
    mesh_scene t(host::make_torus(jittered_torus(static_cast<int>(state.range(0)))));
    polygon_mesh_class& mesh = *t.polygon.mesh;
    for (auto _ : state) {
        state.PauseTiming();
        t.restore();
        state.ResumeTiming();
        mesh.remove_vertex(mesh.get_number_of_vertices() / 3);
    }
}
BENCHMARK(host_remove_vertex)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
