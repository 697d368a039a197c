// How a shape's parts announce a change before making it (for undo).
#pragma once

namespace host {

enum class change_kind {
    // Selection flags and computed normals: recorded inside an undo step,
    // but outside one they leave the redo history alone.
    selection,
    // Positions, UVs, skins, flags, names, attributes: recorded inside an
    // undo step; outside one they make the redo history stale.
    content,
    // Content that also changes which faces, edges or vertices exist or how
    // they connect; lookups built over the mesh go stale.
    topology,
};

class change_listener {
public:
    // Called before every change of the listener's data.
    virtual void will_change(change_kind kind) = 0;

protected:
    ~change_listener() = default;
};

}  // namespace host
