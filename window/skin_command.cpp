// "Symmerize Skin": the window's side of skin symmetry — the warning about
// a pairing that is not complete, and the message the pairing answers.
#include <optional>
#include <string>

#include "frame/sdk/korvo.h"
#include "symmetry/twinel_class.h"
#include "window/symmetry_window.h"

void symmetry_window::symmetrize_skins() {
    if (!current_twinel) return;
    twinel_class& pairing = *current_twinel;
    if (settings.verbose && (pairing.vertex_table.unmatched > 0 || pairing.face_table.unmatched > 0))
        show("Shape is not complete twinel. only paired vertices are set skin.");
    const std::optional<std::string> message = pairing.sym_skins();
    // The pairing answers in the user's language already.
    if (message && settings.verbose) host.show_message(message->c_str(), false);
}
