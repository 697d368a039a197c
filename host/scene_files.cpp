#include "host/scene_files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <unordered_set>

#include <boost/format.hpp>

#include "host/input_text.h"
#include "host/mesh_shape.h"
#include "host/part.h"
#include "host/scene.h"
#include "host/scene_json.h"

namespace host {
namespace {

// The new meshes under the root, in one undo step, announced as created.
std::vector<mesh_shape*> add_objects(scene& target, std::vector<obj_object> objects) {
    std::vector<mesh_shape*> added;
    std::vector<shape_class*> announced;
    {
        const undo_scope step(target);
        for (obj_object& o : objects) {
            mesh_shape& s = target.add_mesh(o.name, std::move(o.mesh));
            added.push_back(&s);
            announced.push_back(&s);
        }
    }
    target.announce_created(announced);
    return added;
}

// The listed shapes, the root standing for its children.
std::vector<const shape*> without_root(scene& source, const std::vector<const shape*>& shapes) {
    std::vector<const shape*> out;
    for (const shape* s : shapes) {
        if (s == &source.root())
            out.insert(out.end(), source.root().children().begin(), source.root().children().end());
        else
            out.push_back(s);
    }
    return out;
}

}  // namespace

std::vector<mesh_shape*> import_obj(scene& target, const std::string& path) {
    return add_objects(target, read_obj(path));
}

void export_obj(const std::vector<const mesh_shape*>& shapes, const std::string& path, obj_uv_set uv_set) {
    std::vector<obj_output> objects;
    objects.reserve(shapes.size());
    for (const mesh_shape* s : shapes) objects.push_back(obj_output{s->get_name(), &s->data()});
    write_obj(path, objects, uv_set);
}

std::optional<file_format> format_of_path(const std::string& path) {
    if (path == "-") return std::nullopt;
    std::string ext = std::filesystem::path(path).extension().string();
    if (ext.empty()) return std::nullopt;
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".obj") return file_format::obj;
    if (ext == ".json") return file_format::scene;
    throw file_error(path, 0,
                     (boost::format("unknown file type '%s' (a mesh file is .obj, a scene file .json)") %
                      std::filesystem::path(path).extension().string()).str());
}

file_format format_of_text(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n\f\v");
    return first != std::string::npos && text[first] == '{' ? file_format::scene : file_format::obj;
}

std::vector<shape*> import_file(scene& target, const std::string& path, file_format* found) {
    std::optional<file_format> format = format_of_path(path);
    std::vector<shape*> out;
    if (format) {
        if (*format == file_format::scene)
            out = read_scene_json(target, path);
        else
            for (mesh_shape* m : import_obj(target, path)) out.push_back(m);
    } else {
        // Without an extension the content decides; the input may be a
        // pipe, so it is read once.
        const std::string name = input_name(path);
        std::string text = read_input(path, name);
        format = format_of_text(text);
        if (*format == file_format::scene) {
            out = insert_scene_document(target, parse_scene_json(text, name));
        } else {
            const std::string stem = path == "-" ? std::string("stdin") : std::filesystem::path(path).stem().string();
            for (mesh_shape* m : add_objects(target, read_obj_text(std::move(text), name, stem))) out.push_back(m);
        }
    }
    if (found) *found = *format;
    return out;
}

void export_file(scene& source, const std::vector<const shape*>& shapes, const std::string& path, obj_uv_set uv_set) {
    const std::optional<file_format> format = format_of_path(path);
    if (!format) throw file_error(path, 0, "the file type is not known: name it .obj or .json");
    export_file(source, shapes, path, *format, uv_set);
}

void export_file(scene& source, const std::vector<const shape*>& shapes, const std::string& path, file_format format,
                 obj_uv_set uv_set) {
    const std::vector<const shape*> listed = without_root(source, shapes);
    if (format == file_format::scene)
        write_scene_json(path, listed);
    else
        export_obj(meshes_below(listed), path, uv_set);
}

std::vector<const mesh_shape*> meshes_below(const std::vector<const shape*>& shapes) {
    std::vector<const mesh_shape*> out;
    std::unordered_set<const shape*> seen;
    for (const shape* top : shapes) {
        std::vector<const shape*> work{top};
        while (!work.empty()) {
            const shape* s = work.back();
            work.pop_back();
            if (!seen.insert(s).second) continue;
            if (const auto* m = dynamic_cast<const mesh_shape*>(s)) out.push_back(m);
            const std::vector<shape*>& kids = s->children();
            for (auto it = kids.rbegin(); it != kids.rend(); ++it) work.push_back(*it);
        }
    }
    return out;
}

}  // namespace host
