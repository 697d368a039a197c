#include "host/io/scene_files.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <unordered_set>

#include <boost/format.hpp>

#include "host/io/gltf_reader.h"
#include "host/io/gltf_source.h"
#include "host/io/gltf_writer.h"
#include "host/io/input_text.h"
#include "host/line_shape.h"
#include "host/mesh_shape.h"
#include "host/part.h"
#include "host/scene.h"
#include "host/io/scene_json.h"

namespace host {
namespace {

// The new meshes, then the polylines as line shapes, under the root, in one
// undo step, announced as created; the file's warnings go to `warnings`.
std::vector<mesh_shape*> add_objects(scene& target, obj_contents contents, file_warnings* warnings) {
    std::vector<mesh_shape*> added;
    std::vector<shape_class*> announced;
    {
        const undo_scope step(target);
        for (obj_object& o : contents.objects) {
            mesh_shape& s = target.add_mesh(o.name, std::move(o.mesh));
            added.push_back(&s);
            announced.push_back(&s);
        }
        for (obj_polyline& l : contents.polylines) {
            std::vector<control_point_data> points;
            points.reserve(l.points.size());
            for (const vec3& p : l.points) points.push_back(line_shape::point_at(p));
            announced.push_back(&target.add_line(l.name, std::move(points), l.closed));
        }
    }
    target.announce_created(announced);
    if (warnings) warnings->insert(warnings->end(), contents.warnings.begin(), contents.warnings.end());
    return added;
}

// Whether a mesh's file gave it something a scene file does not hold (the
// host's own model): materials or smoothing, vertex colours or w, texture
// coordinates with one or three numbers, `mtllib` or `g` lines.
bool beyond_scene_file(const mesh_extras& x) {
    if (!x.styles.empty() || !x.vertex_flags.empty() || !x.texcoord_size.empty()) return true;
    for (const std::string& line : x.obj_header)
        if (line.rfind("o ", 0) != 0 && line.rfind("o\t", 0) != 0) return true;
    return false;
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

// The glTF document a mesh was read from, when its scene still holds it.
const gltf_source* document_of(const mesh_shape& s) {
    const gltf_source* doc = s.owner().gltf_document();
    if (!doc) return nullptr;
    for (const gltf_mesh_instance& inst : doc->instances)
        if (inst.shape == &s) return doc;
    return nullptr;
}

}  // namespace

std::vector<mesh_shape*> import_obj(scene& target, const std::string& path, file_warnings* warnings) {
    return add_objects(target, read_obj_contents(path), warnings);
}

void export_obj(const std::vector<const mesh_shape*>& shapes, const std::string& path, obj_uv_set uv_set,
                const std::vector<const line_shape*>& lines, file_warnings* warnings) {
    std::vector<obj_output> objects;
    objects.reserve(shapes.size());
    for (const mesh_shape* s : shapes) {
        obj_output o{s->get_name(), &s->data(), {}};
        // A glTF primitive's material is its index in the document: the
        // OBJ file gets the material's name (material_N when it has none).
        const gltf_source* doc = document_of(*s);
        for (const face_style& style : s->data().extras.styles) {
            if (!doc || style.part < 0 || style.material.empty()) {
                o.materials.push_back(style.material);
                continue;
            }
            char* end = nullptr;
            const long m = std::strtol(style.material.c_str(), &end, 10);
            const bool known = *end == 0 && m >= 0 && static_cast<std::size_t>(m) < doc->model.materials.size();
            const std::string named = known ? doc->model.materials[static_cast<std::size_t>(m)].name : std::string();
            o.materials.push_back(named.empty() ? "material_" + style.material : named);
        }
        objects.push_back(std::move(o));
    }
    std::vector<obj_polyline_output> polylines;
    int curved = 0;
    for (const line_shape* l : lines) {
        obj_polyline_output out{l->get_name(), {}, l->is_closed()};
        bool handles = false;
        for (const control_point_data& p : l->points()) {
            out.points.push_back(p.position);
            for (const vec3* h : {&p.first_handle, &p.second_handle, &p.third_handle, &p.fourth_handle})
                handles |= !(h->x == p.position.x && h->y == p.position.y && h->z == p.position.z);
        }
        curved += handles ? 1 : 0;
        polylines.push_back(std::move(out));
    }
    file_warnings written = write_obj(path, objects, uv_set, polylines);
    if (curved > 0)
        written.push_back((boost::format("%s: an OBJ line is a polyline: the handles of %i %s left out (a .json "
                                         "scene file keeps them)") %
                           path % curved % (curved == 1 ? "line are" : "lines are")).str());
    if (warnings) warnings->insert(warnings->end(), written.begin(), written.end());
}

std::optional<file_format> format_of_path(const std::string& path) {
    if (path == "-") return std::nullopt;
    std::string ext = std::filesystem::u8path(path).extension().u8string();
    if (ext.empty()) return std::nullopt;
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".obj") return file_format::obj;
    if (ext == ".json") return file_format::scene;
    if (ext == ".gltf" || ext == ".glb") return file_format::gltf;
    throw file_error(path, 0,
                     (boost::format("unknown file type '%s' (a mesh file is .obj, a scene file .json, a glTF file "
                                    ".gltf or .glb)") %
                      std::filesystem::u8path(path).extension().u8string()).str());
}

file_format format_of_text(const std::string& text) {
    if (is_glb(text)) return file_format::gltf;
    const std::size_t first = text.find_first_not_of(" \t\r\n\f\v");
    if (first == std::string::npos || text[first] != '{') return file_format::obj;
    // A glTF document has an "asset" and is no Twinel scene file.
    return text.find("\"twinel-scene\"") == std::string::npos && text.find("\"asset\"") != std::string::npos
               ? file_format::gltf
               : file_format::scene;
}

std::vector<shape*> import_file(scene& target, const std::string& path, file_format* found, file_warnings* warnings) {
    std::optional<file_format> format = format_of_path(path);
    std::vector<shape*> out;
    file_warnings own;
    file_warnings& notes = warnings ? *warnings : own;
    if (format) {
        if (*format == file_format::gltf)
            out = read_gltf(target, path, notes);
        else if (*format == file_format::scene)
            out = read_scene_json(target, path);
        else
            for (mesh_shape* m : import_obj(target, path, warnings)) out.push_back(m);
    } else {
        // Without an extension the content decides; the input may be a
        // pipe, so it is read once.
        const std::string name = input_name(path);
        std::string text = read_input(path, name);
        format = format_of_text(text);
        if (*format == file_format::gltf) {
            out = read_gltf_data(target, text, name, ".", notes);
        } else if (*format == file_format::scene) {
            out = insert_scene_document(target, parse_scene_json(text, name));
        } else {
            const std::string stem = path == "-" ? std::string("stdin") : std::filesystem::u8path(path).stem().u8string();
            for (mesh_shape* m : add_objects(target, read_obj_contents_text(text, name, stem), warnings))
                out.push_back(m);
        }
    }
    if (found) *found = *format;
    return out;
}

void export_file(scene& source, const std::vector<const shape*>& shapes, const std::string& path, obj_uv_set uv_set,
                 file_warnings* warnings) {
    const std::optional<file_format> format = format_of_path(path);
    if (!format) throw file_error(path, 0, "the file type is not known: name it .obj, .json, .gltf or .glb");
    export_file(source, shapes, path, *format, uv_set, warnings);
}

void export_file(scene& source, const std::vector<const shape*>& shapes, const std::string& path, file_format format,
                 obj_uv_set uv_set, file_warnings* warnings) {
    const std::vector<const shape*> listed = without_root(source, shapes);
    if (format == file_format::gltf) {
        file_warnings own;
        std::string ext = std::filesystem::u8path(path).extension().u8string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        write_gltf(source, listed, path, ext == ".glb", warnings ? *warnings : own);
        return;
    }
    if (format == file_format::scene) {
        write_scene_json(path, listed);
        int carried = 0;
        for (const mesh_shape* m : meshes_below(listed)) carried += beyond_scene_file(m->data().extras) ? 1 : 0;
        if (carried > 0 && warnings)
            warnings->push_back((boost::format("%s: the materials, smoothing groups, vertex colours, texture "
                                               "coordinates' w and mtllib and g lines that the mesh file gave %i %s "
                                               "are not kept in a scene file") %
                                 path % carried % (carried == 1 ? "mesh" : "meshes")).str());
        return;
    }
        export_obj(meshes_below(listed), path, uv_set, lines_below(listed), warnings);
}

namespace {

template <class Kind>
std::vector<const Kind*> kind_below(const std::vector<const shape*>& shapes) {
    std::vector<const Kind*> out;
    std::unordered_set<const shape*> seen;
    for (const shape* top : shapes) {
        std::vector<const shape*> work{top};
        while (!work.empty()) {
            const shape* s = work.back();
            work.pop_back();
            if (!seen.insert(s).second) continue;
            if (const auto* m = dynamic_cast<const Kind*>(s)) out.push_back(m);
            const std::vector<shape*>& kids = s->children();
            for (auto it = kids.rbegin(); it != kids.rend(); ++it) work.push_back(*it);
        }
    }
    return out;
}

}  // namespace

std::vector<const mesh_shape*> meshes_below(const std::vector<const shape*>& shapes) {
    return kind_below<mesh_shape>(shapes);
}

std::vector<const line_shape*> lines_below(const std::vector<const shape*>& shapes) {
    return kind_below<line_shape>(shapes);
}

}  // namespace host
