// The folder `twinel serve` works in, and the check of the file names a
// session line gives, made before the line runs.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

// A line the server refuses to run, with the reason.
class refused_line : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class served_folder {
public:
    // `root` must be an existing folder; file names of lines are taken
    // from it, as `twinel script` takes them from the current directory.
    explicit served_folder(const std::filesystem::path& root);

    const std::filesystem::path& root() const { return root_; }

    // Throws refused_line unless every file the line names (open, save,
    // path, expect mesh|pixel|image, scratch-path) is a relative name
    // inside the folder — through links too — or "@NAME", NAME being a
    // plain file name in the session's scratch folder.
    void check_line(const std::vector<std::string>& words) const;
    // The same check for one name.
    void check_name(const std::string& name) const;

    // The mesh and scene files below the folder (.obj, .json, .gltf, .glb;
    // relative names, sorted; at most `limit`, folders starting with "."
    // and build output skipped).
    std::vector<std::string> mesh_files(std::size_t limit = 500) const;

private:
    std::filesystem::path root_;  // canonical
};

}  // namespace cli
