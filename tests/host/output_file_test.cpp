// host::output_file on each kind of target: the target gets the bytes and
// stays what it was (a link a link, a FIFO a FIFO, a file its mode), and a
// failed or unfinished output leaves no temporary file behind.
#include "host/io/output_file.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <stdexcept>
#include <sstream>
#include <string>
#include <vector>

#include "host/io/file_error.h"

namespace fs = std::filesystem;

namespace {

// A fresh, empty folder named after the running test.
fs::path test_folder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const fs::path dir = fs::path(::testing::TempDir()) / ("output_file_" + std::string(info->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::string read_text(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Every name in the folder and below it, sorted; links are not followed.
std::vector<std::string> listing(const fs::path& dir, const fs::path& prefix = fs::path()) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) {
        const fs::path name = prefix / e.path().filename();
        out.push_back(name.generic_string());
        if (fs::is_directory(e.symlink_status())) {
            const auto below = listing(e.path(), name);
            out.insert(out.end(), below.begin(), below.end());
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

// Links, modes, FIFOs, sockets and privileges are POSIX's: on Windows only
// the ordered blocks below are tested.
#ifndef _WIN32
namespace {

void write_text(const fs::path& file, const std::string& text, mode_t mode = 0644) {
    std::ofstream(file, std::ios::binary) << text;
    fs::permissions(file, static_cast<fs::perms>(mode));
}

void write_whole(const std::string& path, const std::string& text) {
    host::output_file out(path);
    out.write(text);
    out.commit();
}

mode_t mode_of(const fs::path& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Runs `fn` as a user without privileges: a superuser writes into any
// folder, whatever its mode. Returns what `fn` returns.
int unprivileged(const std::function<int()>& fn) {
    if (::geteuid() != 0) return fn();
    const pid_t child = ::fork();
    if (child == 0) {
        constexpr uid_t nobody = 65534;
        _exit(::setgid(nobody) == 0 && ::setuid(nobody) == 0 ? fn() : 99);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

}  // namespace

TEST(output_file, a_file_or_the_file_a_link_ends_at_is_replaced_keeping_its_mode) {
    const fs::path dir = test_folder();
    fs::create_directory(dir / "sub");
    const mode_t umask_now = ::umask(0);
    ::umask(umask_now);
    write_text(dir / "private.obj", "old\n", 0600);
    write_text(dir / "shared.obj", "old\n", 0640);
    write_text(dir / "sub" / "deep.obj", "old\n", 0604);
    fs::create_symlink("shared.obj", dir / "link.obj");
    fs::create_symlink("sub/next.obj", dir / "chain.obj");          // relative to its folder
    fs::create_symlink(dir / "sub" / "deep.obj", dir / "sub" / "next.obj");  // absolute
    fs::create_symlink("sub/created.obj", dir / "dangling.obj");
    const struct {
        const char* output;    // what is written
        const char* receiver;  // the regular file that gets the bytes
        mode_t mode;
    } cases[] = {
        {"new.obj", "new.obj", 0666 & ~umask_now},
        {"private.obj", "private.obj", 0600},
        {"link.obj", "shared.obj", 0640},
        {"chain.obj", "sub/deep.obj", 0604},
        {"dangling.obj", "sub/created.obj", 0666 & ~umask_now},
    };
    for (const auto& c : cases) {
        const std::string text = std::string("written through ") + c.output + "\n";
        write_whole((dir / c.output).string(), text);
        EXPECT_EQ(read_text(dir / c.receiver), text) << c.output;
        EXPECT_EQ(mode_of(dir / c.receiver), c.mode) << c.output;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / c.receiver))) << c.output;
    }
    for (const char* link : {"link.obj", "chain.obj", "sub/next.obj", "dangling.obj"})
        EXPECT_TRUE(fs::is_symlink(dir / link)) << link;
    EXPECT_EQ(listing(dir), (std::vector<std::string>{"chain.obj", "dangling.obj", "link.obj", "new.obj",
                                                      "private.obj", "shared.obj", "sub", "sub/created.obj",
                                                      "sub/deep.obj", "sub/next.obj"}));
}

TEST(output_file, a_fifo_a_socket_and_standard_output_are_written_directly) {
    const fs::path dir = test_folder();
    const std::string text = "v 0 0 0\n";
    // FIFO: our own reader end lets the writer open; the bytes fit the pipe.
    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    write_whole(fifo.string(), text);
    char buffer[64] = {};
    EXPECT_EQ(::read(reader, buffer, sizeof buffer), static_cast<ssize_t>(text.size()));
    EXPECT_EQ(std::string(buffer), text);
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(fifo));

    // A listening Unix socket: the writer connects, the bytes wait in its queue.
    const fs::path socket_path = dir / "socket";
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socket_path.string().size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socket_path.c_str());
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    write_whole(socket_path.string(), text);
    const int peer = ::accept(listener, nullptr, nullptr);
    ASSERT_GE(peer, 0);
    std::memset(buffer, 0, sizeof buffer);
    EXPECT_EQ(::read(peer, buffer, sizeof buffer), static_cast<ssize_t>(text.size()));
    EXPECT_EQ(std::string(buffer), text);
    ::close(peer);
    ::close(listener);
    EXPECT_TRUE(fs::is_socket(socket_path));
    EXPECT_EQ(listing(dir), (std::vector<std::string>{"pipe", "socket"}));

    // "-": standard output, whatever file is behind it.
    testing::internal::CaptureStdout();
    write_whole("-", text);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), text);
}

TEST(output_file, a_failed_or_unfinished_output_leaves_the_target_and_no_temporary_file) {
    const fs::path dir = test_folder();
    write_text(dir / "kept.obj", "old\n");
    {
        host::output_file out((dir / "kept.obj").string());
        out.write("new\n");
    }  // never committed
    EXPECT_EQ(read_text(dir / "kept.obj"), "old\n");

    fs::create_symlink("loop-b.obj", dir / "loop-a.obj");
    fs::create_symlink("loop-a.obj", dir / "loop-b.obj");
    try {
        write_whole((dir / "loop-a.obj").string(), "x");
        ADD_FAILURE() << "wrote through a loop of links";
    } catch (const host::file_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  (dir / "loop-a.obj").string() + ": cannot open the file (Too many levels of symbolic links)");
    }

    // A read-only folder takes neither a new file nor a replacement.
    fs::create_directory(dir / "readonly");
    write_text(dir / "readonly" / "kept.obj", "old\n");
    fs::permissions(dir / "readonly", static_cast<fs::perms>(0555));
    for (const char* name : {"kept.obj", "new.obj"}) {
        const std::string target = (dir / "readonly" / name).string();
        const int outcome = unprivileged([&] {
            try {
                write_whole(target, "new\n");
                return 1;
            } catch (const host::file_error& e) {
                return std::string(e.what()) == target + ": cannot create a file in its folder (Permission denied)"
                           ? 0
                           : 2;
            }
        });
        EXPECT_EQ(outcome, 0) << name << ": 1 wrote, 2 another message";
    }
    fs::permissions(dir / "readonly", static_cast<fs::perms>(0755));
    EXPECT_EQ(read_text(dir / "readonly" / "kept.obj"), "old\n");
    EXPECT_EQ(listing(dir),
              (std::vector<std::string>{"kept.obj", "loop-a.obj", "loop-b.obj", "readonly", "readonly/kept.obj"}));
}

#endif  // _WIN32

// Blocks made on several threads land in block order, written at their
// offsets (a regular file) or in turn (standard output); a block that
// cannot be made stops the others and leaves the target as it was.
TEST(output_file, blocks_made_on_several_threads_are_written_in_order_or_not_at_all) {
    const fs::path dir = test_folder();
    std::mt19937 random(7);
    const std::size_t count = 200;
    std::vector<std::string> blocks(count);
    std::string expected = "head\n";
    for (std::size_t k = 0; k < count; ++k) {
        blocks[k] = std::string(random() % 5000, static_cast<char>('a' + k % 26));  // empty ones too
        expected += blocks[k];
    }
    expected += "tail\n";
    const auto make = [&](std::size_t k, host::text_block& b) { b.append(blocks[k]); };
    const auto write_all = [&](const std::string& path) {
        host::output_file out(path);
        out.write("head\n");
        out.write_in_order(count, 3, make);
        out.write("tail\n");
        out.commit();
    };
    write_all((dir / "mesh.obj").string());
    EXPECT_EQ(read_text(dir / "mesh.obj"), expected);
    testing::internal::CaptureStdout();
    write_all("-");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expected);

    {
        host::output_file out((dir / "mesh.obj").string());
        EXPECT_THROW(out.write_in_order(count, 3,
                                        [&](std::size_t k, host::text_block& b) {
                                            if (k == 57) throw std::runtime_error("no room");
                                            make(k, b);
                                        }),
                     std::runtime_error);
    }
    EXPECT_EQ(read_text(dir / "mesh.obj"), expected);
    EXPECT_EQ(listing(dir), std::vector<std::string>{"mesh.obj"});
}
