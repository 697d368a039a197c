// The UV template export: "Save UV template" runs the Template Setting
// dialog, whose handler the window is. The window moves its template
// settings into and out of the dialog, asks for the file on "browse", and
// on OK draws the current mesh's UV layout into a host image and saves it.
#include <cstddef>
#include <string>
#include <vector>

#include <boost/format.hpp>

#include "frame/globals.h"
#include "frame/sdk/dialog.h"
#include "frame/sdk/image.h"
#include "frame/sdk/korvo.h"
#include "uv/filepath_dialog.h"
#include "uv/uv_template.h"
#include "window/host_boundary.h"
#include "window/symmetry_window.h"

namespace {

// Items of the dialog "uv_dialog_id".
namespace item {
constexpr int file_name = 11;
constexpr int browse = 12;
constexpr int file_type = 13;
constexpr int width = 21;
constexpr int height = 22;
constexpr int target_uv = 30;
constexpr int background = 41;
constexpr int line = 42;
constexpr int mark_line = 43;
constexpr int centre_blank = 50;
}  // namespace item

constexpr int cancel_code = 2;
constexpr int file_types = static_cast<int>(sizeof extention_list / sizeof extention_list[0]);

// What the dialog shows of a path: the file's name after the last folder.
std::string file_part(const std::string& path) {
#ifdef _WIN32
    const std::size_t at = path.find_last_of("\\/");
#else
    const std::size_t at = path.find_last_of('/');
#endif
    return at == std::string::npos ? path : path.substr(at + 1);
}

uv_template drawing_of(const symmetry_window::template_settings& s) {
    uv_template t;
    t.width = s.width;
    t.height = s.height;
    t.column_step = s.column_step;
    t.row_step = s.row_step;
    t.target_uv = s.target_uv;
    t.background = s.background;
    t.line = s.line;
    t.mark_line = s.mark_line;
    t.centre_blank = s.centre_blank;
    return t;
}

// Draws the current mesh's template and saves it to the template file. A
// size below one pixel, no file chosen, or an image the host cannot make
// or save is refused with a message, before anything is written.
void export_template(symmetry_window& w) {
    if (!w.is_polygon || !w.current_polygon.mesh) return w.show("Reselect polygon mesh shape.");
    const symmetry_window::template_settings& s = w.template_values;
    if (s.width <= 0 || s.height <= 0) return w.show("Image size must be 1 pixel or more.");
    if (w.template_file_name.empty()) return w.show("No file to save to: choose one with browse.");
    const kx::host_ref<image_interface> image(w.host.create_image_interface(s.width, s.height));
    if (!image) return w.show("Can't make UV template image of this size.");

    // The component owns the list it answers; it is copied at once.
    std::vector<int> marked;
    const std::pair<int, const int*> marks = Mark.get_mark(*w.current_polygon.shape, mark_request::EDGES);
    if (marks.first > 0 && marks.second) marked.assign(marks.second, marks.second + marks.first);

    for (const uv_template::face_error& e : drawing_of(s).draw(*image, w.current_polygon, marked)) {
        boost::format text(w.host.gettext("error face:%i vertex:%i from< %f , %f > to< %f , %f >"));
        text % e.face % e.corner % e.from.x % e.from.y % e.to.x % e.to.y;
        w.host.show_message(text.str().c_str(), false);
    }
    if (!image->save(w.template_file_name.c_str())) return w.show("Can't save UV template.");
    if (w.settings.verbose) w.show("UV save finished.");
}

// Marks the Template Setting dialog as running for the life of the guard.
class dialog_running {
public:
    explicit dialog_running(bool& closed) : closed_(closed) { closed_ = false; }
    ~dialog_running() { closed_ = true; }
    dialog_running(const dialog_running&) = delete;
    dialog_running& operator=(const dialog_running&) = delete;

private:
    bool& closed_;
};

}  // namespace

void symmetry_window::save_uv_template() {
    if (!is_polygon || !current_polygon.mesh) return show("Reselect polygon mesh shape.");
    if (!template_dialog) return;
    const std::pair<int, int> size = get_layer_image_size(*current_shape.shape);
    template_values.width = size.first;
    template_values.height = size.second;
    const dialog_running running(template_values.dialog_closed);
    template_dialog->run();
}

void symmetry_window::load_dialog_data(dialog_interface& dialog) {
    if (template_values.dialog_closed) return;
    at_host_boundary([&] {
        // Without a texture size the dialog keeps what it showed last.
        if (template_values.width < 0 || template_values.height < 0) return;
        dialog.set_int(item::width, template_values.width);
        dialog.set_int(item::height, template_values.height);
    });
}

bool symmetry_window::respond(dialog_interface& dialog, int id, int action) {
    if (template_values.dialog_closed || id != item::browse || action != 0) return false;
    at_host_boundary([&] {
        int type = dialog.get_selection(item::file_type);
        if (type < 0 || type >= file_types) type = 0;
        const char* types[] = {extention_list[type]};
        if (filepath_dialog(host, template_file_name, 1, types, false))
            dialog.set_string(item::file_name, file_part(template_file_name).c_str());
    });
    return true;
}

void symmetry_window::save_dialog_data(dialog_interface& dialog) {
    if (template_values.dialog_closed) return;
    at_host_boundary([&] {
        template_settings& s = template_values;
        s.width = dialog.get_int(item::width);
        s.height = dialog.get_int(item::height);
        s.target_uv = dialog.get_selection(item::target_uv);
        s.background = dialog.get_rgb(item::background);
        s.line = dialog.get_rgb(item::line);
        s.mark_line = dialog.get_rgb(item::mark_line);
        s.centre_blank = dialog.get_bool(item::centre_blank);
        // A size below one pixel has no steps; the export refuses it.
        if (s.width > 0) s.column_step = uv_template::column_step_of(s.width);
        if (s.height > 0) s.row_step = uv_template::row_step_of(s.height);
    });
}

int symmetry_window::terminate(dialog_interface&, int code) {
    if (template_values.dialog_closed) return cancel_code;
    if (code != cancel_code) at_host_boundary([&] { export_template(*this); });
    return code;
}
