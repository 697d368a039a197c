// Modify-mode tools that a plug-in adds to the host.
#pragma once

#include "math.h"
#include "plugin.h"

class scene_interface;
class shape_class;

class modifier_interface : public plugin_interface {
public:
    // Runs the tool on the scene; answers whether it ran.
    virtual bool modify(scene_interface& scene) = 0;
    // The host is drawing `shape` in modify mode; `pass` is 0 on the first
    // pass. The other arguments are the host's.
    virtual void make_wireframe(shape_class& shape, const mat4& matrix, int pass, int flags, void* reserved) {
        (void)shape, (void)matrix, (void)pass, (void)flags, (void)reserved;
    }
    virtual bool undoable() { return true; }
};
