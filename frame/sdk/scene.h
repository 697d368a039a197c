// A scene of the host: its shapes, selection state, views and messages.
#pragma once

#include "math.h"
#include "unknown.h"
#include "uuid.h"

class shape_class;
class part_class;
class plugin_interface;

// A progress display. It stays open until `close` or the last Release.
class progress_interface : public unknown_interface {
public:
    virtual void set_range(int low, int high) = 0;
    virtual void set_position(int position) = 0;
    virtual void close() = 0;
};

// The scene's UV view; toggling a display property makes the host redraw it.
class uv_view_interface : public unknown_interface {
public:
    virtual bool get_display_flag() = 0;
    virtual void set_display_flag(bool on) = 0;
};

// The window that shows the scene.
class scene_window_interface : public unknown_interface {
public:
    virtual bool is_shown() = 0;
    virtual void invalidate() = 0;
};

// Selection modes of a scene.
namespace kx::sdk {
constexpr int face_selection = 0;
constexpr int edge_selection = 1;
constexpr int vertex_selection = 2;
}  // namespace kx::sdk

class scene_interface : public unknown_interface {
public:
    // The same two message channels as korvo_interface.
    virtual bool show_message(const char* text, bool question) = 0;
    virtual void message(const char* line) = 0;

    // A plug-in interface or window registered under `id` (borrowed), or null.
    virtual plugin_interface* find_plugin_interface(const kx::uuid_class& id) = 0;

    // Active shapes: their number and the first of them (borrowed, or null).
    virtual int get_number_of_active_shapes() = 0;
    virtual shape_class* get_active_shape() = 0;

    // The root part that holds every shape of the scene.
    virtual part_class& get_root_part() = 0;
    // Shapes in scene order (depth first, the root part is index 0);
    // borrowed, null when out of range or not found.
    virtual shape_class* get_shape_by_index(int index) = 0;
    virtual int get_shape_index(const shape_class& shape) = 0;
    virtual shape_class* get_shape_by_name(const char* name) = 0;

    // Selection mode: 0 face, 1 edge, 2 vertex.
    virtual int get_selection_mode() = 0;
    virtual void set_selection_mode(int mode) = 0;

    // Modify mode (editing of a mesh's elements).
    virtual bool is_modify_mode() = 0;
    virtual void enter_modify_mode() = 0;
    virtual void exit_modify_mode() = 0;

    // Figure updates: inhibit and allow bracket a change so that the host
    // redraws once; update, force and refresh redraw now.
    virtual void inhibit_update() = 0;
    virtual void allow_update() = 0;
    virtual void update_figure() = 0;
    virtual void force_update() = 0;
    virtual void refresh() = 0;
    // Whether the scene is in the middle of an edit that a refresh would end.
    virtual bool is_editing() = 0;

    // Merges the selected vertices of the active mesh into one.
    virtual void merge_selected_vertices() = 0;

    // A new progress display titled `title` (counted).
    virtual progress_interface* create_progress(const char* title) = 0;

    // Adds a line shape with `count` points to the scene; returns it
    // (borrowed). `reserved1` and `reserved2` are passed as 0.
    virtual shape_class* create_line(int count, const vec3* points, bool closed, int reserved1,
                                     int reserved2) = 0;

    // The UV view (counted), or null.
    virtual uv_view_interface* get_uv_view() = 0;
    // The window showing the scene (counted), or null.
    virtual scene_window_interface* get_window() = 0;

    // Makes exactly the listed shapes active.
    virtual void set_active_shapes(int count, shape_class* const* shapes) = 0;
    // Takes `shape` out of the scene (it stays alive while an undo step
    // can bring it back).
    virtual void remove_shape(shape_class& shape) = 0;

    // Calls made while a scene is opened or activated. Nothing relies on their
    // effect; the reference host does nothing.
    virtual void begin_open() = 0;
    virtual void end_open(int a, int b) = 0;
};
