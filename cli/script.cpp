#include "cli/script.h"
#include "cli/script_support.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include <boost/format.hpp>

#include "frame/sdk/korvo.h"
#include "frame/sdk/polygon_mesh.h"
#include "host/application.h"
#include "host/dialog.h"
#include "host/element_marks.h"
#include "host/image.h"
#include "host/mesh_shape.h"
#include "host/modify_tools.h"
#include "host/part.h"
#include "host/palette.h"
#include "host/scene.h"
#include "host/temp_folder.h"
#include "host/io/scene_files.h"

namespace cli {

using namespace script_support;
std::vector<std::string> split_words(const std::string& line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#' && (words.empty() || i + 1 == line.size() || line[i + 1] == ' ' || line[i + 1] == '\t')) {
            break;
        } else if (c == '"') {
            std::string word;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                if (line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) {
                    word += line[i + 1];
                    i += 2;
                } else if (line[i] == '"') {
                    closed = true;
                    ++i;
                    break;
                } else {
                    word += line[i++];
                }
            }
            if (!closed) throw std::invalid_argument("a quote is not closed");
            words.push_back(word);
        } else {
            const std::size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
            words.push_back(line.substr(start, i - start));
        }
    }
    return words;
}

script_runner::script_runner(host::application& app, std::ostream& out) : app_(app), out_(out) {
    app_.set_message_sink([this](const std::string& line) {
        messages_.push_back(line);
        out_ << "| " << line << '\n';
    });
    app_.open_palette();
    // A user always answers: a dialog nobody answered fails the script.
    app_.set_dialogs_need_answers(true);
    if (!app_.current_scene()) app_.new_scene();
    for (const host::resource_files& set : app_.resources()) {
        const host::text_resources english(set, host::language::english);
        if (const auto* table = english.table("twinel_strings")) english_table_ = *table;
    }
}

std::string script_runner::translated(const std::string& english) {
    if (app_.lang() == host::language::english) return english;
    for (std::size_t i = 0; i < english_table_.size(); ++i) {
        if (english_table_[i] != english) continue;
        kx::host_ref<string_table_interface> table(app_.get_string_table("twinel_strings"));
        const char* text = table ? table->get(static_cast<int>(i)) : nullptr;
        if (text) return text;
    }
    return app_.gettext(english.c_str());
}

void script_runner::run(std::istream& in, const std::string& name) {
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        try {
            run_line(line);
        } catch (const std::exception& e) {
            throw script_error(name + ":" + std::to_string(number) + ": " + e.what(), number);
        }
    }
    // Answers nobody asked for mean the session went otherwise than the
    // script says.
    const std::size_t answers = app_.queued_answers(), paths = app_.queued_file_paths();
    if (answers + paths + dialog_edits_.size() > 0)
        throw script_error((boost::format("%s: the script ended with %i answers, %i file paths and %i dialog edits "
                                          "still queued") %
                            name % answers % paths % dialog_edits_.size())
                               .str());
}

bool script_runner::run_line(const std::string& line) {
    const words w = split_words(line);
    if (w.empty()) return false;
    app_.clear_unanswered();
    const std::size_t requests = app_.file_requests().size(), saved = app_.saved_files().size();
    try {
        execute(w);
    } catch (...) {
        note_saved_paths(requests, saved);
        throw;
    }
    note_saved_paths(requests, saved);
    // The plug-in may swallow the host's refusal to answer; the line that
    // asked still fails.
    if (!app_.unanswered().empty()) throw line_error(app_.unanswered().front());
    ++lines_run_;
    return true;
}

void script_runner::execute(const words& w) {
    using handler = void (script_runner::*)(const words&);
    struct command {
        const char* name;
        handler run;
    };
    static constexpr command commands[] = {
        {"open", &script_runner::open_file},        {"scene", &script_runner::new_scene},
        {"activate", &script_runner::activate},     {"mode", &script_runner::set_mode},
        {"modify", &script_runner::set_modify},     {"select", &script_runner::select},
        {"move", &script_runner::move_vertex},      {"add", &script_runner::add_element},
        {"delete", &script_runner::delete_elements}, {"merge", &script_runner::merge},
        {"copy", &script_runner::copy_shape},       {"group", &script_runner::group},
        {"remove", &script_runner::remove_shape},
        {"set", &script_runner::set_value},         {"press", &script_runner::press},
        {"toolbar", &script_runner::press_toolbar}, {"tool", &script_runner::run_tool},
        {"answer", &script_runner::queue_answer},   {"path", &script_runner::queue_path},
        {"idle", &script_runner::idle},             {"refresh", &script_runner::refresh},
        {"undo", &script_runner::undo},             {"redo", &script_runner::redo},
        {"save", &script_runner::save},             {"print", &script_runner::print},
        {"expect", &script_runner::expect},         {"clear", &script_runner::clear},
        {"echo", &script_runner::echo},
        {"dialog", &script_runner::dialog_edit},   {"scratch-path", &script_runner::scratch_path},
        {"transform", &script_runner::transform},   {"bind", &script_runner::bind},
        {"line", &script_runner::make_line},        {"handle", &script_runner::set_handle},
        {"joint", &script_runner::make_joint},      {"surface", &script_runner::make_surface},
        {"texture", &script_runner::texture},       {"skin-matrix", &script_runner::skin_matrix},
    };
    for (const command& c : commands)
        if (w[0] == c.name) return (this->*c.run)(w);
    throw line_error("unknown command '" + w[0] + "'");
}

host::scene& script_runner::scene() {
    if (!app_.current_scene()) app_.new_scene();
    return *app_.current_scene();
}

host::mesh_shape& script_runner::active_mesh() {
    auto* shape = dynamic_cast<host::mesh_shape*>(scene().get_active_shape());
    if (!shape) throw line_error("the active shape is not a polygon mesh (use activate NAME)");
    return *shape;
}

host::mesh_shape& script_runner::mesh_named(const std::string& name) {
    auto* shape = dynamic_cast<host::mesh_shape*>(&shape_ref(name));
    if (!shape) throw line_error("'" + name + "' is not a polygon mesh");
    return *shape;
}

shape_class& script_runner::shape_ref(const std::string& ref) {
    shape_class* shape = !ref.empty() && ref[0] == '#' ? scene().get_shape_by_index(to_int(ref.substr(1)))
                                                       : scene().get_shape_by_name(ref.c_str());
    if (!shape) throw line_error("the scene has no shape " + ref);
    return *shape;
}

host::palette& script_runner::palette() { return app_.open_palette(); }

void script_runner::edited(host::mesh_shape& shape) { app_.after_user_edit(shape); }

// ---- scene and shapes ------------------------------------------------------

void script_runner::open_file(const words& w) {
    need(w, 2, "open FILE");
    // An OBJ, scene or glTF file, by its extension. What the file carried
    // that the host has no place for is named, one line a kind.
    host::file_warnings warnings;
    const std::vector<host::shape*> shapes = host::import_file(scene(), file_name(w[1]), nullptr, &warnings);
    for (const std::string& warning : warnings) out_ << "warning: " << warning << '\n';
    if (!shapes.empty()) {
        shape_class* first = shapes.front();
        scene().set_active_shapes(1, &first);
    }
}

void script_runner::new_scene(const words& w) {
    if (w.size() != 2 || w[1] != "new") throw line_error("usage: scene new");
    app_.new_scene();
}

void script_runner::activate(const words& w) {
    need(w, 2, "activate SHAPE");
    shape_class* shape = &shape_ref(w[1]);
    scene().set_active_shapes(1, &shape);
}

void script_runner::set_mode(const words& w) {
    need(w, 2, "mode vertex|edge|face");
    const int mode = w[1] == "face" ? 0 : w[1] == "edge" ? 1 : w[1] == "vertex" ? 2 : -1;
    if (mode < 0) throw line_error("expected vertex, edge or face, not '" + w[1] + "'");
    scene().set_selection_mode(mode);
}

void script_runner::set_modify(const words& w) {
    need(w, 2, "modify on|off");
    if (w[1] == "on")
        scene().enter_modify_mode();
    else if (w[1] == "off")
        scene().exit_modify_mode();
    else
        throw line_error("expected on or off, not '" + w[1] + "'");
}

void script_runner::select(const words& w) {
    need(w, 2, "select vertices|edges|faces [INDEX ...]");
    const int target = target_of(w[1]);
    host::mesh_shape& shape = active_mesh();
    polygon_mesh_class& mesh = shape.polygon();
    const std::vector<int> indices = to_ints(w, 2);
    check_indices(mesh, target, indices);
    shape.clear_active_elements();
    if (target == 1) {
        mesh.begin_vertex_selection();
        for (int i : indices) mesh.vertex(i).set_active(true);
        mesh.end_vertex_selection();
    } else {
        for (int i : indices) {
            if (target == 2)
                mesh.edge(i).set_active(true);
            else
                mesh.face(i).set_active(true);
        }
    }
}

void script_runner::move_vertex(const words& w) {
    need(w, 5, "move VERTEX X Y Z");
    host::mesh_shape& shape = active_mesh();
    const int v = to_int(w[1]);
    if (v < 0 || v >= shape.polygon().get_number_of_vertices())
        throw line_error("vertex " + w[1] + " is out of range");
    {
        host::undo_scope step(scene());
        shape.polygon().vertex(v).set_position(vec3(to_float(w[2]), to_float(w[3]), to_float(w[4])));
    }
    edited(shape);
}

void script_runner::add_element(const words& w) {
    need(w, 2, "add vertex X Y Z | add face V V V ... | add edge V V");
    host::mesh_shape& shape = active_mesh();
    polygon_mesh_class& mesh = shape.polygon();
    const std::vector<int> v = w[1] == "vertex" ? std::vector<int>() : to_ints(w, 2);
    for (int i : v)
        if (i < 0 || i >= mesh.get_number_of_vertices()) throw line_error("vertex " + std::to_string(i) + " is out of range");
    {
        host::undo_scope step(scene());
        if (w[1] == "vertex") {
            need(w, 5, "add vertex X Y Z");
            mesh.append_vertex(vec3(to_float(w[2]), to_float(w[3]), to_float(w[4])));
        } else if (w[1] == "face") {
            if (v.size() < 3) throw line_error("a face needs at least 3 vertices");
            mesh.append_face(static_cast<int>(v.size()), v.data());
        } else if (w[1] == "edge") {
            if (v.size() != 2) throw line_error("an edge needs 2 vertices");
            mesh.append_edge(v[0], v[1]);
        } else {
            throw line_error("expected vertex, face or edge, not '" + w[1] + "'");
        }
    }
    edited(shape);
}

void script_runner::delete_elements(const words& w) {
    need(w, 3, "delete vertices|edges|faces INDEX ...");
    const int target = target_of(w[1]);
    host::mesh_shape& shape = active_mesh();
    polygon_mesh_class& mesh = shape.polygon();
    const std::vector<int> indices = to_ints(w, 2);
    check_indices(mesh, target, indices);
    {
        host::undo_scope step(scene());
        if (target == 1) {
            mesh.begin_removing_vertices();
            for (int i : indices) mesh.remove_vertex(i);
            mesh.end_removing_vertices();
        } else if (target == 2) {
            mesh.begin_removing_edges();
            for (int i : indices) mesh.remove_edge(i);
            mesh.end_removing_edges();
        } else {
            mesh.begin_removing_faces();
            for (int i : indices) mesh.remove_face(i);
            mesh.end_removing_faces();
        }
    }
    edited(shape);
}

void script_runner::merge(const words&) {
    host::mesh_shape& shape = active_mesh();
    {
        host::undo_scope step(scene());
        scene().merge_selected_vertices();
    }
    edited(shape);
}

void script_runner::copy_shape(const words& w) {
    need(w, 2, "copy SHAPE");
    shape_ref(w[1]).duplicate(mat4());
}

void script_runner::group(const words& w) {
    need(w, 3, "group NAME SHAPE ...");
    std::vector<host::shape*> members;
    for (std::size_t i = 2; i < w.size(); ++i) {
        auto* s = dynamic_cast<host::shape*>(&shape_ref(w[i]));
        if (!s || s == &scene().root()) throw line_error("cannot group " + w[i]);
        members.push_back(s);
    }
    host::undo_scope step(scene());
    host::part& part = scene().add_part(w[1]);
    for (host::shape* s : members) scene().place(*s, &part, host::scene::at_end);
}

void script_runner::remove_shape(const words& w) {
    need(w, 2, "remove SHAPE");
    scene().remove_shape(shape_ref(w[1]));
}

// ---- the palette and the tools ---------------------------------------------

void script_runner::set_value(const words& w) {
    need(w, 3, "set CONTROL VALUE");
    palette().set_value(w[1], to_float(w[2]));
}

void script_runner::press(const words& w) {
    need(w, 2, "press CONTROL");
    palette().press(w[1]);
}

void script_runner::press_toolbar(const words& w) {
    need(w, 2, "toolbar INDEX");
    palette().press_toolbar(to_int(w[1]));
}

void script_runner::run_tool(const words& w) {
    need(w, 2, "tool NAME");
    // Tools are listed under their names in the host's language.
    if (!host::run_modify_tool(app_, translated(w[1]), scene()))
        throw line_error("no modify-mode tool named '" + w[1] + "'");
}

void script_runner::queue_answer(const words& w) {
    need(w, 2, "answer yes|no|ok|cancel");
    const std::string& a = w[1];
    if (a == "yes") app_.queue_answer(host::answer::yes);
    else if (a == "no") app_.queue_answer(host::answer::no);
    else if (a == "ok") app_.queue_answer(host::answer::ok);
    else if (a == "cancel") app_.queue_answer(host::answer::cancel);
    else throw line_error("expected yes, no, ok or cancel, not '" + a + "'");
}

void script_runner::queue_path(const words& w) {
    need(w, 2, "path FILE | path --cancel");
    if (w[1] == "--cancel") {
        app_.queue_file_cancel();
        queue_path_answer("", "");
    } else {
        app_.queue_file_path(file_name(w[1]));
        queue_path_answer(w[1], file_name(w[1]));
    }
}

void script_runner::idle(const words& w) { palette().idle(w.size() > 1 ? to_int(w[1]) : 1); }

void script_runner::refresh(const words& w) {
    const int passes = w.size() > 1 ? to_int(w[1]) : 1;
    for (int i = 0; i < passes; ++i) palette().refresh();
}

void script_runner::undo(const words&) {
    if (!scene().undo()) throw line_error("nothing to undo");
}

void script_runner::redo(const words&) {
    if (!scene().redo()) throw line_error("nothing to redo");
}

void script_runner::save(const words& w) {
    need(w, 2, "save FILE [SHAPE ...]");
    // The named shapes, or the whole scene: a scene file holds them with
    // their subtrees, an OBJ file their polygon meshes.
    std::vector<const host::shape*> shapes;
    if (w.size() > 2) {
        for (std::size_t i = 2; i < w.size(); ++i) {
            const auto* s = dynamic_cast<const host::shape*>(&shape_ref(w[i]));
            if (!s) throw line_error("cannot save " + w[i]);
            shapes.push_back(s);
        }
    } else {
        shapes.push_back(&scene().root());
    }
    host::file_warnings warnings;
    host::export_file(scene(), shapes, file_name(w[1]), host::obj_uv_set::parameter, &warnings);
    note_written(w[1]);
    for (const std::string& warning : warnings) out_ << "warning: " << warning << '\n';
}

// ---- the rest ------------------------------------------------------------------

void script_runner::clear(const words& w) {
    if (w.size() != 2 || w[1] != "messages") throw line_error("usage: clear messages");
    app_.clear_messages();
}

void script_runner::echo(const words& w) { out_ << rest(w, 1) << '\n'; }

// ---- dialogs and the files a session writes -------------------------------------

void script_runner::dialog_edit(const words& w) {
    need(w, 3, "dialog ITEM int|selection N | bool on|off | rgb R G B | string TEXT | press");
    const int id = to_int(w[1]);
    const std::string& kind = w[2];
    std::function<void(host::dialog&)> edit;
    if (kind == "press") {
        edit = [id](host::dialog& d) { d.press(id); };
    } else if (kind == "int" || kind == "selection") {
        need(w, 4, "dialog ITEM int|selection N");
        const int n = to_int(w[3]);
        if (kind == "int")
            edit = [id, n](host::dialog& d) { d.set_int(id, n); };
        else
            edit = [id, n](host::dialog& d) { d.set_selection(id, n); };
    } else if (kind == "bool") {
        need(w, 4, "dialog ITEM bool on|off");
        if (w[3] != "on" && w[3] != "off") throw line_error("expected on or off, not '" + w[3] + "'");
        const bool on = w[3] == "on";
        edit = [id, on](host::dialog& d) { d.set_bool(id, on); };
    } else if (kind == "rgb") {
        need(w, 6, "dialog ITEM rgb R G B");
        const vec3 c(to_float(w[3]), to_float(w[4]), to_float(w[5]));
        edit = [id, c](host::dialog& d) { d.set_rgb(id, c); };
    } else if (kind == "string") {
        const std::string text = rest(w, 3);
        edit = [id, text](host::dialog& d) { d.set_string(id, text.c_str()); };
    } else {
        throw line_error("expected int, selection, bool, rgb, string or press, not '" + kind + "'");
    }
    dialog_edits_.push_back(std::move(edit));
    app_.set_dialog_input([this](host::dialog& d) {
        const auto edits = std::move(dialog_edits_);
        dialog_edits_.clear();
        for (const auto& e : edits) e(d);
    });
}

struct script_runner::scratch_folder {
    std::filesystem::path path;
    bool kept = false;
    ~scratch_folder() {
        if (kept) return;
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

void script_runner::keep_scratch_in(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec || !std::filesystem::is_directory(folder))
        throw script_error((boost::format("%s: cannot make the scratch folder (%s)") % folder %
                            (ec ? ec.message() : std::string("not a folder")))
                               .str());
    scratch_ = std::make_shared<scratch_folder>();
    scratch_->path = folder;
    scratch_->kept = true;
}

namespace {

// A new folder of this user's in the system's temporary folder.
std::filesystem::path make_scratch_folder() {
    try {
        return host::make_temp_folder("twinel_script_");
    } catch (const std::runtime_error& e) {
        throw line_error(std::string("cannot make a scratch folder: ") + e.what());
    }
}

}  // namespace

std::string script_runner::scratch_file(const std::string& name) {
    if (!scratch_) {
        std::filesystem::path path = make_scratch_folder();
        scratch_ = std::make_shared<scratch_folder>();
        scratch_->path = std::move(path);
    }
    // Joined with the separator the folder's own path is written with, so
    // that a folder given as "out/x" names its files "out/x/NAME" on
    // Windows too, where "\\" is the system's own.
    const std::string folder = scratch_->path.string();
#ifdef _WIN32
    const char separator = folder.find('/') != std::string::npos ? '/' : '\\';
    if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) return folder + name;
#else
    const char separator = '/';
    if (!folder.empty() && folder.back() == '/') return folder + name;
#endif
    return folder + separator + name;
}

std::string script_runner::file_name(const std::string& name) {
    if (name.size() > 1 && name[0] == '@') return scratch_file(name.substr(1));
    return name;
}

void script_runner::scratch_path(const words& w) {
    need(w, 2, "scratch-path NAME");
    app_.queue_file_path(scratch_file(w[1]));
    queue_path_answer("@" + w[1], scratch_file(w[1]));
}

void script_runner::queue_path_answer(const std::string& name, const std::string& path) {
    queued_paths_.push_back({name, path});
}

void script_runner::note_saved_paths(std::size_t first_request, std::size_t first_saved) {
    // The requests of one line take the queued answers from the front, in
    // order, until none is left (the next one fails the line).
    const auto& requests = app_.file_requests();
    const std::vector<std::string>& saved = app_.saved_files();
    for (std::size_t i = first_request; i < requests.size() && queued_paths_.size() > app_.queued_file_paths(); ++i) {
        const queued_path answer = queued_paths_.front();
        queued_paths_.pop_front();
        if (requests[i].open || answer.path.empty()) continue;
        std::vector<std::string> suffixes = {""};
        for (const std::string& type : requests[i].types) suffixes.push_back("." + type);
        for (const std::string& suffix : suffixes)
            if (std::find(saved.begin() + static_cast<std::ptrdiff_t>(first_saved), saved.end(), answer.path + suffix) !=
                saved.end())
                note_written(answer.name + suffix);
    }
}

void script_runner::note_written(const std::string& path) {
    if (std::find(files_written_.begin(), files_written_.end(), path) == files_written_.end())
        files_written_.push_back(path);
}


}  // namespace cli
