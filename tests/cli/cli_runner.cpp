#include "tests/cli/cli_runner.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "host/temp_folder.h"

#ifdef _WIN32
#include "host/windows_api.h"
#else
#include <sys/wait.h>
#endif

namespace twinel_test {

namespace {

#ifdef _WIN32
// The words of `args` as a POSIX shell splits those the tests write: blanks
// part words, single quotes keep what they enclose as it is.
std::vector<std::string> shell_words(const std::string& args) {
    std::vector<std::string> words;
    std::string word;
    bool in_word = false, quoted = false;
    for (const char c : args) {
        if (quoted) {
            if (c == '\'') quoted = false;
            else word += c;
        } else if (c == '\'') {
            quoted = in_word = true;
        } else if (c == ' ' || c == '\t' || c == '\n') {
            if (in_word) words.push_back(word);
            word.clear();
            in_word = false;
        } else {
            word += c;
            in_word = true;
        }
    }
    if (quoted) throw std::runtime_error("unclosed quote in: " + args);
    if (in_word) words.push_back(word);
    return words;
}

// One argument of a Windows command line, as the C runtime's parser reads
// it back: quoted, with the backslashes before a quote doubled.
std::wstring command_line_word(const std::string& utf8) {
    const std::wstring word = std::filesystem::u8path(utf8).wstring();
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, L'\\');
    return out + L"\"";
}

HANDLE inheritable_file(const std::string& path, bool write) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE h = ::CreateFileW(std::filesystem::u8path(path).wstring().c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, write ? CREATE_ALWAYS : OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
    return h;
}

// Runs twinel.exe with the words of `args`, standard output and error in
// files, standard input from `input` through a pipe when `piped`, else from
// the null device, and captures what it prints.
run_result run(const std::string& args, const std::string* input) {
    temp_dir tmp;
    const std::string out = tmp.path("out"), err = tmp.path("err");
    std::wstring command = command_line_word(TWINEL_CLI_PATH);
    for (const std::string& word : shell_words(args)) command += L" " + command_line_word(word);

    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE stdin_read = nullptr, stdin_write = nullptr;
    if (input) {
        if (!::CreatePipe(&stdin_read, &stdin_write, &inherit, 0)) throw std::runtime_error("cannot make a pipe");
        ::SetHandleInformation(stdin_write, HANDLE_FLAG_INHERIT, 0);
    } else {
        stdin_read = inheritable_file("NUL", false);
    }
    HANDLE out_file = inheritable_file(out, true), err_file = inheritable_file(err, true);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = stdin_read;
    startup.hStdOutput = out_file;
    startup.hStdError = err_file;
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                          &startup, &process);
    ::CloseHandle(stdin_read);
    ::CloseHandle(out_file);
    ::CloseHandle(err_file);
    if (!started) {
        if (stdin_write) ::CloseHandle(stdin_write);
        throw std::runtime_error("cannot start " + std::string(TWINEL_CLI_PATH));
    }
    // The input is written while the command runs: it may read it only in
    // part, or not at all, before it ends.
    std::thread feeder;
    if (input) {
        feeder = std::thread([stdin_write, input] {
            std::size_t at = 0;
            while (at < input->size()) {
                DWORD wrote = 0;
                const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(input->size() - at, 1 << 16));
                if (!::WriteFile(stdin_write, input->data() + at, chunk, &wrote, nullptr)) break;
                at += wrote;
            }
            ::CloseHandle(stdin_write);
        });
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    if (feeder.joinable()) feeder.join();
    run_result r;
    r.exit_code = static_cast<int>(code);
    r.out = read_file(out);
    r.err = read_file(err);
    return r;
}

}  // namespace

run_result run_twinel(const std::string& args) { return run(args, nullptr); }

run_result run_twinel_piped(const std::string& args, const std::string& input) { return run(args, &input); }
#else

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
#endif

// Paths are UTF-8 here as in the host.
temp_dir::temp_dir() : dir_(host::make_temp_folder("twinel-test-").u8string()) {}

temp_dir::~temp_dir() {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::u8path(dir_), ec);
}

std::string read_file(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const std::string& path, const std::string& text) {
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary);
    out << text;
}

std::string example(const std::string& name) { return std::string(TWINEL_SOURCE_DIR) + "/examples/" + name; }

}  // namespace twinel_test
