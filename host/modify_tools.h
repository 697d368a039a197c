// The modify-mode tools of the loaded plug-ins as the reference host offers
// them: listed by name, run on a scene, and told when the host redraws a
// mesh that the user is editing in modify mode.
#pragma once

#include <string>
#include <vector>

#include "frame/sdk/modifier.h"

class shape_class;

namespace host {

class application;
class scene;

struct modify_tool {
    std::string name;                      // the plug-in's (translated) name
    modifier_interface* object = nullptr;  // borrowed from the plug-in set
};

// Every modifier object the plug-in set holds, in the order they were made,
// named through the plug-in's get_name.
std::vector<modify_tool> modify_tools(application& app);

// Runs the tool `name` (its name as listed, or its position in the list
// as a number) on `target`: modify(target) inside one undo step of the
// scene when the tool is undoable. In modify mode the host then redraws
// the scene's active shape (draw_modify_wireframe). Returns what modify
// answered. Throws std::invalid_argument naming an unknown tool.
bool run_modify_tool(application& app, const std::string& name, scene& target);

// The host redraws `shape` after an edit: when its scene is in modify mode,
// make_wireframe(shape, its world matrix, pass 0, 0, null) on every
// modifier object. Returns how many objects were called (0 outside modify
// mode or for a shape outside any scene).
int draw_modify_wireframe(application& app, shape_class& shape);

}  // namespace host
