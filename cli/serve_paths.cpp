#include "cli/serve_paths.h"

#include <algorithm>

#include <boost/format.hpp>

namespace cli {

namespace fs = std::filesystem;

served_folder::served_folder(const fs::path& root) : root_(fs::canonical(root)) {
    if (!fs::is_directory(root_)) throw std::invalid_argument(root.string() + " is not a folder");
}

namespace {

bool plain_file_name(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// Whether `inner`, canonical, lies in `outer`, canonical.
bool inside(const fs::path& outer, const fs::path& inner) {
    auto o = outer.begin(), i = inner.begin();
    for (; o != outer.end(); ++o, ++i)
        if (i == inner.end() || *o != *i) return false;
    return true;
}

}  // namespace

void served_folder::check_name(const std::string& name) const {
    const auto refuse = [&](const char* why) {
        throw refused_line((boost::format("the file name \"%s\" is refused: %s") % name % why).str());
    };
    if (name.size() > 1 && name[0] == '@') {
        if (!plain_file_name(name.substr(1))) refuse("a scratch name is a plain file name");
        return;
    }
    if (name.empty() || name == "-") refuse("name a file of the served folder");
    const fs::path path(name);
    if (path.is_absolute()) refuse("names are relative to the served folder");
    for (const fs::path& part : path)
        if (part == "..") refuse("a name cannot leave the served folder");
    // A link inside the folder may still point out of it: what the name
    // reaches (as far as it exists) must lie inside.
    std::error_code ec;
    const fs::path reached = fs::weakly_canonical(root_ / path, ec);
    if (ec || !inside(root_, reached)) refuse("it leads out of the served folder");
}

void served_folder::check_line(const std::vector<std::string>& w) const {
    if (w.empty()) return;
    const std::string& c = w[0];
    if ((c == "open" || c == "save") && w.size() > 1) check_name(w[1]);
    if (c == "path" && w.size() > 1 && w[1] != "--cancel") check_name(w[1]);
    if (c == "scratch-path" && w.size() > 1) check_name("@" + w[1]);
    if (c == "expect" && w.size() > 2 && (w[1] == "mesh" || w[1] == "pixel" || w[1] == "image")) check_name(w[2]);
}

std::vector<std::string> served_folder::mesh_files(std::size_t limit) const {
    std::vector<std::string> found;
    std::error_code ec;
    fs::recursive_directory_iterator it(root_, fs::directory_options::skip_permission_denied, ec), end;
    for (; !ec && it != end && found.size() < limit; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (it->is_directory(ec)) {
            if (name[0] == '.' || name.rfind("build", 0) == 0 || name == "node_modules" || it.depth() >= 3)
                it.disable_recursion_pending();
            continue;
        }
        std::string ext = it->path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char ch) { return std::tolower(ch); });
        if (ext == ".obj" || ext == ".json" || ext == ".gltf" || ext == ".glb") found.push_back(fs::relative(it->path(), root_, ec).generic_string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace cli
