// Redrawing the host's UV view after an edit of UVs.
#pragma once

class scene_interface;

// Sets the scene's UV view display flag to its opposite and back, which
// makes the host redraw the view and changes nothing else. Nothing without
// a scene or a UV view.
void refresh_uv_view(scene_interface* scene);
