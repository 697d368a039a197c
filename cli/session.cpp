#include "cli/session.h"

#include <filesystem>
#include <system_error>

#include <CLI/CLI.hpp>
#include <boost/format.hpp>

#include "cli/commands.h"
#include "cli/messages.h"
#include "cli/platform.h"
#include "host/line_shape.h"
#include "host/mesh_shape.h"
#include "host/part.h"
#include "host/scene.h"

namespace cli {

std::string plugin_path(const global_options& options) {
    if (!options.plugin.empty()) return options.plugin;
    return (executable_folder() / plugin_file_name()).string();
}

std::unique_ptr<host::application> open_host(const global_options& options) {
    host::language lang;
    try {
        lang = host::parse_language(options.lang);
    } catch (const std::invalid_argument& e) {
        throw command_error(e.what(), exit_usage);
    }
    auto app = std::make_unique<host::application>(lang);
    try {
        app->load_plugin(plugin_path(options));
    } catch (const std::exception& e) {
        throw command_error(e.what());
    }
    return app;
}

bool is_standard_stream(const std::string& path) { return path == "-"; }

std::FILE* progress_stream(std::initializer_list<std::string> outputs) {
    for (const std::string& output : outputs)
        if (is_standard_stream(output)) return stderr;
    return stdout;
}

void check_not_input(const std::string& input, const std::string& output) {
    if (is_standard_stream(input) || is_standard_stream(output)) return;
    // A device or a FIFO is never overwritten: reading and writing /dev/null
    // at once is no mistake.
    std::error_code ec;
    const auto in = std::filesystem::u8path(input), out = std::filesystem::u8path(output);
    if (std::filesystem::is_regular_file(in, ec) && std::filesystem::exists(out, ec) &&
        std::filesystem::equivalent(in, out, ec))
        throw command_error("refusing to overwrite the input file " + input + " (choose another output)",
                            exit_usage);
}

CLI::Validator existing_input() {
    // CLI::ExistingFile's check, with the path read as UTF-8 (CLI11 takes a
    // narrow path in the ANSI code page on Windows).
    return CLI::Validator(
        [](std::string& path) {
            if (is_standard_stream(path)) return std::string();
            std::error_code ec;
            const auto status = std::filesystem::status(std::filesystem::u8path(path), ec);
            if (ec || !std::filesystem::exists(status)) return "File does not exist: " + path;
            if (std::filesystem::is_directory(status)) return "File is actually a directory: " + path;
            return std::string();
        },
        "FILE|-");
}

void check_file_types(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        try {
            host::format_of_path(path);
        } catch (const host::file_error& e) {
            throw command_error(e.what(), exit_usage);
        }
    }
}

host::file_format output_format(const std::string& output, host::file_format input) {
    return host::format_of_path(output).value_or(input);
}

std::vector<host::mesh_shape*> scene_meshes(host::scene& scene) {
    std::vector<host::mesh_shape*> out;
    for (host::shape* s : scene.shapes_in_order())
        if (auto* m = dynamic_cast<host::mesh_shape*>(s)) out.push_back(m);
    return out;
}

namespace {

void print_warnings(std::FILE* notes, const host::file_warnings& warnings) {
    if (!notes) return;  // --quiet
    for (const std::string& w : warnings) std::fprintf(notes, "warning: %s\n", w.c_str());
}

}  // namespace

void read_scene(host::scene& scene, const std::string& input, host::file_format* found, std::FILE* notes) {
    host::file_warnings warnings;
    host::import_file(scene, input, found, &warnings);
    print_warnings(notes, warnings);
}

void write_scene(host::scene& scene, const std::string& output, host::file_format format, host::obj_uv_set uv_set,
                 std::FILE* progress) {
    if (format == host::file_format::obj) {
        // The root is shape 0 of the order and no mesh.
        std::size_t lines = 0;
        for (host::shape* s : scene.shapes_in_order()) lines += dynamic_cast<host::line_shape*>(s) ? 1 : 0;
        const std::size_t others = scene.shapes_in_order().size() - 1 - scene_meshes(scene).size() - lines;
        if (others > 0 && progress)
            std::fprintf(progress, "%s\n",
                         cli::format(own_text(scene.app(), "note: %s is an OBJ file, which keeps the polygon meshes and "
                                                      "lines only: %i other shapes are left out (a .json scene file "
                                                      "keeps them)"),
                                output, others).c_str());
    }
    host::file_warnings warnings;
    host::export_file(scene, {&scene.root()}, output, format, uv_set, &warnings);
    print_warnings(progress, warnings);
}

}  // namespace cli
