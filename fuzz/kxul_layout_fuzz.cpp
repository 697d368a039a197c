// Fuzz target: the KXUL layout loader.
//
// The input is read as a KXUL file holding the palette layout "WINDOW" and
// the dialog "uv_dialog_id", as the reference host looks them up for the
// plug-in. Either a layout comes out, whose controls and bounds are then
// walked, or host::file_error names the file; nothing else may happen.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_input_file.h"
#include "host/dialog_layout.h"
#include "host/io/file_error.h"
#include "host/palette_layout.h"

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "kxul_layout_fuzz: %s\n", what);
    std::abort();
}

void expect_named(const host::file_error& e, const std::string& path) {
    if (e.file() != path || std::string(e.what()).rfind(path, 0) != 0) fault("a layout error does not name the file");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static twinel_fuzz::input_file input(".kxul");
    const std::string& path = input.write(data, size);
    if (path.empty()) return 0;
    try {
        const host::palette_layout layout = host::read_palette_layout(path, "WINDOW");
        std::size_t ids = 0;
        for (const host::layout_node* n : host::layout_controls(layout)) ids += n->id.size();
        const kx::rect_class bounds = host::layout_bounds(layout);
        if (bounds.right < bounds.left || bounds.bottom < bounds.top) fault("layout bounds are inverted");
        (void)ids;
    } catch (const host::file_error& e) {
        expect_named(e, path);
    }
    try {
        const host::dialog_layout dialog = host::read_dialog_layout(path, "uv_dialog_id");
        for (const host::dialog_item& item : dialog.items)
            if (item.kind == host::dialog_item_kind::selection && !item.items.empty() &&
                (item.int_default < 0 || item.int_default >= static_cast<int>(item.items.size())))
                fault("a selection default lies outside its items");
    } catch (const host::file_error& e) {
        expect_named(e, path);
    }
    return 0;
}
