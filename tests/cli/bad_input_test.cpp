// The bad-input table of the README: each damaged or awkward input, and
// each output that cannot be written, through every command that reads or
// writes a mesh and through the reference host's import. A case that cannot
// be read or written ends with one line on stderr naming the file and the
// line or the value, and a documented exit code; no case leaves an output
// file, a temporary file or a changed input behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/mesh_shape.h"
#include "host/part.h"
#include "host/scene.h"
#include "host/io/scene_files.h"
#include "tests/cli/cli_runner.h"

namespace fs = std::filesystem;
using twinel_test::quoted;
using twinel_test::read_file;
using twinel_test::run_twinel;
using twinel_test::temp_dir;
using twinel_test::write_file;

namespace {

const std::string triangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
const std::string& strip = twinel_test::strip_obj;
const std::string& half_strip = twinel_test::half_strip_obj;

// Every command that reads a mesh file, with the output it writes (if any).
const std::vector<std::string> reading_commands = {"convert", "check", "repair --all", "pair", "mirror-half"};

std::string command_line(const std::string& command, const std::string& input, const std::string& output) {
    const bool writes = command != "check";
    return command + " " + quoted(input) + (writes ? " -o " + quoted(output) : "");
}

int lines_of(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

// Names of the files in a folder, sorted.
std::vector<std::string> listing(const std::string& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

struct unreadable_case {
    const char* name;
    std::string content;  // the input file's bytes
    int exit_code;
    std::string message;  // after "<file>:<line>: " (or "<file>: " for line 0)
    int line;
};

}  // namespace

TEST(bad_input, unreadable_files_fail_in_one_line_naming_file_and_line_and_write_nothing) {
    const std::string garbage("\x7f" "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0\x01\0\0\0", 24);
    const unreadable_case cases[] = {
        {"binary garbage", garbage, 1, "binary data (byte 0x02), not an OBJ text file", 1},
        {"face index out of range", triangle + "f 1 2 9\n", 1, "vertex index 9 is out of range (3 vertices)", 4},
        {"zero index", triangle + "f 1 0 2\n", 1, "vertex index 0 is not allowed (indices count from 1)", 4},
        {"negative index before the first vertex", triangle + "f -1 -2 -4\n", 1,
         "vertex index -4 is out of range (3 before this line)", 4},
        {"f line without corners", triangle + "f 1 2 3\nf\n", 1, "a face needs corners", 5},
        {"overflowing coordinate", "v 0 0 0\nv 1e39 0 0\n", 1, "'1e39' is not a number in the float range", 2},
    };
    int tried = 0;
    for (const unreadable_case& c : cases) {
        for (const std::string& command : reading_commands) {
            temp_dir tmp;
            const std::string in = tmp.path("in.obj"), out = tmp.path("out.obj");
            write_file(in, c.content);
            const auto r = run_twinel(command_line(command, in, out));
            const std::string context = std::string(c.name) + " / " + command;
            EXPECT_EQ(r.exit_code, c.exit_code) << context << "\n" << r.err;
            EXPECT_EQ(r.err, "twinel: error: " + in + ":" + std::to_string(c.line) + ": " + c.message + "\n")
                << context;
            EXPECT_EQ(listing(tmp.path("")), std::vector<std::string>{"in.obj"}) << context;
            EXPECT_EQ(read_file(in), c.content) << context;
            ++tried;
        }
        // The reference host: the same error, and the scene stays as it was.
        temp_dir tmp;
        write_file(tmp.path("in.obj"), c.content);
        host::application app;
        host::scene& scene = app.new_scene();
        try {
            host::import_obj(scene, tmp.path("in.obj"));
            ADD_FAILURE() << c.name << ": imported";
        } catch (const host::file_error& e) {
            EXPECT_EQ(e.line(), c.line) << c.name;
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.name;
        }
        EXPECT_EQ(scene.root().get_number_of_sons(), 0) << c.name;
        EXPECT_FALSE(scene.can_undo()) << c.name;
        ++tried;
    }
    EXPECT_EQ(tried, 36);
}

TEST(bad_input, a_missing_file_or_a_folder_is_a_usage_error_naming_it) {
    temp_dir tmp;
    const std::string missing = tmp.path("missing.obj"), folder = tmp.path("folder.obj");
    fs::create_directory(folder);
    for (const std::string& command : reading_commands) {
        const auto a = run_twinel(command_line(command, missing, tmp.path("out.obj")));
        EXPECT_EQ(a.exit_code, 2) << command;
        EXPECT_EQ(lines_of(a.err), 1) << a.err;
        EXPECT_NE(a.err.find("File does not exist: " + missing), std::string::npos) << a.err;
        const auto b = run_twinel(command_line(command, folder, tmp.path("out.obj")));
        EXPECT_EQ(b.exit_code, 2) << command;
        EXPECT_EQ(lines_of(b.err), 1) << b.err;
        EXPECT_NE(b.err.find(folder), std::string::npos) << b.err;
        EXPECT_NE(b.err.find("directory"), std::string::npos) << b.err;
    }
    EXPECT_EQ(listing(tmp.path("")), std::vector<std::string>{"folder.obj"});
    EXPECT_TRUE(fs::is_empty(folder));
    // The host's own reader says the same for either.
    host::application app;
    host::scene& scene = app.new_scene();
    EXPECT_THROW(host::import_obj(scene, missing), host::file_error);
    try {
        host::import_obj(scene, folder);
        ADD_FAILURE() << "a folder was imported";
    } catch (const host::file_error& e) {
        EXPECT_EQ(std::string(e.what()), folder + ": is a folder, not a file");
    }
}

TEST(bad_input, unwritable_outputs_fail_in_one_line_and_leave_nothing_behind) {
    temp_dir tmp;
    const std::string in = tmp.path("in.obj"), half = tmp.path("half.obj");
    write_file(in, strip);
    write_file(half, half_strip);
    fs::create_directory(tmp.path("taken"));
    write_file(tmp.path("taken/keep"), "x");
    const struct {
        const char* name;
        std::string output;
        std::string message;
    } outputs[] = {
        {"folder that does not exist", tmp.path("no/such/out.obj"),
         "cannot create a file in its folder (No such file or directory)"},
        {"folder that is a file", tmp.path("in.obj/out.obj"), "cannot create a file in its folder (Not a directory)"},
        {"path of a folder", tmp.path("taken"), "cannot replace the file (Is a directory)"},
    };
    const std::vector<std::string> writing_commands = {"convert", "repair --all", "pair", "mirror-half"};
    for (const auto& o : outputs) {
        for (const std::string& command : writing_commands) {
            const auto r = run_twinel(command_line(command, command == "mirror-half" ? half : in, o.output));
            const std::string context = std::string(o.name) + " / " + command;
            EXPECT_EQ(r.exit_code, 1) << context << "\n" << r.err;
            EXPECT_EQ(r.err, "twinel: error: " + o.output + ": " + o.message + "\n") << context;
        }
        const auto g = run_twinel("generate torus --vertices 50 -o " + quoted(o.output));
        EXPECT_EQ(g.exit_code, 1) << o.name;
        EXPECT_EQ(g.err, "twinel: error: " + o.output + ": " + o.message + "\n") << o.name;
    }
    EXPECT_EQ(listing(tmp.path("")), (std::vector<std::string>{"half.obj", "in.obj", "taken"}));
    EXPECT_EQ(listing(tmp.path("taken")), std::vector<std::string>{"keep"});
    EXPECT_EQ(read_file(in), strip);
}

TEST(bad_input, an_output_that_is_the_input_under_any_name_is_refused) {
    temp_dir tmp;
    const std::string in = tmp.path("in.obj");
    write_file(in, strip);
    fs::create_hard_link(in, tmp.path("hard.obj"));
    std::vector<std::string> outputs = {in, tmp.path("./in.obj"), tmp.path("hard.obj")};
    std::vector<std::string> names = {"hard.obj", "in.obj"};
    // Windows makes symbolic links only with a privilege a test may lack.
    std::error_code no_link;
    fs::create_symlink(in, tmp.path("link.obj"), no_link);
#ifndef _WIN32
    ASSERT_FALSE(no_link) << no_link.message();
#endif
    if (!no_link) {
        outputs.push_back(tmp.path("link.obj"));
        names.push_back("link.obj");
    }
    for (const char* command : {"convert", "repair --all", "pair", "mirror-half"}) {
        for (const std::string& output : outputs) {
            const auto r = run_twinel(command_line(command, in, output));
            EXPECT_EQ(r.exit_code, 2) << command << " " << output;
            EXPECT_EQ(r.err, "twinel: error: refusing to overwrite the input file " + in + " (choose another output)\n")
                << command;
        }
    }
    EXPECT_EQ(read_file(in), strip);
    EXPECT_EQ(listing(tmp.path("")), names);
}

TEST(bad_input, awkward_but_readable_files_are_imported_as_they_are) {
    std::string big_face = "f";
    std::string big_vertices;
    for (int i = 0; i < 100000; ++i) {
        big_vertices += "v " + std::to_string(i % 317) + " " + std::to_string(i / 317) + " 0\n";
        big_face += " " + std::to_string(i + 1);
    }
    const struct {
        const char* name;
        std::string content;
        int vertices, faces;
        int check_exit;  // check gates on invalid and over-four faces
    } cases[] = {
        {"empty file", "", 0, 0, 0},
        {"object without faces", "o cloud\nv 0 0 0\nv 1 0 0\nv 0 1 0\n", 3, 0, 0},
        {"faces of one and two corners", triangle + "f 1\nf 1 2\nf 1 2 3\n", 3, 3, 1},
        {"face of 100000 corners", big_vertices + big_face + "\n", 100000, 1, 1},
    };
    for (const auto& c : cases) {
        temp_dir tmp;
        const std::string in = tmp.path("in.obj");
        write_file(in, c.content);
        const auto converted = run_twinel(command_line("convert", in, tmp.path("out.obj")));
        ASSERT_EQ(converted.exit_code, 0) << c.name << "\n" << converted.err;
        EXPECT_NE(converted.out.find(" " + std::to_string(c.vertices) + " vertices"), std::string::npos)
            << c.name << "\n" << converted.out;
        EXPECT_NE(converted.out.find(" " + std::to_string(c.faces) + " faces"), std::string::npos) << c.name;
        // What was written reads back to the same text.
        const auto again = run_twinel(command_line("convert", tmp.path("out.obj"), tmp.path("again.obj")));
        EXPECT_EQ(again.exit_code, 0) << c.name;
        EXPECT_EQ(read_file(tmp.path("again.obj")).substr(read_file(tmp.path("again.obj")).find('\n')),
                  read_file(tmp.path("out.obj")).substr(read_file(tmp.path("out.obj")).find('\n')))
            << c.name;
        EXPECT_EQ(run_twinel(command_line("check", in, "")).exit_code, c.check_exit) << c.name;
        EXPECT_EQ(read_file(in), c.content) << c.name;
    }
}

TEST(bad_input, nan_and_infinite_coordinates_reach_the_engine_as_they_are) {
    // The strip with one vertex of each side made non-finite.
    const struct {
        const char* name;
        std::string content;
        const char* written;  // a line of the converted file
    } cases[] = {
        {"NaN", "v nan 0 0\nv 0 0 0\nv 1 0 0\nv -1 1 0\nv 0 1 0\nv 1 1 NaN\nf 1 2 5 4\nf 2 3 6 5\n", "v nan 0 0\n"},
        {"infinity", "v -inf 0 0\nv 0 0 0\nv 1 0 0\nv -1 1 0\nv 0 Inf 0\nv 1 1 0\nf 1 2 5 4\nf 2 3 6 5\n",
         "v -inf 0 0\n"},
    };
    for (const auto& c : cases) {
        temp_dir tmp;
        const std::string in = tmp.path("in.obj");
        write_file(in, c.content);
        const auto converted = run_twinel(command_line("convert", in, tmp.path("c.obj")));
        ASSERT_EQ(converted.exit_code, 0) << c.name << converted.err;
        EXPECT_NE(read_file(tmp.path("c.obj")).find(c.written), std::string::npos) << read_file(tmp.path("c.obj"));
        EXPECT_EQ(run_twinel(command_line("check", in, "")).exit_code, 0) << c.name;
        EXPECT_EQ(run_twinel(command_line("repair --all", in, tmp.path("r.obj"))).exit_code, 0) << c.name;
        // Pairing either succeeds or reports the engine's own message; it
        // never crashes, and it writes a file only on success.
        for (const char* command : {"pair", "pair --base average", "pair --no-adjust", "mirror-half"}) {
            const std::string out = tmp.path("p.obj");
            fs::remove(out);
            const auto r = run_twinel(command_line(command, in, out));
            EXPECT_TRUE(r.exit_code == 0 || r.exit_code == 1) << c.name << " / " << command << ": " << r.err;
            EXPECT_EQ(fs::exists(out), r.exit_code == 0) << c.name << " / " << command;
            if (r.exit_code == 1) {
                EXPECT_NE(r.err.find("no output written: a shape could not be paired"), std::string::npos) << r.err;
            }
        }
        EXPECT_EQ(read_file(in), c.content);
    }
}
