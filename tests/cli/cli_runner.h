// Runs the built `twinel` command and captures what it prints.
#pragma once

#include <string>

namespace twinel_test {

// The strip of the session scripts, two quads symmetric about x = 0, and its
// x >= 0 half for "Make Twinel", as OBJ text.
inline const std::string strip_obj = "v -1 0 0\nv 0 0 0\nv 1 0 0\nv -1 1 0\nv 0 1 0\nv 1 1 0\nf 1 2 5 4\nf 2 3 6 5\n";
inline const std::string half_strip_obj = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nf 1 2 4 3\n";

struct run_result {
    int exit_code = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};

// `s` in single quotes, as one word of a shell command line (no single
// quote inside).
inline std::string quoted(const std::string& s) { return "'" + s + "'"; }

// Runs `twinel ARGS` (ARGS as one shell-quoted string) in a shell.
run_result run_twinel(const std::string& args);

// The same with `input` on standard input, through a pipe (which cannot
// seek).
run_result run_twinel_piped(const std::string& args, const std::string& input);

// A fresh empty folder for a test's files, removed at the end of the test.
class temp_dir {
public:
    temp_dir();
    ~temp_dir();
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;
    std::string path(const std::string& name) const { return dir_ + "/" + name; }

private:
    std::string dir_;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& text);
std::string example(const std::string& name);  // path of examples/<name>

}  // namespace twinel_test
