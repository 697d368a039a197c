#include "host/modify_tools.h"

#include <stdexcept>

#include <boost/format.hpp>

#include "host/application.h"
#include "host/scene.h"

namespace host {

std::vector<modify_tool> modify_tools(application& app) {
    std::vector<modify_tool> out;
    for (const plugin_object& o : app.plugins().objects())
        if (o.kind == kx::sdk::modifier_iid)
            out.push_back(modify_tool{plugin_set::name_of(o, app), static_cast<modifier_interface*>(o.object)});
    return out;
}

namespace {

modifier_interface& tool_named(const std::vector<modify_tool>& tools, const std::string& name) {
    for (const modify_tool& t : tools)
        if (t.name == name) return *t.object;
    if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos && name.size() < 10) {
        const std::size_t index = std::stoul(name);
        if (index < tools.size()) return *tools[index].object;
    }
    std::string known;
    for (const modify_tool& t : tools) known += (known.empty() ? "" : ", ") + ("\"" + t.name + "\"");
    throw std::invalid_argument(
        (boost::format("there is no modify tool \"%s\" (there are: %s)") % name % (known.empty() ? "none" : known))
            .str());
}

}  // namespace

bool run_modify_tool(application& app, const std::string& name, scene& target) {
    modifier_interface& tool = tool_named(modify_tools(app), name);
    const kx::host_ref<scene> hold = kx::host_ref<scene>::share(&target);
    bool answer = false;
    if (tool.undoable()) {
        const undo_scope step(target);
        answer = tool.modify(target);
    } else {
        answer = tool.modify(target);
    }
    if (target.is_modify_mode())
        if (shape_class* active = target.get_active_shape()) draw_modify_wireframe(app, *active);
    return answer;
}

int draw_modify_wireframe(application& app, shape_class& shape) {
    const kx::host_ref<scene_interface> owner(shape.get_scene());
    if (!owner || !owner->is_modify_mode()) return 0;
    const mat4 world = shape.get_transformation_to_world();
    int calls = 0;
    for (const modify_tool& t : modify_tools(app)) {
        t.object->make_wireframe(shape, world, 0, 0, nullptr);
        ++calls;
    }
    return calls;
}

}  // namespace host
