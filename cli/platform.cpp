#include "cli/platform.h"

#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include "host/windows_api.h"

#include <shellapi.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace cli {

#ifdef _WIN32

std::filesystem::path executable_folder() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (n == 0) return std::filesystem::current_path();
        if (n < name.size()) {
            name.resize(n);
            return std::filesystem::path(name).parent_path();
        }
        name.resize(name.size() * 2);
    }
}

bool is_terminal(std::FILE* stream) { return ::_isatty(::_fileno(stream)) != 0; }

std::optional<std::string> regular_file_identity(const std::string& path) {
    const HANDLE h = ::CreateFileW(std::filesystem::u8path(path).wstring().c_str(), 0,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(h, &info) != 0 && ::GetFileType(h) == FILE_TYPE_DISK &&
                       !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    ::CloseHandle(h);
    if (!known) return std::nullopt;
    return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) + ":" +
           std::to_string(info.nFileIndexLow);
}

void binary_standard_streams() {
    for (std::FILE* stream : {stdin, stdout, stderr}) ::_setmode(::_fileno(stream), _O_BINARY);
    // The printed bytes are UTF-8 (Japanese messages, paths): a console
    // shows them as such.
    ::SetConsoleOutputCP(CP_UTF8);
}

std::vector<std::string> utf8_arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide || count != argc) {
        if (wide) ::LocalFree(wide);
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) {
        const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string word(bytes > 0 ? static_cast<std::size_t>(bytes) : 1u, '\0');
        if (bytes > 0) ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, word.data(), bytes, nullptr, nullptr);
        word.pop_back();  // the terminating zero
        out.push_back(word);
    }
    ::LocalFree(wide);
    return out;
}

const char* plugin_file_name() { return sizeof(void*) == 8 ? "twinel64.dll" : "twinel32.dll"; }

#else

std::filesystem::path executable_folder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : exe.parent_path();
}

bool is_terminal(std::FILE* stream) { return ::isatty(::fileno(stream)) != 0; }

std::optional<std::string> regular_file_identity(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

void binary_standard_streams() {}

std::vector<std::string> utf8_arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

const char* plugin_file_name() { return "twinel.so"; }

#endif

}  // namespace cli
