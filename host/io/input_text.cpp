#include "host/io/input_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include <boost/format.hpp>

#include "host/io/file_error.h"

namespace host {
namespace {

// Files are read as bytes: Windows' C library would otherwise turn CR LF
// into LF and stop at a Ctrl+Z.
#ifdef _WIN32
// Paths are UTF-8, as everywhere in the host.
int open_for_reading(const std::string& path) {
    return ::_wopen(std::filesystem::u8path(path).wstring().c_str(), O_RDONLY | O_BINARY);
}
int standard_input() {
    _setmode(0, O_BINARY);
    return 0;
}
#else
int open_for_reading(const std::string& path) { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); }
int standard_input() { return STDIN_FILENO; }
#endif

}  // namespace

std::string input_name(const std::string& path) { return path == "-" ? std::string("<stdin>") : path; }

std::string read_input(const std::string& path, const std::string& name) {
    const bool from_stdin = path == "-";
    const int fd = from_stdin ? standard_input() : open_for_reading(path);
    if (fd < 0) {
        // Windows does not open a folder as a file at all.
        const int error = errno;
        std::error_code ec;
        if (std::filesystem::is_directory(std::filesystem::u8path(path), ec))
            throw file_error(name, 0, "is a folder, not a file");
        throw file_error(name, 0, (boost::format("cannot open the file (%s)") % std::strerror(error)).str());
    }
    const struct closer {
        int fd;
        bool owned;
        ~closer() {
            if (owned) ::close(fd);
        }
    } guard{fd, !from_stdin};
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) throw file_error(name, 0, "is a folder, not a file");
    // A regular file's size is a hint only: it may change while it is read.
    std::string text(S_ISREG(st.st_mode) && st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 1u << 16,
                     '\0');
    std::size_t size = 0;
    for (;;) {
        if (size == text.size()) text.resize(text.size() * 2);
        const auto n = ::read(fd, text.data() + size, static_cast<unsigned>(std::min<std::size_t>(text.size() - size, 1u << 30)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw file_error(name, 0, (boost::format("cannot read the file (%s)") % std::strerror(errno)).str());
        if (n == 0) break;
        size += static_cast<std::size_t>(n);
    }
    text.resize(size);
    return text;
}

input_view::input_view(const std::string& path, const std::string& name) {
#ifndef _WIN32
    if (path != "-") {
        const int fd = open_for_reading(path);
        if (fd < 0)
            throw file_error(name, 0, (boost::format("cannot open the file (%s)") % std::strerror(errno)).str());
        struct stat st {};
        const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
        if (regular) {
            void* m = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
            if (m != MAP_FAILED) {
                map_ = m;
                map_size_ = static_cast<std::size_t>(st.st_size);
                ::madvise(map_, map_size_, MADV_SEQUENTIAL);
                text_ = std::string_view(static_cast<const char*>(map_), map_size_);
            }
        }
        ::close(fd);
        if (map_) return;
    }
#endif
    // Windows (no mapping here) and what cannot be mapped: read whole.
    read_ = read_input(path, name);
    text_ = read_;
}

input_view::~input_view() {
#ifndef _WIN32
    if (map_) ::munmap(map_, map_size_);
#endif
}

void input_view::release(const char* b, const char* e) const {
#ifndef _WIN32
    if (!map_) return;
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto from = (reinterpret_cast<std::uintptr_t>(b) + page - 1) / page * page;
    const auto to = reinterpret_cast<std::uintptr_t>(e) / page * page;
    if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
#else
    (void)b;
    (void)e;
#endif
}

}  // namespace host
