// `twinel` with "-" for standard input and output, and with inputs that
// cannot seek: a pipe, a path to a pipe and a FIFO.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <fstream>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "tests/cli/cli_runner.h"

using twinel_test::quoted;
using twinel_test::read_file;
using twinel_test::run_twinel;
using twinel_test::run_twinel_piped;
using twinel_test::temp_dir;
using twinel_test::write_file;

namespace {

const std::string& strip = twinel_test::strip_obj;
const std::string& half_strip = twinel_test::half_strip_obj;

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace

TEST(cli_streams, dash_output_puts_the_file_on_stdout_and_the_progress_on_stderr) {
    temp_dir tmp;
    const std::string in = tmp.path("in.obj"), half = tmp.path("half.obj"), out = tmp.path("out.obj");
    write_file(in, strip);
    write_file(half, half_strip);
    for (const std::string& command : {"convert " + quoted(in), "repair --all " + quoted(in), "pair " + quoted(in),
                                       "mirror-half " + quoted(half), std::string("generate torus --vertices 50")}) {
        const auto to_file = run_twinel(command + " -o " + quoted(out));
        const auto to_stdout = run_twinel(command + " -o -");
        ASSERT_EQ(to_file.exit_code, 0) << command << "\n" << to_file.err;
        EXPECT_EQ(to_stdout.exit_code, 0) << command << "\n" << to_stdout.err;
        EXPECT_EQ(to_stdout.out, read_file(out)) << command;
        EXPECT_EQ(to_stdout.err, replaced(to_file.out, out, "-")) << command;
    }

    const auto report = run_twinel("pair " + quoted(in) + " -o " + quoted(out) + " --report -");
    ASSERT_EQ(report.exit_code, 0) << report.err;
    EXPECT_EQ(nlohmann::json::parse(report.out)["shapes"][0]["unpaired_vertices"], 0) << report.out;
    EXPECT_NE(report.err.find("wrote " + out), std::string::npos) << report.err;

    const auto both = run_twinel("pair " + quoted(in) + " -o - --report -");
    EXPECT_EQ(both.exit_code, 2);
    EXPECT_EQ(both.err, "twinel: error: the mesh and the report cannot both go to standard output (-)\n");
    EXPECT_TRUE(both.out.empty());
}

TEST(cli_streams, input_from_a_pipe_or_a_fifo_reads_like_the_file) {
    temp_dir tmp;
    const std::string text = "o strip\n" + strip;
    write_file(tmp.path("in.obj"), text);
    ASSERT_EQ(run_twinel("convert " + quoted(tmp.path("in.obj")) + " -o " + quoted(tmp.path("ref.obj"))).exit_code, 0);
    const std::string expected = read_file(tmp.path("ref.obj"));

    // "-" and a path to a pipe, as a shell's <(...) gives (POSIX only).
#ifdef _WIN32
    for (const char* input : {"-"}) {
#else
    for (const char* input : {"-", "/dev/stdin"}) {
#endif
        const auto r = run_twinel_piped(std::string("convert ") + input + " -o " + quoted(tmp.path("out.obj")), text);
        EXPECT_EQ(r.exit_code, 0) << input << "\n" << r.err;
        EXPECT_EQ(read_file(tmp.path("out.obj")), expected) << input;
    }
    const auto through = run_twinel_piped("convert - -o -", text);
    EXPECT_EQ(through.exit_code, 0) << through.err;
    EXPECT_EQ(through.out, expected);
    const auto checked = run_twinel_piped("check --json -", text);
    ASSERT_EQ(checked.exit_code, 0) << checked.err;
    EXPECT_EQ(nlohmann::json::parse(checked.out)["shapes"][0]["faces"], 2);
    // Standard input has no file name to give an unnamed object or an error.
    EXPECT_EQ(run_twinel_piped("convert - -o -", strip).out.substr(0, 8), "o stdin\n");
    const auto bad = run_twinel_piped("convert - -o " + quoted(tmp.path("bad.obj")), "f 1 2 3\n");
    EXPECT_EQ(bad.exit_code, 1);
    EXPECT_EQ(bad.err, "twinel: error: <stdin>:1: vertex index 3 is out of range (0 vertices)\n");

#ifndef _WIN32
    const std::string fifo = tmp.path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] { std::ofstream(fifo, std::ios::binary) << text; });  // opens once twinel does
    const auto r = run_twinel("convert " + quoted(fifo) + " -o " + quoted(tmp.path("fifo.obj")));
    // Should twinel not have opened the FIFO, this reader lets the writer finish.
    const int release = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    writer.join();
    ::close(release);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(read_file(tmp.path("fifo.obj")), expected);
#endif
    EXPECT_FALSE(std::ifstream(tmp.path("bad.obj")).good());
}
