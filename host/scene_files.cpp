#include "host/scene_files.h"

#include "host/mesh_shape.h"
#include "host/scene.h"

namespace host {

std::vector<mesh_shape*> import_obj(scene& target, const std::string& path) {
    std::vector<obj_object> objects = read_obj(path);
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

void export_obj(const std::vector<const mesh_shape*>& shapes, const std::string& path, obj_uv_set uv_set) {
    std::vector<obj_output> objects;
    objects.reserve(shapes.size());
    for (const mesh_shape* s : shapes) objects.push_back(obj_output{s->get_name(), &s->data()});
    write_obj(path, objects, uv_set);
}

}  // namespace host
