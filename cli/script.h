// The session language of `twinel script`: one command per line, driving
// the reference host the way a user drives Korvo — files, shapes, selection,
// edits, the palette's controls and buttons, the modify-mode tools, undo —
// and `expect` lines that check what the user would see.
//
// Words are separated by blanks; "double quotes" keep blanks inside a word
// (\" and \\ inside them); a # that starts the line's first word, or that
// stands alone or before a blank, starts a comment ("#3" is a word).
#pragma once

#include <ctime>
#include <deque>
#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/text_resources.h"

class shape_class;
class twinel_class;
struct mat4;

namespace host {
struct mesh_data;
class application;
class dialog;
class mesh_shape;
class palette;
class scene;
}  // namespace host

namespace cli {

// A line that failed: what went wrong, with the script's name and line.
class script_error : public std::runtime_error {
public:
    // `line`: the number of the script's line that failed; 0 when the
    // failure is the script's as a whole.
    explicit script_error(const std::string& what, int line = 0) : std::runtime_error(what), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

// The words of one script line; throws std::invalid_argument for an
// unterminated quote.
std::vector<std::string> split_words(const std::string& line);

class script_runner {
public:
    // Runs against `app`, which must have the plug-in loaded. Opens the
    // plug-in's palette and a first scene. What the script prints goes to
    // `out`, and so does every message-window line as it arrives.
    script_runner(host::application& app, std::ostream& out);

    // Runs every line of `in`. Throws script_error naming `name` and the
    // line at the first line that fails (an unknown command, a bad value, a
    // failing expectation, a host error).
    void run(std::istream& in, const std::string& name);

    // Runs one line (a comment or blank line does nothing; answers false).
    // Throws at a failure, with what went wrong but no file or line number;
    // the session goes on from the state the line left.
    bool run_line(const std::string& line);

    int lines_run() const { return lines_run_; }
    int expectations_met() const { return expectations_; }
    // Every message-window line shown so far, in order ("clear messages"
    // empties the window, not this list).
    const std::vector<std::string>& messages() const { return messages_; }
    // The files the session wrote, in order, each once, as the script
    // names them ("@NAME" for the scratch folder's): those of `save` lines
    // and those the plug-in wrote to a path it asked for.
    const std::vector<std::string>& files_written() const { return files_written_; }

    // Makes `folder` (made when missing, and kept) the scratch folder of
    // the "@NAME" files, instead of a temporary one removed at the end.
    // Throws script_error when it cannot be made.
    void keep_scratch_in(const std::string& folder);

private:
    using words = std::vector<std::string>;
    void execute(const words& w);

    host::scene& scene();
    host::mesh_shape& active_mesh();
    host::mesh_shape& mesh_named(const std::string& name);
    // A shape by name (the first in scene order) or by "#INDEX" (its index
    // in scene order, the root being #0).
    shape_class& shape_ref(const std::string& ref);
    host::palette& palette();

    // Commands.
    void open_file(const words& w);
    void new_scene(const words& w);
    void activate(const words& w);
    void set_mode(const words& w);
    void set_modify(const words& w);
    void select(const words& w);
    void move_vertex(const words& w);
    void add_element(const words& w);
    void delete_elements(const words& w);
    void merge(const words& w);
    void copy_shape(const words& w);
    void group(const words& w);
    void remove_shape(const words& w);
    void set_value(const words& w);
    void press(const words& w);
    void press_toolbar(const words& w);
    void run_tool(const words& w);
    void queue_answer(const words& w);
    void queue_path(const words& w);
    void idle(const words& w);
    void refresh(const words& w);
    void undo(const words& w);
    void redo(const words& w);
    void save(const words& w);
    void print(const words& w);
    void expect(const words& w);
    void clear(const words& w);
    void echo(const words& w);

    // Set-up for what mesh files cannot say (script_state.cpp): a shape's
    // transform, a vertex's or control point's skin, a line shape and its
    // handles, a joint, a surface part, a texture.
    void transform(const words& w);
    void bind(const words& w);
    void skin_matrix(const words& w);
    void make_line(const words& w);
    void set_handle(const words& w);
    void make_joint(const words& w);
    void make_surface(const words& w);
    void texture(const words& w);
    // The checks and print-outs of that state, of the UV sets, the scene's
    // modes, the pair tables and the message list.
    static bool is_state_check(const std::string& what);
    void expect_state(const words& w);
    static bool is_state_print(const std::string& what);
    void print_state(const words& w);
    static std::string uv_text(const host::mesh_data& m, int face, bool parameter);
    static std::string transform_text(const mat4& m);
    // The active mesh's pairing; fails the line when it has none.
    const twinel_class& active_pairing();

    void print_palette();
    void print_mesh(host::mesh_shape& shape);
    void print_marks(host::mesh_shape& shape);
    void expect_control(const words& w);
    // Ends a user edit of `shape`: the host redraws it (wireframe hook).
    void edited(host::mesh_shape& shape);
    // What the user sees for the English text `english` in the
    // application's language: its translation, or, for an entry of the
    // plug-in's message table, the same entry of the language's table.
    std::string translated(const std::string& english);

    // ---- dialogs and the files a session writes --------------------------
    // dialog ITEM int|selection N, bool on|off, rgb R G B, string TEXT, or
    // press: queued as the user's edits of the next dialog that runs, made
    // in order once it has loaded its data.
    void dialog_edit(const words& w);
    // scratch-path NAME: queues NAME in the session's scratch folder as the
    // next file-path answer, as `path @NAME` does.
    void scratch_path(const words& w);
    // Where a file named in a script is: "@NAME" is NAME in the session's
    // scratch folder (made on first use, removed at the end), any other
    // name is taken as it stands (from the current directory). Every
    // command that reads or writes a file goes through here.
    std::string file_name(const std::string& name);
    // expect pixel FILE X Y R G B A: the image FILE (see file_name) has
    // that colour at (X, Y).
    void expect_pixel(const words& w);
    // The scratch folder (made on first use, removed with the runner).
    std::string scratch_file(const std::string& name);
    struct scratch_folder;

    // The paths queued as file-path answers and not taken yet, in order
    // (empty for a cancel): as the script names them and as files. After
    // each line, the files that the line's save requests were given (or
    // those names with an extension the request offered, which the plug-in
    // adds to a name without one) and that the host saved during the line
    // are noted.
    struct queued_path {
        std::string name, path;
    };
    void queue_path_answer(const std::string& name, const std::string& path);
    void note_saved_paths(std::size_t first_request, std::size_t first_saved);
    void note_written(const std::string& path);

    std::vector<std::function<void(host::dialog&)>> dialog_edits_;
    std::shared_ptr<scratch_folder> scratch_;
    std::deque<queued_path> queued_paths_;
    std::vector<std::string> messages_;
    std::vector<std::string> files_written_;

    host::application& app_;
    std::ostream& out_;
    std::vector<std::string> english_table_;  // the plug-in's message table in English
    int lines_run_ = 0;
    int expectations_ = 0;
};

}  // namespace cli
