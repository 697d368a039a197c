// Every template image type the palette offers, written by the host's image
// object and read back by a third-party reader: stb_image for png, bmp, tga
// and psd, ImageMagick's converter (a separate program) for pct.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <stb/stb_image.h>

#include "host/image.h"
#include "host/temp_folder.h"
#include "tests/support/random_draws.h"

namespace {

namespace fs = std::filesystem;

struct scratch {
    fs::path path;
    scratch() : path(host::make_temp_folder("twinel_images_")) {}
    ~scratch() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

// On Windows (under wine) there is no converter to start: pct files are
// written there but not read back.
#ifndef _WIN32
const char* const image_converter = "/usr/bin/convert-im6.q16";

// The pixels ImageMagick reads from `file`, as 8-bit RGBA (it reads a
// picture's alpha component but takes the picture for opaque unless told).
std::vector<unsigned char> converter_pixels(const fs::path& file) {
    std::vector<unsigned char> out;
    const std::string command = std::string(image_converter) + " '" + file.string() + "' -alpha on -depth 8 rgba:-";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    unsigned char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.insert(out.end(), buffer, buffer + n);
    pclose(pipe);
    return out;
}
#endif

TEST(image_formats, every_template_type_reads_back_with_the_pixels_written) {
#ifndef _WIN32
    ASSERT_TRUE(fs::exists(image_converter)) << "ImageMagick's converter is missing (scripts/install-deps.sh installs it)";
#endif
    scratch dir;
    ASSERT_FALSE(dir.path.empty());
    twinel_test::random_draws draw(7);
    // Sizes around the layouts' limits: rows of fewer than 8 bytes in pct
    // are stored unpacked, rows over 250 bytes take two-byte counts.
    const int sizes[][2] = {{1, 1}, {1, 3}, {2, 2}, {7, 5}, {64, 3}, {300, 2}};
    for (const auto& size : sizes) {
        const int w = size[0], h = size[1];
        const kx::host_ref<host::image> picture(new host::image(w, h));
        picture->AddRef();
        std::vector<kx::rgba8_class> pixels;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                // Templates are opaque lines over a transparent background,
                // with runs that PackBits shortens; a few pixels are
                // translucent.
                const bool run = draw.chance(0.5);
                kx::rgba8_class c = run && !pixels.empty() ? pixels.back()
                                                           : kx::rgba8_class(static_cast<std::uint8_t>(draw.below(256)),
                                                                             static_cast<std::uint8_t>(draw.below(256)),
                                                                             static_cast<std::uint8_t>(draw.below(256)),
                                                                             draw.chance(0.5) ? 255 : 0);
                if (draw.chance(0.1)) c.a = static_cast<std::uint8_t>(1 + draw.below(254));
                pixels.push_back(c);
                picture->set_pixel(x, y, c);
            }
        for (const char* type : {"png", "bmp", "tga", "psd", "pct"}) {
            SCOPED_TRACE(std::string(type) + " " + std::to_string(w) + " x " + std::to_string(h));
            const fs::path file = dir.path / (std::string("template.") + type);
            ASSERT_TRUE(picture->save(file.string().c_str()));
            std::vector<unsigned char> got;
            if (std::string(type) == "pct") {
#ifdef _WIN32
                continue;
#else
                got = converter_pixels(file);
#endif
            } else {
                int rw = 0, rh = 0, channels = 0;
                unsigned char* data = stbi_load(file.string().c_str(), &rw, &rh, &channels, 4);
                ASSERT_NE(data, nullptr) << stbi_failure_reason();
                ASSERT_EQ(rw, w);
                ASSERT_EQ(rh, h);
                got.assign(data, data + 4 * w * h);
                stbi_image_free(data);
            }
            ASSERT_EQ(got.size(), pixels.size() * 4);
            for (std::size_t i = 0; i < pixels.size(); ++i) {
                const kx::rgba8_class& want = pixels[i];
                const unsigned char* p = &got[4 * i];
                ASSERT_EQ(p[3], want.a) << "pixel " << i;
                // A psd stores colours over white; readers take them apart
                // again, exactly where a pixel is opaque, within rounding where
                // it is translucent (the less opaque, the more), and not at
                // all where it is transparent.
                const int slack = std::string(type) == "psd" ? (want.a == 255 ? 0 : want.a == 0 ? 256 : 1 + 128 / want.a) : 0;
                const int channel[3] = {want.r, want.g, want.b};
                for (int k = 0; k < 3; ++k) ASSERT_LE(std::abs(p[k] - channel[k]), slack) << "pixel " << i << " channel " << k;
            }
        }
    }
}

TEST(image_formats, an_unknown_type_or_an_unwritable_place_is_refused) {
    scratch dir;
    const kx::host_ref<host::image> picture(new host::image(2, 2));
    picture->AddRef();
    EXPECT_FALSE(picture->save((dir.path / "template.jpg").string().c_str()));
    EXPECT_FALSE(picture->save((dir.path / "missing" / "template.psd").string().c_str()));
    EXPECT_FALSE(fs::exists(dir.path / "template.jpg"));
}

}  // namespace
