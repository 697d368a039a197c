// Small counted objects a scene hands out: the UV view, the scene's window,
// progress displays and undo records. Each holds a reference to its scene.
#pragma once

#include <cstdint>
#include <string>

#include "frame/sdk/scene.h"
#include "frame/sdk/shape.h"
#include "frame/sdk/unknown.h"

namespace host {

class scene;

// State behind the views, kept by the scene and readable by tests.
struct uv_view_state {
    bool display = true;
    int toggles = 0;  // changes of the display flag
};

struct scene_window_state {
    bool shown = true;
    int invalidations = 0;
};

class uv_view final : public kx::ref_counted<uv_view_interface> {
public:
    explicit uv_view(scene& owner);
    ~uv_view() override;
    bool get_display_flag() override;
    void set_display_flag(bool on) override;

private:
    kx::host_ref<scene> scene_;
};

class scene_window final : public kx::ref_counted<scene_window_interface> {
public:
    explicit scene_window(scene& owner);
    ~scene_window() override;
    bool is_shown() override;
    void invalidate() override;

private:
    kx::host_ref<scene> scene_;
};

// A text progress bar on stderr while stderr is a terminal, silent
// otherwise. Redrawn only when the shown percentage changes; close (or the
// last Release) ends the line.
class progress final : public kx::ref_counted<progress_interface> {
public:
    explicit progress(const char* title);
    ~progress() override;
    void set_range(int low, int high) override;
    void set_position(int position) override;
    void close() override;

private:
    void draw(int percent);
    std::string title_;
    bool terminal_;
    bool open_ = true;
    int low_ = 0, high_ = 100;
    int shown_percent_ = -1;
};

// One open undo record: closing it (or releasing it open) closes one level
// of the scene's undo step, unless an undo or redo has ended that step
// already.
class undo_record final : public kx::ref_counted<undo_record_interface> {
public:
    // With `joining` the record continues the scene's newest step
    // (scene::continue_undo_step) instead of opening a new one.
    undo_record(scene& owner, bool joining);
    ~undo_record() override;
    // Any code ends the record; a second close does nothing.
    void close(int code) override;

private:
    kx::host_ref<scene> scene_;
    std::uint64_t step_;
    bool open_ = true;
};

}  // namespace host
