#include "host/io/file_error.h"

#include <boost/format.hpp>

namespace host {
namespace {

std::string where(const std::string& file, int line) {
    return line > 0 ? (boost::format("%s:%i") % file % line).str() : file;
}

}  // namespace

file_error::file_error(const std::string& file, int line, const std::string& message)
    : std::runtime_error((boost::format("%s: %s") % where(file, line) % message).str()), file_(file), line_(line) {}

}  // namespace host
