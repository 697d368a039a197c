#include "host/io/image_formats.h"

#include <cstdint>
#include <vector>

namespace host {
namespace {

// Big-endian fields, as both layouts store them.
void put16(std::string& out, unsigned v) {
    out += static_cast<char>((v >> 8) & 0xFF);
    out += static_cast<char>(v & 0xFF);
}

void put32(std::string& out, std::uint32_t v) {
    put16(out, v >> 16);
    put16(out, v & 0xFFFF);
}

void put_rect(std::string& out, int width, int height) {
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<unsigned>(height));
    put16(out, static_cast<unsigned>(width));
}

// PackBits: runs of 2 to 128 equal bytes as (257 - n, byte), everything
// else as literal blocks of 1 to 128 bytes (n - 1, bytes).
std::string pack_bits(const std::uint8_t* p, int n) {
    std::string out;
    int i = 0;
    while (i < n) {
        int run = 1;
        while (i + run < n && run < 128 && p[i + run] == p[i]) ++run;
        if (run >= 2) {
            out += static_cast<char>(257 - run);
            out += static_cast<char>(p[i]);
            i += run;
            continue;
        }
        int literal = 1;
        while (i + literal < n && literal < 128 && !(i + literal + 1 < n && p[i + literal] == p[i + literal + 1]))
            ++literal;
        out += static_cast<char>(literal - 1);
        out.append(reinterpret_cast<const char*>(p + i), static_cast<std::size_t>(literal));
        i += literal;
    }
    return out;
}

constexpr std::uint32_t dpi72 = 0x00480000;  // 72.0 as a 16.16 fixed-point number

}  // namespace

std::string encode_psd(int width, int height, const kx::rgba8_class* pixels) {
    std::string out = "8BPS";
    put16(out, 1);  // version
    out.append(6, '\0');
    put16(out, 4);  // channels
    put32(out, static_cast<std::uint32_t>(height));
    put32(out, static_cast<std::uint32_t>(width));
    put16(out, 8);  // bits per channel
    put16(out, 3);  // RGB
    put32(out, 0);  // colour mode data
    put32(out, 0);  // image resources
    put32(out, 0);  // layers and masks
    put16(out, 0);  // raw image data
    const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    // The merged image of a file with transparency is stored over white,
    // as readers of the layout take it apart again.
    const auto over_white = [](std::uint8_t c, std::uint8_t a) {
        return static_cast<char>((c * a + 255 * (255 - a) + 127) / 255);
    };
    for (int channel = 0; channel < 4; ++channel)
        for (std::size_t i = 0; i < n; ++i) {
            const kx::rgba8_class& p = pixels[i];
            switch (channel) {
                case 0: out += over_white(p.r, p.a); break;
                case 1: out += over_white(p.g, p.a); break;
                case 2: out += over_white(p.b, p.a); break;
                default: out += static_cast<char>(p.a); break;
            }
        }
    return out;
}

std::string encode_pict(int width, int height, const kx::rgba8_class* pixels) {
    std::string out(512, '\0');  // the file header, left to applications
    put16(out, 0);                // picture size: unused in version 2
    put_rect(out, width, height);
    put16(out, 0x0011);  // version
    put16(out, 0x02FF);
    put16(out, 0x0C00);  // header: extended version 2, 72 dpi
    put16(out, 0xFFFE);
    put16(out, 0);
    put32(out, dpi72);
    put32(out, dpi72);
    put_rect(out, width, height);
    put32(out, 0);
    put16(out, 0x0001);  // clip region: the frame
    put16(out, 10);
    put_rect(out, width, height);

    put16(out, 0x009A);  // direct bits
    put32(out, 0x000000FF);
    const int row_bytes = width * 4;
    put16(out, 0x8000u | static_cast<unsigned>(row_bytes));
    put_rect(out, width, height);
    put16(out, 0);       // pixel map version
    put16(out, 4);       // pack type: components apart, PackBits
    put32(out, 0);       // pack size
    put32(out, dpi72);
    put32(out, dpi72);
    put16(out, 16);      // direct colour
    put16(out, 32);      // bits per pixel
    put16(out, 4);       // components: alpha, red, green, blue
    put16(out, 8);       // bits per component
    put32(out, 0);       // plane bytes
    put32(out, 0);       // colour table
    put32(out, 0);       // reserved
    put_rect(out, width, height);  // source
    put_rect(out, width, height);  // destination
    put16(out, 0);                 // copy mode

    std::vector<std::uint8_t> row(static_cast<std::size_t>(row_bytes));
    for (int y = 0; y < height; ++y) {
        const kx::rgba8_class* p = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        for (int x = 0; x < width; ++x) {
            row[static_cast<std::size_t>(x)] = p[x].a;
            row[static_cast<std::size_t>(width + x)] = p[x].r;
            row[static_cast<std::size_t>(2 * width + x)] = p[x].g;
            row[static_cast<std::size_t>(3 * width + x)] = p[x].b;
        }
        if (row_bytes < 8) {  // short rows are stored as they are
            out.append(reinterpret_cast<const char*>(row.data()), row.size());
            continue;
        }
        const std::string packed = pack_bits(row.data(), row_bytes);
        if (row_bytes > 250)
            put16(out, static_cast<unsigned>(packed.size()));
        else
            out += static_cast<char>(packed.size());
        out += packed;
    }
    if (out.size() % 2 != 0) out += '\0';  // opcodes start on even offsets
    put16(out, 0x00FF);                    // end of picture
    return out;
}

}  // namespace host
