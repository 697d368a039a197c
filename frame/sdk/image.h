// Images the host creates for plug-ins.
#pragma once

#include "unknown.h"
#include "uuid.h"

class image_interface : public unknown_interface {
public:
    virtual int get_width() = 0;
    virtual int get_height() = 0;
    // Whether the image holds valid pixels.
    virtual bool has_content() = 0;
    // Pixels outside the image are ignored.
    virtual void set_pixel(int x, int y, const kx::rgba8_class& colour) = 0;
    virtual kx::rgba8_class get_pixel(int x, int y) = 0;
    // Writes the image to `path` in the format its extension names; false on
    // failure.
    virtual bool save(const char* path) = 0;
};
