// The mesh analyses of Polygon_class on a closed quad torus of about a
// million vertices: the overlapped-face search, the three-connected-face
// search and the over-four-corner search, each alone over a mesh already in
// the scene, and all three after an OBJ import (read the file, put the mesh
// into a scene, analyse).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "host/application.h"
#include "host/mesh_algorithms.h"
#include "host/mesh_generator.h"
#include "host/mesh_shape.h"
#include "host/io/obj_format.h"
#include "host/scene.h"
#include "mesh/polygon_class.h"

namespace {

host::mesh_data torus(const benchmark::State& state) {
    host::torus_options options;
    options.target_vertices = static_cast<int>(state.range(0));
    return host::make_torus(options);
}

// One application with one scene holding the mesh, and the plug-in's handle.
struct analysed_mesh {
    explicit analysed_mesh(host::mesh_data data)
        : app(std::make_unique<host::application>()),
          shape(&app->new_scene().add_mesh("torus", std::move(data))),
          polygon(shape) {}
    std::unique_ptr<host::application> app;
    host::mesh_shape* shape;
    Polygon_class polygon;
};

void set_counters(benchmark::State& state, const host::mesh_data& mesh) {
    state.counters["vertices"] = mesh.vertex_count();
    state.counters["faces"] = mesh.face_count();
}

void redundant_faces(benchmark::State& state) {
    analysed_mesh m(torus(state));
    std::vector<int> faces;
    for (auto _ : state) {
        m.polygon.get_redundant_faces(faces);
        benchmark::DoNotOptimize(faces.data());
    }
    set_counters(state, m.shape->data());
    state.counters["found"] = static_cast<double>(faces.size());
}
BENCHMARK(redundant_faces)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void trident_faces(benchmark::State& state) {
    analysed_mesh m(torus(state));
    std::vector<int> faces, edges;
    for (auto _ : state) {
        m.polygon.get_trident_faces(faces, edges);
        benchmark::DoNotOptimize(faces.data());
    }
    set_counters(state, m.shape->data());
    state.counters["found"] = static_cast<double>(faces.size());
}
BENCHMARK(trident_faces)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void over4_faces(benchmark::State& state) {
    analysed_mesh m(torus(state));
    std::vector<int> faces;
    for (auto _ : state) benchmark::DoNotOptimize(m.polygon.get_over4_faces(faces));
    set_counters(state, m.shape->data());
}
BENCHMARK(over4_faces)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// "Select shortest distance vertices pair" (find_first_near_vertices_pair)
// on the torus (range 1 = 0), on a flat grid turned into the plane x = 0,
// where every vertex shares one x (1), and on the torus's polygon soup,
// where every position is there four times (2).
void nearest_vertices_pair(benchmark::State& state) {
    host::mesh_data data = torus(state);
    if (state.range(1) == 1) {
        data = host::make_grid(static_cast<int>(state.range(0)), 100.0f, false);
        for (vec3& p : data.positions) std::swap(p.x, p.y);
    } else if (state.range(1) == 2) {
        data = host::make_polygon_soup(data);
    }
    analysed_mesh m(std::move(data));
    Polygon_class::vertices_pair pair;
    for (auto _ : state) pair = m.polygon.find_first_near_vertices_pair();
    set_counters(state, m.shape->data());
    state.counters["distance"] = pair.distance;
}
BENCHMARK(nearest_vertices_pair)
    ->Args({1000000, 0})
    ->Args({1000000, 1})
    ->Args({1000000, 2})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

// A closed disc of triangles around one centre vertex: the centre's face
// list holds every face, which the searches must not compare pair by pair.
host::mesh_data fan(int triangles) {
    host::mesh_data d;
    d.add_vertex(vec3(0.0f, 0.0f, 0.0f));
    for (int k = 0; k < triangles; ++k) d.add_vertex(vec3(static_cast<float>(k), 1.0f, 0.0f));
    for (int k = 0; k < triangles; ++k) {
        const int corners[3] = {0, 1 + k, 1 + (k + 1) % triangles};
        d.add_face(3, corners);
    }
    host::rebuild_edges(d);
    return d;
}

void fan_analyses(benchmark::State& state) {
    analysed_mesh m(fan(static_cast<int>(state.range(0))));
    std::vector<int> faces, edges;
    for (auto _ : state) {
        m.polygon.get_redundant_faces(faces);
        m.polygon.get_trident_faces(faces, edges);
    }
    set_counters(state, m.shape->data());
}
BENCHMARK(fan_analyses)->Arg(100000)->Unit(benchmark::kMillisecond);

// End to end: OBJ import, the mesh into a scene, and the three analyses.
void import_and_analyse(benchmark::State& state) {
    const std::string file = (std::filesystem::temp_directory_path() /
                              ("twinel_bench_" + std::to_string(::getpid()) + "_analysis.obj"))
                                 .string();
    {
        const host::mesh_data mesh = torus(state);
        host::write_obj(file, {{"torus", &mesh}});
        set_counters(state, mesh);
    }
    std::vector<int> faces, edges;
    for (auto _ : state) {
        std::vector<host::obj_object> objects = host::read_obj(file);
        analysed_mesh m(std::move(objects.at(0).mesh));
        m.polygon.get_redundant_faces(faces);
        m.polygon.get_trident_faces(faces, edges);
        benchmark::DoNotOptimize(m.polygon.get_over4_faces(faces));
    }
    std::remove(file.c_str());
}
BENCHMARK(import_and_analyse)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
