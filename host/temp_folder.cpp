#include "host/temp_folder.h"

#include <random>
#include <stdexcept>
#include <system_error>

#ifndef _WIN32
#include <stdlib.h>
#endif

namespace host {

std::filesystem::path make_temp_folder(const std::string& prefix) {
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
#ifdef _WIN32
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path path = temp / (prefix + std::to_string(random() % 100000000u));
        std::error_code ec;
        if (std::filesystem::create_directory(path, ec)) return path;
        if (ec) break;
    }
#else
    std::string pattern = (temp / (prefix + "XXXXXX")).string();
    if (mkdtemp(pattern.data())) return pattern;
#endif
    throw std::runtime_error("cannot make a folder in " + temp.string());
}

}  // namespace host
