// What the page shows, read from the page's session: the palette's layout
// and controls, the window title, the message window, the scene's shapes
// and modes (JSON), and the toolbar's images (PNG).
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace cli {

class page_session;
class mesh_revisions;

// The palette's layout in the session's language, as a tree of
// {kind, id, label, tooltip, unit, children, control}: `control` is the
// node's index in the state's "controls" (layout order). Throws
// host::file_error when the layout file cannot be read.
nlohmann::json layout_json(page_session& session);

// The session's state: language, lines kept, title, messages, questions,
// controls and toolbar buttons as the user sees them, the scene's modes,
// undo and redo, and every shape (id, name, kind, parent, world matrix,
// meshes with their revision, selection and marks, lines with their
// points). Brings `meshes` up to date first.
nlohmann::json state_json(page_session& session, mesh_revisions& meshes);

// Toolbar button `index`'s image as PNG bytes; empty when the button has
// no image or the index is out of range.
std::string toolbar_png(page_session& session, int index);

}  // namespace cli
