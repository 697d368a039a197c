// Reading a whole input file.
#pragma once

#include <string>
#include <string_view>

namespace host {

// The whole content of the file at `path`, read to its end so that pipes,
// FIFOs and devices read like files; "-" reads standard input. Throws
// host::file_error naming `name` when the file cannot be opened or read or
// is a folder.
std::string read_input(const std::string& path, const std::string& name);

// How errors name an input: "<stdin>" for "-", else the path.
std::string input_name(const std::string& path);

// The content of an input file, for a reader that walks it once: a regular
// file is mapped into memory (no copy), anything else is read as by
// read_input. Throws like read_input.
class input_view {
public:
    input_view(const std::string& path, const std::string& name);
    ~input_view();
    input_view(const input_view&) = delete;
    input_view& operator=(const input_view&) = delete;

    std::string_view text() const { return text_; }

    // Tells the system that [b, e) of text() is not needed soon: a mapped
    // file's pages in it leave memory (they come back from the file when
    // read again). Nothing happens for a text that was read.
    void release(const char* b, const char* e) const;

private:
    std::string read_;
    void* map_ = nullptr;
    std::size_t map_size_ = 0;
    std::string_view text_;
};

}  // namespace host
