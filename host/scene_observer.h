// Scene events for whoever follows the host's scenes (a palette window, the
// command line). The application passes every event to its observers.
#pragma once

#include <vector>

class shape_class;

namespace host {

class scene;

class scene_observer {
public:
    // A new scene was opened (it becomes current right after).
    virtual void scene_opened(scene& s) { (void)s; }
    // A scene became the application's current scene (also when it is new).
    virtual void active_scene_changed(scene& s) { (void)s; }
    // Shapes were made (lines, imports), copied (duplicates) or are about to
    // leave the scene.
    virtual void shapes_created(scene& s, const std::vector<shape_class*>& shapes) { (void)s, (void)shapes; }
    virtual void shapes_copied(scene& s, const std::vector<shape_class*>& shapes) { (void)s, (void)shapes; }
    virtual void shapes_being_deleted(scene& s, const std::vector<shape_class*>& shapes) { (void)s, (void)shapes; }
    // Shapes were brought into the scene from outside it (inserted from a file or pasted).
    virtual void shapes_inserted(scene& s, const std::vector<shape_class*>& shapes) { (void)s, (void)shapes; }
    // The list of active shapes was set.
    virtual void active_shapes_changed(scene& s, const std::vector<shape_class*>& shapes) { (void)s, (void)shapes; }
    // Undo or redo put these shapes back as they were in another state.
    virtual void shapes_restored(scene& s, const std::vector<shape_class*>& shapes) { (void)s, (void)shapes; }
    // The shape browser (the tree view of the scene) was redrawn.
    virtual void browser_updated(scene& s) { (void)s; }

protected:
    ~scene_observer() = default;
};

}  // namespace host
