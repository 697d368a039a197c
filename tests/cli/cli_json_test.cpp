// --json on the commands that take no mesh to change: generate, script and
// serve put only their JSON on standard output, their other lines on
// standard error.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/cli/cli_runner.h"

using twinel_test::quoted;
using twinel_test::read_file;
using twinel_test::run_twinel;
using twinel_test::temp_dir;
using twinel_test::write_file;

// `serve` is started and stopped with POSIX's process calls: on Windows its
// first line is not tested.
#ifndef _WIN32
namespace {

// Whether a server on this machine's `port` answers a request.
bool answers(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(static_cast<std::uint16_t>(port));
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const std::string request = "GET / HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    char c;
    const bool answered = ::connect(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 &&
                          ::write(fd, request.data(), request.size()) == static_cast<ssize_t>(request.size()) &&
                          ::read(fd, &c, 1) == 1;
    ::close(fd);
    return answered;
}

// The first line `twinel serve ARGS` prints on standard output, run in
// `folder`, its standard error going nowhere; the server is then stopped
// as Ctrl+C stops it. Its exit code goes to `code`.
std::string serve_first_line(const std::string& folder, const std::vector<std::string>& args, int& code) {
    int out[2];
    if (::pipe(out) != 0) return "";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        const int null = ::open("/dev/null", O_WRONLY);  // the human lines
        ::dup2(null, STDERR_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        if (::chdir(folder.c_str()) != 0) ::_exit(127);
        std::vector<char*> argv = {const_cast<char*>(TWINEL_CLI_PATH), const_cast<char*>("serve")};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(TWINEL_CLI_PATH, argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    std::string line;
    char c;
    while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
    // Stopped once it answers, not while it is still starting.
    try {
        answers(nlohmann::json::parse(line).at("port").get<int>());
    } catch (const std::exception&) {
    }
    ::kill(pid, SIGINT);
    std::string rest;
    while (::read(out[0], &c, 1) == 1) rest += c;
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return rest.empty() ? line : line + "\n" + rest;  // anything after the line is a fault
}

}  // namespace
#endif

TEST(cli_json, generate_script_and_serve_put_only_json_on_standard_output) {
    temp_dir tmp;
    // generate: the file, its shapes, and the counts of each mesh as the
    // file holds them.
    const auto generated = run_twinel("generate rig --json -o " + quoted(tmp.path("rig.json")));
    ASSERT_EQ(generated.exit_code, 0) << generated.err;
    const auto g = nlohmann::json::parse(generated.out);
    EXPECT_EQ(g["output"], tmp.path("rig.json"));
    EXPECT_EQ(g["kind"], "rig");
    EXPECT_NE(generated.err.find("rig: " + std::to_string(g["shapes"].get<int>()) + " shapes"), std::string::npos);
    const auto read = nlohmann::json::parse(
        run_twinel("convert --json " + quoted(tmp.path("rig.json")) + " -o " + quoted(tmp.path("c.json"))).out);
    ASSERT_EQ(g["meshes"].size(), read["shapes"].size());
    for (std::size_t i = 0; i < g["meshes"].size(); ++i)
        for (const char* key : {"name", "vertices", "faces"}) EXPECT_EQ(g["meshes"][i][key], read["shapes"][i][key]);
    EXPECT_EQ(run_twinel("generate torus --json -o -").exit_code, 2);

    // script: the lines run, the messages shown, the files written (a
    // `save` line's and the plug-in's UV template, whose type it named),
    // and the line that failed.
    write_file(tmp.path("uv_seam.obj"), read_file(std::string(TWINEL_SOURCE_DIR) + "/tests/scripts/uv_seam.obj"));
    write_file(tmp.path("s.twinel"), "open \"" + tmp.path("uv_seam.obj") + "\"" +
                                         "\nidle 300\nrefresh\ndialog 12 press\npath @seam\nanswer ok\npress uv_save\n"
                                         "expect message \"UV save finished.\"\nsave \"" +
                                         tmp.path("out.obj") + "\"\nexpect vertices 1\necho after\n");
    const auto scripted = run_twinel("script --json " + quoted(tmp.path("s.twinel")));
    EXPECT_EQ(scripted.exit_code, 1);
    const auto s = nlohmann::json::parse(scripted.out);
    EXPECT_EQ(s["lines_run"], 9);
    EXPECT_EQ(s["expectations_met"], 1);
    EXPECT_EQ(s["messages"], nlohmann::json::array({"UV save finished."}));
    EXPECT_EQ(s["files_written"], nlohmann::json::array({"@seam.png", tmp.path("out.obj")}));
    EXPECT_EQ(s["failure"]["line"], 10);
    EXPECT_NE(s["failure"]["message"].get<std::string>().find("the mesh has 6 vertices, not 1"), std::string::npos);
    EXPECT_NE(scripted.err.find("| UV save finished."), std::string::npos);  // the script's own lines
    EXPECT_EQ(scripted.err.find("after"), std::string::npos);

#ifndef _WIN32
    // serve: one JSON line with its address and settings when it starts.
    int code = -1;
    const std::string line = serve_first_line(tmp.path(""), {"uv_seam.obj", "--port", "0", "--json"}, code);
    EXPECT_EQ(code, 0);
    const auto v = nlohmann::json::parse(line);
    EXPECT_GT(v["port"].get<int>(), 0);
    EXPECT_EQ(v["url"], "http://127.0.0.1:" + std::to_string(v["port"].get<int>()) + "/");
    EXPECT_EQ(v["address"], "127.0.0.1");
    EXPECT_EQ(v["file"], "uv_seam.obj");
#endif
}
