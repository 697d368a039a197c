// What every `twinel` command shares: the global options, the reference host
// with the plug-in loaded, and the conventions for errors and exit codes.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/io/scene_files.h"

namespace host {
class mesh_shape;
class scene;
}  // namespace host

namespace cli {

enum exit_code : int { exit_ok = 0, exit_failure = 1, exit_usage = 2 };

struct global_options {
    std::string lang = "en";
    std::string plugin;  // empty: twinel.so beside the executable
};

// A failure the command reports in one line on stderr, with its exit code.
class command_error : public std::runtime_error {
public:
    explicit command_error(const std::string& what, int code = exit_failure)
        : std::runtime_error(what), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

// The plug-in library to load: the given path, or twinel.so beside the
// running executable.
std::string plugin_path(const global_options& options);

// The reference host in the chosen language with the plug-in loaded (its
// resources give the texts). Throws command_error when it cannot be loaded.
std::unique_ptr<host::application> open_host(const global_options& options);

// Whether `path` is "-", which means standard input as an input and
// standard output as an output.
bool is_standard_stream(const std::string& path);

// Where a command prints its progress lines: standard output, or standard
// error when one of `outputs` is standard output (so that the file written
// there stays clean).
std::FILE* progress_stream(std::initializer_list<std::string> outputs);

// Refuses to write `output` over `input` when the input is a regular file
// and the output the same file under any name. Standard input and output
// ("-") never count as the same file: the input is read to its end before
// anything is written.
void check_not_input(const std::string& input, const std::string& output);

// Checks the file names of a command before anything is read or written:
// each must end in .obj or .json (any case) or have no extension ("-", a
// device, a FIFO). Throws command_error (bad usage) naming the first that
// does not.
void check_file_types(const std::vector<std::string>& paths);

// The format `output` is written in: its extension's, or the input's
// format when it has none ("-" and the like).
host::file_format output_format(const std::string& output, host::file_format input);

// The polygon meshes of the scene's tree, in scene order.
std::vector<host::mesh_shape*> scene_meshes(host::scene& scene);

// Reads `input` into the scene (host::import_file); each thing the file
// held that the scene cannot keep is named in a "warning:" line on `notes`
// (null: nowhere).
void read_scene(host::scene& scene, const std::string& input, host::file_format* found, std::FILE* notes);

// Writes every shape of the scene to `output` in `format`. An OBJ file
// keeps only the polygon meshes and the lines: when the scene holds other
// shapes, a note on `progress` says how many were left out, and each kind
// of data the file cannot hold is named in a "warning:" line (`progress`
// null: nowhere).
void write_scene(host::scene& scene, const std::string& output, host::file_format format, host::obj_uv_set uv_set,
                 std::FILE* progress);

}  // namespace cli
