#include "host/image.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "host/io/image_formats.h"
#include "host/io/file_error.h"
#include "host/io/output_file.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace host {

static_assert(sizeof(kx::rgba8_class) == 4, "pixels are handed to the codecs as packed RGBA");

image::image(int width, int height) : width_(width), height_(height) {
    if (width <= 0 || height <= 0 || width > max_side || height > max_side)
        throw std::invalid_argument("an image cannot be " + std::to_string(width) + " x " + std::to_string(height));
    pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kx::rgba8_class());
}

image* image::from_pixels(unsigned char* data, int w, int h) {
    if (!data) return nullptr;
    image* out = nullptr;
    if (w > 0 && h > 0 && w <= max_side && h <= max_side) {
        out = new image(w, h);
        out->AddRef();
        std::memcpy(out->pixels_.data(), data, out->pixels_.size() * 4);
    }
    stbi_image_free(data);
    return out;
}

image* image::load(const std::string& path) {
    int w = 0, h = 0, channels = 0;
    stbi_uc* data = stbi_load(path.c_str(), &w, &h, &channels, 4);
    return from_pixels(data, w, h);
}

image* image::decode(const std::string& bytes) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return nullptr;
    int w = 0, h = 0, channels = 0;
    stbi_uc* data = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()), static_cast<int>(bytes.size()),
                                          &w, &h, &channels, 4);
    return from_pixels(data, w, h);
}

void image::set_pixel(int x, int y, const kx::rgba8_class& colour) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] = colour;
}

kx::rgba8_class image::get_pixel(int x, int y) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return kx::rgba8_class();
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
}

bool image::save(const char* path) {
    if (!path || !*path) return false;
    std::string ext = std::filesystem::u8path(path).extension().u8string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    std::string bytes;
    const auto append = [](void* context, void* data, int size) {
        static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
    };
    const void* data = pixels_.data();
    bool encoded = true;
    if (ext == ".png")
        encoded = stbi_write_png_to_func(append, &bytes, width_, height_, 4, data, width_ * 4) != 0;
    else if (ext == ".bmp")
        encoded = stbi_write_bmp_to_func(append, &bytes, width_, height_, 4, data) != 0;
    else if (ext == ".tga")
        encoded = stbi_write_tga_to_func(append, &bytes, width_, height_, 4, data) != 0;
    else if (ext == ".psd")
        bytes = encode_psd(width_, height_, pixels_.data());
    else if (ext == ".pct" || ext == ".pict")
        bytes = encode_pict(width_, height_, pixels_.data());
    else
        return false;
    if (!encoded) return false;
    // All or nothing, like every file the host writes.
    try {
        output_file out(path);
        out.write(bytes);
        out.commit();
    } catch (const file_error&) {
        return false;
    }
    if (saved_) saved_(path);
    return true;
}

}  // namespace host
