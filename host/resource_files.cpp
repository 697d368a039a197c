#include "host/resource_files.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace host {

resource_files resource_files::read_folder(const std::string& dir) {
    namespace fs = std::filesystem;
    resource_files out(dir);
    for (const char* folder : {"en", "ja", "images"}) {
        const fs::path path = fs::path(dir) / folder;
        std::error_code ec;
        if (!fs::is_directory(path, ec)) continue;
        for (const auto& entry : fs::directory_iterator(path, ec)) {
            if (!entry.is_regular_file(ec)) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            out.add({std::string(folder) + "/" + entry.path().filename().string(), entry.path().string(), bytes.str()});
        }
    }
    return out;
}

void resource_files::add(resource_file file) {
    const std::string key = file.relative;
    files_[key] = std::move(file);
}

const resource_file* resource_files::find(const std::string& relative) const {
    const auto it = files_.find(relative);
    return it == files_.end() ? nullptr : &it->second;
}

std::vector<const resource_file*> resource_files::in_folder(const std::string& folder) const {
    const std::string prefix = folder + "/";
    std::vector<const resource_file*> out;
    for (auto it = files_.lower_bound(prefix); it != files_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it)
        if (it->first.find('/', prefix.size()) == std::string::npos) out.push_back(&it->second);
    return out;
}

}  // namespace host
