#include "host/scene_views.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "host/scene.h"

namespace host {

uv_view::uv_view(scene& owner) : scene_(kx::host_ref<scene>::share(&owner)) {}
uv_view::~uv_view() = default;

bool uv_view::get_display_flag() { return scene_->uv_view_status().display; }

void uv_view::set_display_flag(bool on) {
    uv_view_state& s = scene_->uv_view_status();
    if (s.display == on) return;
    s.display = on;
    ++s.toggles;
}

scene_window::scene_window(scene& owner) : scene_(kx::host_ref<scene>::share(&owner)) {}
scene_window::~scene_window() = default;

bool scene_window::is_shown() { return scene_->window_status().shown; }

void scene_window::invalidate() { ++scene_->window_status().invalidations; }

progress::progress(const char* title) : title_(title ? title : ""), terminal_(isatty(STDERR_FILENO) == 1) {}

progress::~progress() { close(); }

void progress::set_range(int low, int high) {
    low_ = low;
    high_ = high;
}

void progress::set_position(int position) {
    if (!open_) return;
    const long long span = static_cast<long long>(high_) - low_;
    const long long done = static_cast<long long>(position) - low_;
    const int percent = span <= 0 ? 100 : static_cast<int>(std::clamp(done * 100 / span, 0LL, 100LL));
    if (percent != shown_percent_) draw(percent);
}

void progress::draw(int percent) {
    shown_percent_ = percent;
    if (!terminal_) return;
    constexpr int width = 40;
    const int filled = percent * width / 100;
    std::fprintf(stderr, "\r%s [%.*s%*s] %3d%%", title_.c_str(), filled, "########################################",
                 width - filled, "", percent);
    std::fflush(stderr);
}

void progress::close() {
    if (!open_) return;
    open_ = false;
    if (terminal_ && shown_percent_ >= 0) {
        std::fputc('\n', stderr);
        std::fflush(stderr);
    }
}

undo_record::undo_record(scene& owner, bool joining) : scene_(kx::host_ref<scene>::share(&owner)) {
    if (joining)
        scene_->continue_undo_step();
    else
        scene_->begin_undo_step();
    step_ = scene_->history().current_step();
}

undo_record::~undo_record() { close(0); }

void undo_record::close(int) {
    if (!open_) return;
    open_ = false;
    const undo_stack& h = scene_->history();
    if (h.is_open() && h.current_step() == step_) scene_->end_undo_step();
}

}  // namespace host
