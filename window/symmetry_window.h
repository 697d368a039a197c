// The plug-in's palette window: holds the symmetry settings and the buttons.
#pragma once

#include "frame/sdk/korvo.h"
#include "frame/sdk/window.h"

class symmetry_window : public kx::ref_counted<window_interface> {
public:
    // Takes the host's message table "twinel_strings" into twinel_string
    // (releasing a different table held before) and clears CSym.
    explicit symmetry_window(korvo_interface& host);
    // Clears Sym_W when it points at this window, so a host that destroys the
    // window before unloading the library leaves no dangling pointer.
    ~symmetry_window() override;

    symmetry_window(const symmetry_window&) = delete;
    symmetry_window& operator=(const symmetry_window&) = delete;

    // symmetry_window_uuid.
    kx::uuid_class get_uuid() override;
    // The host SDK version the window was built against.
    int get_korvo_version() override;

    korvo_interface& host() const { return host_; }

private:
    korvo_interface& host_;
};
