// The host mesh operations at the sizes the performance targets name:
// vertex reduction of a 4-million-corner polygon soup, face-direction
// adjustment of a million-vertex mesh with 30 % of its faces reversed, and
// OBJ import (and export) of a million-vertex closed quad mesh.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "host/mesh_algorithms.h"
#include "host/mesh_generator.h"
#include "host/io/obj_format.h"
#include "cli/allocator_settings.h"

namespace {

host::mesh_data torus(benchmark::State& state, bool uvs) {
    host::torus_options options;
    options.target_vertices = static_cast<int>(state.range(0));
    options.uvs = uvs;
    return host::make_torus(options);
}

std::string bench_file(const char* what) {
    return (std::filesystem::temp_directory_path() /
            ("twinel_bench_" + std::to_string(::getpid()) + "_" + what + ".obj"))
        .string();
}

void reduce_polygon_soup(benchmark::State& state) {
    const host::mesh_data soup = host::make_polygon_soup(torus(state, false));
    host::mesh_data mesh;
    int removed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        mesh = soup;
        state.ResumeTiming();
        removed = host::reduce_duplicated_vertices(mesh);
    }
    state.counters["corners"] = static_cast<double>(soup.corner_vertex.size());
    state.counters["vertices_after"] = mesh.vertex_count();
    state.counters["removed"] = removed;
}
BENCHMARK(reduce_polygon_soup)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void adjust_face_directions(benchmark::State& state) {
    host::mesh_data reversed = torus(state, true);
    host::reverse_random_faces(reversed, 0.3, 1);
    host::mesh_data mesh;
    int flipped = 0;
    for (auto _ : state) {
        state.PauseTiming();
        mesh = reversed;
        state.ResumeTiming();
        flipped = host::adjust_face_directions(mesh);
    }
    state.counters["vertices"] = reversed.vertex_count();
    state.counters["flipped"] = flipped;
}
BENCHMARK(adjust_face_directions)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void read_obj(benchmark::State& state) {
    const std::string file = bench_file("read");
    {
        const host::mesh_data mesh = torus(state, true);
        host::write_obj(file, {{"torus", &mesh}});
    }
    for (auto _ : state) benchmark::DoNotOptimize(host::read_obj(file));
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
    std::remove(file.c_str());
}
BENCHMARK(read_obj)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

void write_obj(benchmark::State& state) {
    const std::string file = bench_file("write");
    const host::mesh_data mesh = torus(state, true);
    // A new file each time, as a pipeline writes its outputs (a file that
    // replaces another waits for the disk first).
    for (auto _ : state) {
        state.PauseTiming();
        std::remove(file.c_str());
        state.ResumeTiming();
        host::write_obj(file, {{"torus", &mesh}});
    }
    std::remove(file.c_str());
}
BENCHMARK(write_obj)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

// Import followed by the host-side analysis a repair pass runs: duplicate
// reduction, a direction check, a side index for edge lookups, normals.
void import_and_analyse(benchmark::State& state) {
    const std::string file = bench_file("import");
    {
        const host::mesh_data mesh = torus(state, false);
        host::write_obj(file, {{"torus", &mesh}});
    }
    for (auto _ : state) {
        auto objects = host::read_obj(file);
        host::mesh_data& mesh = objects.at(0).mesh;
        benchmark::DoNotOptimize(host::reduce_duplicated_vertices(mesh));
        if (!host::check_face_directions(mesh)) host::adjust_face_directions(mesh);
        const host::side_index sides(mesh);
        benchmark::DoNotOptimize(sides.face_with_side(0, 1));
        host::compute_vertex_normals(mesh);
    }
    std::remove(file.c_str());
}
BENCHMARK(import_and_analyse)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

// The heap as the twinel command sets it up, so that reading and writing
// are timed as a user's command runs them.
int main(int argc, char** argv) {
    cli::tune_allocator();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
