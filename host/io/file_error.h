// The error every file reader and writer of the reference host throws.
#pragma once

#include <stdexcept>
#include <string>

namespace host {

// A failure to read or write a file. what() names the file and, when
// known, the line: "FILE:LINE: message".
class file_error : public std::runtime_error {
public:
    file_error(const std::string& file, int line, const std::string& message);
    const std::string& file() const { return file_; }
    int line() const { return line_; }  // 0 when not tied to a line

private:
    std::string file_;
    int line_;
};

}  // namespace host
