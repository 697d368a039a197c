// Images of the reference host: RGBA pixels in memory, read from TARGA
// resources and written as PNG, BMP, TGA, PSD or PCT.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frame/sdk/image.h"

namespace host {

class image final : public kx::ref_counted<image_interface> {
public:
    // Transparent black pixels. Throws std::invalid_argument for a size
    // that is not positive or above max_side on either axis.
    image(int width, int height);
    static constexpr int max_side = 16384;

    // The image in `path` (any format stb_image reads) as a counted
    // reference, or null when the file is missing or unreadable.
    static image* load(const std::string& path);
    // The same from the bytes of such a file.
    static image* decode(const std::string& bytes);

    int get_width() override { return width_; }
    int get_height() override { return height_; }
    bool has_content() override { return width_ > 0 && height_ > 0; }
    void set_pixel(int x, int y, const kx::rgba8_class& colour) override;
    // Transparent black outside the image.
    kx::rgba8_class get_pixel(int x, int y) override;
    // PNG, BMP, TGA, PSD or PCT (PICT) by the path's extension (any case),
    // written all or nothing (output_file); false for any other extension,
    // an empty path or a failed write.
    bool save(const char* path) override;

    // Called with the path of each file save() wrote (the application
    // keeps the list, so that a script knows which files the plug-in wrote
    // without looking at the file system).
    void on_saved(std::function<void(const std::string&)> saved) { saved_ = std::move(saved); }

private:
    // The decoded RGBA pixels as an image (null when none or too large);
    // frees them in any case.
    static image* from_pixels(unsigned char* data, int w, int h);
    int width_;
    int height_;
    std::vector<kx::rgba8_class> pixels_;  // row by row from the top
    std::function<void(const std::string&)> saved_;
};

}  // namespace host
