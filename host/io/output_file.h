// One output of the reference host or the `twinel` command, written all or
// nothing wherever the target allows it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/io/text_block.h"

namespace host {

// Where the bytes go depends on what `path` names when the output opens:
// - "-": standard output, written directly (named "<stdout>" in errors);
// - a regular file, or nothing yet: a temporary file in the same folder,
//   renamed over the target by commit() (after an fsync when it replaces
//   an existing file, whose content is then never lost). An existing file's
//   permission mode (and, where allowed, its owner) is kept; a new file gets
//   0666 less the umask. A file with other hard links gets a new file under
//   this name, the other names keep the old content;
// - a symbolic link (or a chain of them): the file it finally points to,
//   handled as above, so the link stays a link; a dangling link gets its
//   target created;
// - anything else but a folder (a device, a FIFO, a Unix stream socket):
//   opened (connected) and written directly, so what was written before a
//   failure stays written.
// Every failure throws host::file_error naming `path` as given: "cannot
// create a file in its folder (E)", "cannot open the file (E)", "cannot
// write (E)" or "cannot replace the file (E)" (a folder: Is a directory).
// An output destroyed before commit() removes its temporary file and leaves
// the target as it was.
class output_file {
public:
    explicit output_file(const std::string& path);
    output_file(const output_file&) = delete;
    output_file& operator=(const output_file&) = delete;
    ~output_file();

    // Appends `data`. Throws file_error.
    void write(std::string_view data);

    // Appends `count` blocks of text, block k made by make(k, block) into
    // an emptied block, on up to `threads` threads at once. Each thread
    // writes its block as soon as the blocks before it have been placed (a
    // regular file takes it at its offset while others are still written or
    // made), so making and writing overlap; the file holds the blocks in
    // order. What `make` throws, or a failed write, stops every thread and
    // is thrown here (file_error for a write).
    void write_in_order(std::size_t count, unsigned threads,
                        const std::function<void(std::size_t, text_block&)>& make);

    // Completes the output: flushes it to the target and, for a regular
    // file, renames the temporary file into place. Throws file_error.
    void commit();

private:
    // Closes the output and removes an uncommitted temporary file.
    void discard();
    // Writes all of `data` at offset `at` of the file. Throws file_error.
    void put_at(std::string_view data, std::uint64_t at) const;
    // Starts the disk writes of what was written since the last start.
    void start_writeback();
    [[noreturn]] void fail(const char* what, int error) const;

    std::string path_;       // as given, for messages
    std::string target_;     // the regular file to replace; empty when written directly
    std::string temporary_;  // beside target_
    int fd_ = -1;
    bool owns_fd_ = true;    // false for standard output
    bool committed_ = false;
    bool replaces_ = false;  // an existing regular file is replaced
    std::uint64_t written_ = 0, started_ = 0;  // bytes written, and those whose disk write has begun
};

}  // namespace host
