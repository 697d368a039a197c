#include "tests/cli/cli_runner.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace twinel_test {

namespace {

// Runs `SOURCE twinel ARGS` in a shell, SOURCE being "COMMAND | " or empty
// (then standard input is empty), and captures what twinel prints.
run_result run(const std::string& source, const std::string& args) {
    temp_dir tmp;
    const std::string out = tmp.path("out"), err = tmp.path("err");
    const std::string command = source + "'" + TWINEL_CLI_PATH + "' " + args + " >'" + out + "' 2>'" + err + "'" +
                                (source.empty() ? " </dev/null" : "");
    const int status = std::system(command.c_str());
    run_result r;
    r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = read_file(out);
    r.err = read_file(err);
    return r;
}

}  // namespace

run_result run_twinel(const std::string& args) { return run("", args); }

run_result run_twinel_piped(const std::string& args, const std::string& input) {
    temp_dir tmp;
    write_file(tmp.path("in"), input);
    return run("cat '" + tmp.path("in") + "' | ", args);
}

temp_dir::temp_dir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "twinel-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    dir_ = pattern;
}

temp_dir::~temp_dir() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string example(const std::string& name) { return std::string(TWINEL_SOURCE_DIR) + "/examples/" + name; }

}  // namespace twinel_test
