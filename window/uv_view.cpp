#include "window/uv_view.h"

#include "frame/sdk/scene.h"
#include "frame/sdk/unknown.h"

void refresh_uv_view(scene_interface* scene) {
    if (!scene) return;
    const kx::host_ref<uv_view_interface> view(scene->get_uv_view());
    if (!view) return;
    const bool on = view->get_display_flag();
    view->set_display_flag(!on);
    view->set_display_flag(on);
}
