// The host's scene events. Shapes that enter a scene lose the paired-shape
// attribute (no pairing survives a file or a copy), shapes that leave it
// release their pairings, and a newly active shape becomes the current one.
#include "frame/globals.h"
#include "frame/identifiers.h"
#include "frame/sdk/scene.h"
#include "frame/sdk/shape.h"
#include "mesh/shape_attribute.h"
#include "symmetry/pairing_registry.h"
#include "symmetry/pairing_state.h"
#include "window/host_boundary.h"
#include "window/symmetry_window.h"

namespace {

// Idle calls to wait after a scene was opened or activated, while the host
// may still be building it.
constexpr int scene_start_countdown = 30;

void clear_paired_marks(int count, shape_class* const* shapes) {
    for (int k = 0; k < count && shapes; ++k)
        if (shapes[k]) clear_shape_attribute_with_uuid(*shapes[k], twinel_uuid);
}

}  // namespace

void symmetry_window::scene_opened(bool& flag, scene_interface* scene) {
    flag = false;
    if (uninitialised || !scene) return;
    const flag_guard hold(busy);
    start_countdown = scene_start_countdown;
    at_host_boundary([&] {
        scene->begin_open();
        clear_shape_attribute_with_uuid(scene->get_root_part(), twinel_uuid);
        scene->end_open(0, 0);
    });
}

void symmetry_window::active_scene_changed(bool& flag, scene_interface* scene) {
    flag = false;
    if (!scene) return;
    at_host_boundary([&] { scene->begin_open(); });
    start_countdown = scene_start_countdown;
}

void symmetry_window::shapes_inserted(bool& flag, int count, shape_class* const* shapes) {
    flag = false;
    if (busy || uninitialised) return;
    const flag_guard hold(busy);
    at_host_boundary([&] { clear_paired_marks(count, shapes); });
}

void symmetry_window::shapes_created(bool& flag, int count, shape_class* const* shapes) {
    flag = false;
    if (busy || uninitialised) return;
    const flag_guard hold(busy);
    at_host_boundary([&] { clear_paired_marks(count, shapes); });
}

void symmetry_window::shapes_copied(bool& flag, int count, shape_class* const* shapes) {
    flag = false;
    if (busy || uninitialised) return;
    const flag_guard hold(busy);
    at_host_boundary([&] { clear_paired_marks(count, shapes); });
}

void symmetry_window::shapes_being_deleted(bool& flag, scene_interface* scene, int count,
                                           shape_class* const* shapes) {
    flag = false;
    if (uninitialised || busy) return;
    if (scene && start_countdown <= 0) {
        const flag_guard hold(busy);
        at_host_boundary([&] {
            for (int k = 0; k < count && shapes; ++k)
                if (shapes[k]) delete_twinel_object(*shapes[k]);
        });
    }
    // Whatever the countdown says, the window must not go on pointing at a
    // pairing just destroyed, nor at a shape on its way out.
    at_host_boundary([&] { forget_deleted(count, shapes); });
}

void symmetry_window::active_shapes_changed(bool& flag, scene_interface& scene, int count,
                                            shape_class* const* shapes) {
    flag = false;
    if (count <= 0 || !shapes || !shapes[0] || busy || start_countdown > 0) return;
    at_host_boundary([&] { shape_change(scene, shapes[0]); });
}

void symmetry_window::browser_updated(bool& flag) { flag = false; }

void symmetry_window::shapes_restored(bool& flag, scene_interface* scene, int count, shape_class* const* shapes) {
    flag = false;
    if (uninitialised || !scene) return;
    std::vector<restored_pairing> changed;
    {
        const flag_guard hold(busy);
        at_host_boundary([&] {
            const shape_class& root = scene->get_root_part();
            for (int k = 0; k < count && shapes; ++k)
                if (shapes[k]) restore_pairings(*shapes[k], root, settings, changed);
        });
    }
    at_host_boundary([&] {
        forget_deleted(0, nullptr);
        if (is_polygon) current_twinel = SymS.get_extend_object(current_polygon.shape);
        if (changed.empty()) return;
        for (const restored_pairing& r : changed) {
            if (r.what == pairing_restore::unreadable) {
                show("The pairing kept with the mesh cannot be read.");
                show("Release Twinel.");
            } else if (r.what == pairing_restore::released) {
                show("The restored mesh has no pairing.");
                show("Release Twinel.");
            }
        }
        start_trigger(scene, true);
    });
}
