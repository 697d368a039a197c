// The fuzzer's input as a file, for loaders that read from a path.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace twinel_fuzz {

// A file of this process in the temporary folder, rewritten with each input
// and removed when the process ends normally. `extension` names its type
// (".obj", ".kxul").
class input_file {
public:
    explicit input_file(const std::string& extension)
        : path_((std::filesystem::temp_directory_path() /
                 ("twinel-fuzz-" + std::to_string(::getpid()) + extension)).string()) {}
    ~input_file() { std::remove(path_.c_str()); }
    input_file(const input_file&) = delete;
    input_file& operator=(const input_file&) = delete;

    const std::string& path() const { return path_; }

    // Writes the bytes; returns the path, or an empty string when the file
    // cannot be written (the input is then skipped).
    const std::string& write(const std::uint8_t* data, std::size_t size) {
        static const std::string none;
        std::FILE* f = std::fopen(path_.c_str(), "wb");
        if (!f) return none;
        const bool ok = std::fwrite(data, 1, size, f) == size;
        return std::fclose(f) == 0 && ok ? path_ : none;
    }

private:
    std::string path_;
};

}  // namespace twinel_fuzz
