#include "host/io/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>

#include "host/windows_api.h"
#else
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <random>

#include <boost/format.hpp>

#include "host/io/file_error.h"

namespace host {

namespace {

// Links followed before giving up, as the kernel does (ELOOP).
constexpr int max_link_hops = 40;

// What differs on Windows: files are written as bytes (no LF to CR LF),
// there is no pwrite, no owner or Unix mode to keep, and a rename does
// not replace an existing file.
#ifdef _WIN32
constexpr int create_flags = O_WRONLY | O_CREAT | O_EXCL | O_BINARY;
constexpr int open_flags = O_WRONLY | O_BINARY;
constexpr int create_mode = _S_IREAD | _S_IWRITE;
int standard_output() {
    _setmode(1, O_BINARY);
    return 1;
}
int flush_to_disk(int fd) { return _commit(fd); }
// Paths are UTF-8, as everywhere in the host.
int open_path(const std::string& path, int flags, int mode = 0) {
    const int fd = ::_wopen(std::filesystem::u8path(path).wstring().c_str(), flags, mode);
    if (fd < 0 && errno == ENOENT) {
        // Windows says "no such file" where the folder is a file; POSIX
        // names that, and so does the message.
        const int error = errno;
        std::error_code ec;
        const auto folder = std::filesystem::u8path(path).parent_path();
        const bool file_as_folder =
            !folder.empty() && std::filesystem::exists(folder, ec) && !std::filesystem::is_directory(folder, ec);
        errno = file_as_folder ? ENOTDIR : error;
    }
    return fd;
}
bool replace_file(const std::string& from, const std::string& to) {
    return ::MoveFileExW(std::filesystem::u8path(from).wstring().c_str(), std::filesystem::u8path(to).wstring().c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
#else
constexpr int create_flags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
constexpr int open_flags = O_WRONLY | O_CLOEXEC;
constexpr int create_mode = 0666;
int standard_output() { return STDOUT_FILENO; }
int open_path(const std::string& path, int flags, int mode = 0) { return ::open(path.c_str(), flags, mode); }
int flush_to_disk(int fd) { return ::fsync(fd); }
bool replace_file(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}
#endif

enum class target_kind { regular, folder, special };

struct resolved_target {
    std::string path;  // the end of any chain of symbolic links
    target_kind kind = target_kind::regular;
    bool exists = false;
#ifndef _WIN32
    struct stat status {};
#endif
};

#ifdef _WIN32
// Windows: the file the path names, links followed by the system.
int resolve(const std::string& path, resolved_target& out) {
    out.path = path;
    std::error_code ec;
    const auto st = std::filesystem::status(std::filesystem::u8path(path), ec);
    if (ec || !std::filesystem::exists(st)) return 0;
    out.exists = true;
    out.kind = std::filesystem::is_regular_file(st) ? target_kind::regular
               : std::filesystem::is_directory(st)  ? target_kind::folder
                                                    : target_kind::special;
    return 0;
}
#else

// Follows the symbolic links from `path` to the file they end at. A path
// that cannot be examined is taken as a new regular file: creating the
// temporary file beside it then reports why (no such folder, not a folder,
// no permission). Returns an errno value on a link that cannot be read or
// a loop, 0 otherwise.
int resolve(const std::string& path, resolved_target& out) {
    std::filesystem::path p(path);
    for (int hop = 0; hop <= max_link_hops; ++hop) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0) {
            out.path = p.string();
            return 0;
        }
        if (!S_ISLNK(st.st_mode)) {
            out.path = p.string();
            out.exists = true;
            out.status = st;
            out.kind = S_ISREG(st.st_mode) ? target_kind::regular
                       : S_ISDIR(st.st_mode) ? target_kind::folder
                                             : target_kind::special;
            return 0;
        }
        std::error_code ec;
        const std::filesystem::path next = std::filesystem::read_symlink(p, ec);
        if (ec) return ec.value();
        // A relative link is relative to the folder that holds it.
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return ELOOP;
}

#endif

#ifndef _WIN32
// A Unix stream socket at `path`, connected; -1 with errno set otherwise.
int connect_socket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}
#endif

// Creates a file of a fresh name beside `target`; -1 with errno set when
// the folder does not take one.
int create_beside(const std::string& target, std::string& name) {
    const std::filesystem::path t(target);
    const std::string dir = t.has_parent_path() ? t.parent_path().string() + "/" : std::string();
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = (boost::format("%s.%s.tmp%08x") % dir % t.filename().string() % rd()).str();
        const int fd = open_path(name, create_flags, create_mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

output_file::output_file(const std::string& path) : path_(path) {
    if (path == "-") {
        path_ = "<stdout>";
        // Whatever the process printed through stdio goes first.
        std::fflush(stdout);
        fd_ = standard_output();
        owns_fd_ = false;
        return;
    }
    resolved_target t;
    if (const int error = resolve(path, t)) fail("cannot open the file", error);
    switch (t.kind) {
    case target_kind::folder:
        fail("cannot replace the file", EISDIR);
    case target_kind::special:
#ifdef _WIN32
        fd_ = open_path(t.path, open_flags);
#else
        fd_ = S_ISSOCK(t.status.st_mode) ? connect_socket(t.path) : open_path(t.path, open_flags);
#endif
        if (fd_ < 0) fail("cannot open the file", errno);
        return;
    case target_kind::regular:
        break;
    }
    target_ = t.path;
    replaces_ = t.exists;
    fd_ = create_beside(target_, temporary_);
    if (fd_ < 0) fail("cannot create a file in its folder", errno);
#ifndef _WIN32
    if (t.exists) {
        // Owner first: changing it may clear the set-user-ID bits of the mode.
        if (t.status.st_uid != ::geteuid() || t.status.st_gid != ::getegid()) {
            // Only the superuser may give a file away; otherwise it stays ours.
            const int given = ::fchown(fd_, t.status.st_uid, t.status.st_gid);
            static_cast<void>(given);
        }
        if (::fchmod(fd_, t.status.st_mode & 07777) != 0) {
            const int error = errno;
            discard();  // the destructor does not run for a constructor that throws
            fail("cannot create a file in its folder", error);
        }
    }
#endif
}

output_file::~output_file() { discard(); }

void output_file::discard() {
    if (owns_fd_ && fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

void output_file::write(std::string_view data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const auto n = ::write(fd_, data.data() + done, static_cast<unsigned>(std::min<std::size_t>(data.size() - done, 1u << 30)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail("cannot write", n < 0 ? errno : EIO);
        done += static_cast<std::size_t>(n);
    }
    written_ += data.size();
    start_writeback();
}

void output_file::write_in_order(std::size_t count, unsigned threads,
                                 const std::function<void(std::size_t, text_block&)>& make) {
    if (count == 0) return;
    threads = static_cast<unsigned>(std::max<std::size_t>(1, std::min<std::size_t>(threads, count)));
    // Our own temporary file takes each block at its offset, outside the
    // turn; anything else is written in turn.
#ifdef _WIN32
    const bool at_offsets = false;  // no pwrite: every block is written in turn
#else
    const bool at_offsets = !target_.empty();
#endif
    std::mutex lock;
    std::condition_variable turn;
    std::size_t next = 0;  // the block placed next
    bool stopped = false;
    std::exception_ptr failure;
    const auto worker = [&](unsigned t) {
        text_block block;
        try {
            for (std::size_t k = t; k < count; k += threads) {
                block.clear();
                make(k, block);
                std::uint64_t at = 0;
                {
                    std::unique_lock<std::mutex> l(lock);
                    turn.wait(l, [&] { return next == k || stopped; });
                    if (stopped) return;
                    if (at_offsets) {
                        at = written_;
                        written_ += block.size();
                        start_writeback();
                    } else {
                        write(block.view());
                    }
                    next = k + 1;
                }
                turn.notify_all();
                if (at_offsets) put_at(block.view(), at);
            }
        } catch (...) {
            const std::lock_guard<std::mutex> l(lock);
            if (!failure) failure = std::current_exception();
            stopped = true;
            turn.notify_all();
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(worker, t);
    worker(0);
    for (std::thread& t : pool) t.join();
    if (failure) std::rethrow_exception(failure);
#ifndef _WIN32
    if (at_offsets && ::lseek(fd_, static_cast<off_t>(written_), SEEK_SET) < 0) fail("cannot write", errno);
#endif
}

void output_file::put_at(std::string_view data, std::uint64_t at) const {
#ifdef _WIN32
    (void)data;
    (void)at;
    fail("cannot write", ENOSYS);
#else
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::pwrite(fd_, data.data() + done, data.size() - done, static_cast<off_t>(at + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail("cannot write", n < 0 ? errno : EIO);
        done += static_cast<std::size_t>(n);
    }
#endif
}

void output_file::start_writeback() {
#ifdef __linux__
    // A file that replaces another is synced before it does: its disk
    // writes begin a few megabytes at a time, so that commit's fsync waits
    // for little more than the tail.
    constexpr std::uint64_t step = 8u << 20;
    if (replaces_ && written_ - started_ >= step) {
        ::sync_file_range(fd_, static_cast<off64_t>(started_), static_cast<off64_t>(written_ - started_),
                          SYNC_FILE_RANGE_WRITE);
        started_ = written_;
    }
#endif
}

void output_file::commit() {
    if (!owns_fd_) {
        committed_ = true;
        return;
    }
    // The content must be on disk before it replaces a file, or a system
    // crash could leave neither the old nor the new one. A new file has
    // nothing to lose and is left to the system's own writeback, which keeps
    // writing large meshes as fast as the formatting. A device or a FIFO has
    // nothing to sync, and some refuse (EINVAL).
    if (replaces_ && flush_to_disk(fd_) != 0) fail("cannot write", errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) fail("cannot write", errno);
    if (!target_.empty() && !replace_file(temporary_, target_)) {
#ifdef _WIN32
        fail("cannot replace the file", ::GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO);
#else
        fail("cannot replace the file", errno);
#endif
    }
    committed_ = true;
}

void output_file::fail(const char* what, int error) const {
    throw file_error(path_, 0, (boost::format("%s (%s)") % what % std::strerror(error)).str());
}

}  // namespace host
