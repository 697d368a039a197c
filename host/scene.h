// A scene of the reference host: its shapes, modes, views and undo history.
//
// The scene owns every shape it ever made, also those taken out of the tree,
// so that undo can bring them back and borrowed pointers never dangle.
// Adding and removing shapes is always undoable: without an open step such
// a change makes a step of its own.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "frame/sdk/scene.h"
#include "host/scene_views.h"
#include "host/shape_state.h"
#include "host/undo_stack.h"

namespace host {

class application;
class shape;
class part;
class mesh_shape;
class line_shape;
class primitive_shape;
struct gltf_source;

// How often each figure-update call was made.
struct figure_counters {
    int inhibits = 0;
    int allows = 0;
    int updates = 0;
    int forced = 0;
    int refreshes = 0;
    int inhibit_depth = 0;  // open inhibits
};

class scene final : public kx::ref_counted<scene_interface> {
public:
    explicit scene(application& app);
    ~scene() override;
    scene(const scene&) = delete;
    scene& operator=(const scene&) = delete;

    // ---- scene_interface -------------------------------------------------
    // Forwarded to the application.
    bool show_message(const char* text, bool question) override;
    void message(const char* line) override;
    plugin_interface* find_plugin_interface(const kx::uuid_class& id) override;

    int get_number_of_active_shapes() override;
    shape_class* get_active_shape() override;

    part_class& get_root_part() override;
    shape_class* get_shape_by_index(int index) override;
    // -1 for a shape outside the scene's tree.
    int get_shape_index(const shape_class& s) override;
    // The first shape in scene order with that name.
    shape_class* get_shape_by_name(const char* name) override;

    int get_selection_mode() override { return selection_mode_; }
    // Throws std::invalid_argument for a mode other than 0, 1 or 2.
    void set_selection_mode(int mode) override;

    bool is_modify_mode() override { return modify_mode_; }
    void enter_modify_mode() override { modify_mode_ = true; }
    void exit_modify_mode() override { modify_mode_ = false; }

    // Counted (see figure_counters); an allow without an inhibit is counted
    // but leaves the depth at 0.
    void inhibit_update() override;
    void allow_update() override;
    void update_figure() override { ++counters_.updates; }
    void force_update() override { ++counters_.forced; }
    void refresh() override { ++counters_.refreshes; }
    // True in modify mode: a refresh would end the element edit.
    bool is_editing() override { return modify_mode_; }

    // Merges the selected vertices of the first active shape (a polygon
    // mesh; anything else is left alone) into the lowest-indexed of them,
    // placed at their mean position; see merge_vertices.h.
    void merge_selected_vertices() override;

    progress_interface* create_progress(const char* title) override;

    // A line under the root named "line_<n>", with zero-length handles.
    shape_class* create_line(int count, const vec3* points, bool closed, int reserved1, int reserved2) override;

    uv_view_interface* get_uv_view() override;
    scene_window_interface* get_window() override;

    // Null entries and shapes of other scenes are skipped.
    void set_active_shapes(int count, shape_class* const* shapes) override;
    // Undoable; the root and shapes outside the tree are left alone.
    void remove_shape(shape_class& s) override;

    void begin_open() override {}
    void end_open(int, int) override {}

    // ---- host side -------------------------------------------------------
    application& app() const { return *app_; }
    part& root() const { return *root_; }

    // New shapes, appended to `parent`'s children (the root when null).
    part& add_part(const std::string& name, int part_type = 0, shape* parent = nullptr);
    mesh_shape& add_mesh(const std::string& name, mesh_data data = mesh_data(), shape* parent = nullptr);
    line_shape& add_line(const std::string& name, std::vector<control_point_data> points, bool closed,
                         shape* parent = nullptr);
    primitive_shape& add_primitive(const std::string& name, int kind, const vec3& first, const vec3& second,
                                   shape* parent = nullptr);

    // Takes ownership of a shape made for this scene and hangs it below
    // `parent` at `position` (clamped to the end; `at_end` appends). Undoable.
    static constexpr int at_end = std::numeric_limits<int>::max();
    shape& insert(std::unique_ptr<shape> s, shape& parent, int position);
    // Takes ownership without placing it in the tree.
    shape& keep(std::unique_ptr<shape> s);
    // Moves a shape of this scene below `parent` at `position`; without a
    // parent, takes it out of the tree. Undoable. Throws std::logic_error
    // for a move below itself or of the root, std::invalid_argument for a
    // shape or parent of another scene.
    void place(shape& s, shape* parent, int position);

    // Shapes in scene order: depth first from the root (index 0).
    const std::vector<shape*>& shapes_in_order();
    const std::vector<shape*>& active_shapes() const { return active_; }

    // Undo history (see undo_stack.h). Steps opened here and by undo
    // records nest with each other.
    void begin_undo_step() { undo_.open(); }
    void continue_undo_step() { undo_.reopen(); }
    void end_undo_step() { undo_.close(); }
    // Undo and redo tell the observers which shapes they put back
    // (scene_observer::shapes_restored).
    bool undo();
    bool redo();
    // Forgets the history, e.g. after building a scene that should start
    // without undo steps.
    void clear_history() { undo_.clear(); }
    // Keeps at most `steps` undo steps; 0 saves nothing (see undo_stack).
    void set_history_limit(std::size_t steps) { undo_.set_limit(steps); }
    // Keeps at most about `bytes` of saved states (see undo_stack).
    void set_history_byte_limit(std::size_t bytes) { undo_.set_byte_limit(bytes); }
    bool can_undo() const { return undo_.can_undo(); }
    bool can_redo() const { return undo_.can_redo(); }
    const undo_stack& history() const { return undo_; }
    // Called by shapes before every change.
    void record_change(shape& s, change_kind kind) { undo_.before_change(s, kind); }

    // Passes shape events to the application's observers.
    void announce_created(const std::vector<shape_class*>& shapes);
    void announce_copied(const std::vector<shape_class*>& shapes);
    void announce_inserted(const std::vector<shape_class*>& shapes);
    void announce_browser_updated();

    const figure_counters& counters() const { return counters_; }
    uv_view_state& uv_view_status() { return uv_view_; }
    scene_window_state& window_status() { return window_; }
    int merges() const { return merges_; }
    // Undo records the plug-ins asked for (shape_class::create_undo_record).
    int undo_records_made() const { return undo_records_made_; }
    void count_undo_record() { ++undo_records_made_; }
    // Titles of the progress displays opened so far.
    const std::vector<std::string>& progress_titles() const { return progress_titles_; }

    // The glTF document the scene's shapes were read from (host/io/gltf_source.h),
    // so that writing glTF again keeps what Twinel does not edit; null when
    // the scene did not come from a glTF file.
    const gltf_source* gltf_document() const { return gltf_document_.get(); }
    void set_gltf_document(std::shared_ptr<const gltf_source> document) { gltf_document_ = std::move(document); }

private:
    // After undo or redo: the tree and the active list, then the observers.
    void restored(const std::vector<shape*>& touched);
    void tree_changed() { order_valid_ = false; }
    // Shapes that left the tree are no longer active.
    void drop_inactive();
    std::string unused_line_name();

    application* app_;
    std::vector<std::unique_ptr<shape>> owned_;
    part* root_ = nullptr;
    std::vector<shape*> active_;
    undo_stack undo_;

    std::vector<shape*> order_;
    std::unordered_map<const shape_class*, int> order_index_;
    bool order_valid_ = false;

    int selection_mode_ = 0;
    bool modify_mode_ = false;
    figure_counters counters_;
    uv_view_state uv_view_;
    scene_window_state window_;
    int merges_ = 0;
    int undo_records_made_ = 0;
    int line_serial_ = 0;
    std::vector<std::string> progress_titles_;
    std::shared_ptr<const gltf_source> gltf_document_;
};

// Keeps one level of the scene's undo step open for its lifetime.
class undo_scope {
public:
    explicit undo_scope(scene& s) : scene_(s) { scene_.begin_undo_step(); }
    ~undo_scope() {
        if (scene_.history().is_open()) scene_.end_undo_step();
    }
    undo_scope(const undo_scope&) = delete;
    undo_scope& operator=(const undo_scope&) = delete;

private:
    scene& scene_;
};

}  // namespace host
