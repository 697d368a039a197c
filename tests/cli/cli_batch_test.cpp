// Several inputs in one command: outputs named after the inputs in a
// folder, files in parallel, a failing file among good ones, the JSON
// result, --quiet and the usage errors found before any file is read.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include <nlohmann/json.hpp>

#include "tests/cli/cli_runner.h"

using twinel_test::quoted;
using twinel_test::read_file;
using twinel_test::run_twinel;
using twinel_test::temp_dir;
using twinel_test::write_file;
using twinel_test::example;

namespace fs = std::filesystem;

namespace {

// Four good tori and, third, a file that cannot be read.
struct batch_inputs {
    temp_dir tmp;
    std::vector<std::string> names = {"a.obj", "b.obj", "bad.obj", "c.obj", "d.obj"};
    std::string args;

    batch_inputs() {
        for (const std::string& name : names) {
            if (name == "bad.obj")
                write_file(tmp.path(name), "v 0 0 0\nf 1 2 3\n");
            else
                run_twinel("generate torus --vertices 300 --jitter 0.003 --seed " + std::to_string(name[0]) + " -o " +
                           quoted(tmp.path(name)));
            args += " " + quoted(tmp.path(name));
        }
    }
};

}  // namespace

TEST(cli_batch, a_failing_file_in_the_middle_stops_only_itself) {
    batch_inputs in;
    for (const char* jobs : {"1", "2"}) {
        const std::string out = in.tmp.path(std::string("out") + jobs + "/");
        const auto r = run_twinel("pair --jobs " + std::string(jobs) + " --json" + in.args + " -o " + quoted(out));
        EXPECT_EQ(r.exit_code, 1) << r.err;
        const auto result = nlohmann::json::parse(r.out);  // standard output holds only the JSON
        ASSERT_EQ(result["files"].size(), 5u);
        for (std::size_t i = 0; i < in.names.size(); ++i) {
            const auto& f = result["files"][i];
            const bool bad = in.names[i] == "bad.obj";
            EXPECT_EQ(f["input"], in.tmp.path(in.names[i]));
            EXPECT_EQ(f["output"], out + in.names[i]);
            EXPECT_EQ(f["exit_code"], bad ? 1 : 0);
            EXPECT_EQ(fs::exists(out + in.names[i]), !bad) << in.names[i];
            if (bad) {
                EXPECT_NE(f["error"].get<std::string>().find("bad.obj:2: vertex index 3 is out of range"), std::string::npos);
            } else {
                EXPECT_EQ(f["shapes"][0]["unpaired_vertices"], 0);
                EXPECT_TRUE(f["error"].is_null());
            }
        }
        EXPECT_EQ(result["summary"]["succeeded"], 4);
        EXPECT_EQ(result["summary"]["failed"], 1);
        // The human lines went to standard error, file by file in input
        // order, with the error in its place and the summary last.
        const auto wrote_b = r.err.find("wrote " + out + "b.obj"), error = r.err.find("bad.obj:2:"),
                   wrote_c = r.err.find("wrote " + out + "c.obj"), summary = r.err.find("5 files: 4 succeeded, 1 failed");
        EXPECT_LT(wrote_b, error) << r.err;
        EXPECT_LT(error, wrote_c) << r.err;
        EXPECT_LT(wrote_c, summary) << r.err;
        EXPECT_EQ(r.err.find('\r'), std::string::npos);  // no progress bar off a terminal
    }
    // The same outputs whatever the number of jobs.
    for (const char* name : {"a.obj", "d.obj"})
        EXPECT_EQ(read_file(in.tmp.path(std::string("out1/") + name)), read_file(in.tmp.path(std::string("out2/") + name)));

    // --quiet: nothing but the error.
    const auto quiet = run_twinel("check --quiet" + in.args);
    EXPECT_EQ(quiet.exit_code, 1);
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(quiet.err, "twinel: error: " + in.tmp.path("bad.obj") + ":2: vertex index 3 is out of range (1 vertices)\n");
    // Reading commands gate a batch too: the good tori are clean.
    const auto report = in.tmp.path("report.json");
    EXPECT_EQ(run_twinel("symmetry --quiet --report " + quoted(report) + in.args).exit_code, 1);
    const auto files = nlohmann::json::parse(read_file(report))["files"];
    EXPECT_EQ(files[0]["symmetric"], true);
    EXPECT_EQ(files[2]["exit_code"], 1);
}

TEST(cli_batch, a_missing_input_or_a_folder_among_good_ones_fails_alone) {
    temp_dir tmp;
    for (const char* name : {"a.obj", "b.obj"}) write_file(tmp.path(name), twinel_test::strip_obj);
    fs::create_directory(tmp.path("folder.obj"));
    const std::string args = " " + quoted(tmp.path("a.obj")) + " " + quoted(tmp.path("missing.obj")) + " " +
                             quoted(tmp.path("folder.obj")) + " " + quoted(tmp.path("b.obj"));
    for (const std::string& command : {"pair --json -o " + quoted(tmp.path("out/")), std::string("check --json")}) {
        const auto r = run_twinel(command + args);
        EXPECT_EQ(r.exit_code, 1) << command << "\n" << r.err;
        const auto files = nlohmann::json::parse(r.out)["files"];
        ASSERT_EQ(files.size(), 4u) << command;
        EXPECT_EQ(files[0]["exit_code"], 0) << command;
        EXPECT_EQ(files[1]["error"], tmp.path("missing.obj") + ": cannot open the file (No such file or directory)");
        EXPECT_EQ(files[2]["error"], tmp.path("folder.obj") + ": is a folder, not a file");
        EXPECT_EQ(files[3]["exit_code"], 0) << command;
        EXPECT_NE(r.err.find("4 files: 2 succeeded, 2 failed"), std::string::npos) << r.err;
    }
    EXPECT_TRUE(fs::exists(tmp.path("out/b.obj")));
    EXPECT_FALSE(fs::exists(tmp.path("out/missing.obj")));
}

TEST(cli_batch, usage_errors_are_found_before_any_file_is_written) {
    batch_inputs in;
    fs::create_directory(in.tmp.path("other"));
    fs::copy_file(in.tmp.path("a.obj"), in.tmp.path("other/a.obj"));
    const std::string a = quoted(in.tmp.path("a.obj")), b = quoted(in.tmp.path("b.obj"));
    const struct {
        std::string args, message;
    } cases[] = {
        {"pair " + a + " " + b + " -o " + quoted(in.tmp.path("one.obj")), "several inputs need a folder"},
        {"pair " + a + " " + quoted(in.tmp.path("other/a.obj")) + " -o " + quoted(in.tmp.path("o") + "/"),
         "would both be written to"},
        {"repair --all " + a + " " + b + " -o " + quoted(in.tmp.path("")), "refusing to overwrite the input file"},
        {"convert - - -o " + quoted(in.tmp.path("o") + "/"), "standard input (-) can be read only once"},
        {"pair --json " + a + " -o -", "cannot both go to standard output"},
    };
    for (const auto& c : cases) {
        const auto r = run_twinel(c.args);
        EXPECT_EQ(r.exit_code, 2) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
    }
    EXPECT_FALSE(fs::exists(in.tmp.path("o")));
    EXPECT_FALSE(fs::exists(in.tmp.path("one.obj")));
}

TEST(cli_batch, every_file_command_gives_its_result_as_json) {
    temp_dir tmp;
    const std::string broken = quoted(example("broken.obj")), out = quoted(tmp.path("o.obj"));
    const auto repaired = run_twinel("repair --all --json " + broken + " -o " + out);
    ASSERT_EQ(repaired.exit_code, 0) << repaired.err;
    const auto r = nlohmann::json::parse(repaired.out);
    EXPECT_EQ(r["shapes"][0]["removed_vertices"], 2);
    EXPECT_EQ(r["shapes"][0]["removed_faces"], 1);
    EXPECT_NE(r["messages"].dump().find("Reduced duplicated vertices: 2 removed."), std::string::npos);
    EXPECT_NE(repaired.err.find("wrote"), std::string::npos);

    const auto converted = nlohmann::json::parse(run_twinel("convert --json " + out + " -o " + quoted(tmp.path("c.json"))).out);
    EXPECT_EQ(converted["shapes"][0]["vertices"], 14);
    EXPECT_EQ(converted["output"], tmp.path("c.json"));

    const auto checked = run_twinel("check --json " + broken);
    EXPECT_EQ(checked.exit_code, 1);
    EXPECT_FALSE(nlohmann::json::parse(checked.out)["clean"].get<bool>());
    EXPECT_NE(checked.err.find("invalid faces"), std::string::npos);  // the table went to standard error

    // A name that is not UTF-8 (Latin-1 from an old exporter) is replaced
    // in the JSON, not a failure.
    const auto latin = tmp.path("latin.obj");
    write_file(latin, "o caf\xe9\nv -1 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    const auto named = run_twinel("pair --json " + quoted(latin) + " -o " + quoted(tmp.path("l.obj")));
    EXPECT_EQ(named.exit_code, 0) << named.err;
    EXPECT_EQ(nlohmann::json::parse(named.out)["shapes"][0]["name"], "caf\xEF\xBF\xBD");

    // --quiet leaves out the warnings of a file too.
    const auto points = tmp.path("points.obj");
    write_file(points, "v -1 0 0\nv 1 0 0\nv 0 1 0\np 1\nf 1 2 3\n");
    const auto quiet = run_twinel("pair --quiet " + quoted(points) + " -o " + quoted(tmp.path("q.obj")));
    EXPECT_EQ(quiet.exit_code, 0) << quiet.err;
    EXPECT_EQ(quiet.out + quiet.err, "");

    const auto half = tmp.path("half.obj");
    write_file(half, twinel_test::half_strip_obj);
    const auto made = nlohmann::json::parse(run_twinel("mirror-half --json " + quoted(half) + " -o " + out).out);
    EXPECT_EQ(made["shapes"][0]["added_vertices"], 2);
    EXPECT_EQ(made["shapes"][0]["added_faces"], 1);
}

TEST(cli_batch, a_file_gives_in_a_batch_what_it_gives_alone) {
    // With --jobs 1 one process runs the files one after another: a file
    // after one that the engine refused, one left with unpaired elements or
    // one whose skin and lines were mirrored must come out as it does in a
    // command of its own.
    temp_dir tmp;
    std::mt19937 random(16);
    const std::vector<std::string> kinds = {"torus", "half-torus", "soup", "rig", "broken"};
    std::vector<std::string> names;
    std::string all;
    for (int i = 0; i < 10; ++i) {
        const std::string kind = kinds[random() % kinds.size()];
        const std::string name = kind + std::to_string(i) + (kind == "rig" ? ".json" : ".obj");
        if (kind == "rig" || kind == "broken")
            fs::copy_file(example(kind == "rig" ? "rig.json" : "broken.obj"), tmp.path(name));
        else
            run_twinel("generate " + kind + " --vertices " + std::to_string(50 + random() % 400) +
                       " --jitter 0.003 --seed " + std::to_string(random() % 1000) + " -o " + quoted(tmp.path(name)));
        names.push_back(name);
        all += " " + quoted(tmp.path(name));
    }
    const std::string command = "pair --sym-skin --sym-lines --json ";
    const auto batch = run_twinel(command + "--jobs 1" + all + " -o " + quoted(tmp.path("batch/")));
    const auto files = nlohmann::json::parse(batch.out)["files"];
    ASSERT_EQ(files.size(), names.size());
    // What may differ: the output's folder and the times.
    const auto comparable = [](nlohmann::json j) {
        j.erase("output");
        j.erase("seconds");
        return j;
    };
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto alone = run_twinel(command + quoted(tmp.path(names[i])) + " -o " + quoted(tmp.path("alone/")));
        EXPECT_EQ(comparable(files[i]), comparable(nlohmann::json::parse(alone.out))) << names[i];
        const bool written = fs::exists(tmp.path("alone/" + names[i]));
        ASSERT_EQ(fs::exists(tmp.path("batch/" + names[i])), written) << names[i];
        if (written) {
            EXPECT_EQ(read_file(tmp.path("batch/" + names[i])), read_file(tmp.path("alone/" + names[i]))) << names[i];
        }
    }
}

// On Windows a batch runs its files in the command's own process: there is
// no process of a file's own to kill.
#ifndef _WIN32
namespace {

// The process, other than this one, that has `path` open; -1 when none.
pid_t process_reading(const std::string& path) {
    for (const auto& process : fs::directory_iterator("/proc")) {
        const std::string name = process.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos || std::stoi(name) == ::getpid()) continue;
        std::error_code ec;
        for (const auto& fd : fs::directory_iterator(process.path() / "fd", ec))
            if (fs::read_symlink(fd.path(), ec) == path) return std::stoi(name);
    }
    return -1;
}

// What `attempt` gives once it is not negative, trying every millisecond
// at most `tries` times.
template <class Attempt>
int retried(Attempt attempt, int tries) {
    int got = attempt();
    for (int k = 0; got < 0 && k < tries; ++k) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        got = attempt();
    }
    return got;
}

}  // namespace

TEST(cli_batch, a_file_whose_process_is_killed_fails_alone_and_the_next_files_run) {
    temp_dir tmp;
    for (const char* name : {"a.obj", "b.obj"}) write_file(tmp.path(name), twinel_test::strip_obj);
    const std::string fifo = tmp.path("fifo.obj");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    twinel_test::run_result r;
    std::thread command([&] {
        r = run_twinel("pair --jobs 1 --json " + quoted(tmp.path("a.obj")) + " " + quoted(fifo) + " " +
                       quoted(tmp.path("b.obj")) + " -o " + quoted(tmp.path("out/")));
    });
    // The open succeeds once the process that reads the FIFO is opening
    // it (not waited for without end, should the command never get there).
    const int writer = retried([&] { return ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK); }, 20000);
    if (writer < 0) {
        command.join();
        FAIL() << "nothing opened the FIFO: " << r.err;
    }
    const pid_t reader = retried([&] { return process_reading(fifo); }, 2000);
    EXPECT_GT(reader, 0);
    if (reader > 0) ::kill(reader, SIGKILL);
    ::close(writer);
    command.join();
    EXPECT_EQ(r.exit_code, 1) << r.err;
    const auto files = nlohmann::json::parse(r.out)["files"];
    EXPECT_EQ(files[0]["exit_code"], 0);
    EXPECT_EQ(files[1]["error"], fifo + ": stopped by signal 9 (Killed)");
    EXPECT_EQ(files[2]["exit_code"], 0);
    EXPECT_TRUE(fs::exists(tmp.path("out/b.obj")));
    EXPECT_FALSE(fs::exists(tmp.path("out/fifo.obj")));
}
#endif
