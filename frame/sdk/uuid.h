// Identifiers and small value records shared by the host and its plug-ins.
#pragma once

#include <cstdint>

#include "math.h"

namespace kx {

// A 128-bit identifier held as four 32-bit words.
struct uuid_class {
    std::uint32_t word[4] = {0, 0, 0, 0};

    constexpr uuid_class() = default;
    constexpr uuid_class(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d)
        : word{a, b, c, d} {}
};

constexpr bool operator==(const uuid_class& a, const uuid_class& b) {
    return a.word[0] == b.word[0] && a.word[1] == b.word[1] && a.word[2] == b.word[2] &&
           a.word[3] == b.word[3];
}
constexpr bool operator!=(const uuid_class& a, const uuid_class& b) { return !(a == b); }
constexpr bool operator<(const uuid_class& a, const uuid_class& b) {
    for (int i = 0; i < 4; ++i)
        if (a.word[i] != b.word[i]) return a.word[i] < b.word[i];
    return false;
}

// An interface kind as the host hands it to the entry points: a GUID record
// (32-bit, 16-bit, 16-bit, eight bytes). Two kinds match only when all 128
// bits are equal.
struct iid_class {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::uint8_t data4[8] = {0, 0, 0, 0, 0, 0, 0, 0};
};

constexpr bool operator==(const iid_class& a, const iid_class& b) {
    if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.data4[i] != b.data4[i]) return false;
    return true;
}
constexpr bool operator!=(const iid_class& a, const iid_class& b) { return !(a == b); }

// 8-bit-per-channel colour.
struct rgba8_class {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;

    constexpr rgba8_class() = default;
    constexpr rgba8_class(std::uint8_t r_, std::uint8_t g_, std::uint8_t b_, std::uint8_t a_)
        : r(r_), g(g_), b(b_), a(a_) {}

    // The host's conversion of one float channel: above 1 gives 255, below 0
    // gives 0, otherwise c * 255 + 0.5 truncated.
    static std::uint8_t channel(float c) {
        if (c > 1.0f) return 255;
        if (c < 0.0f) return 0;
        return static_cast<std::uint8_t>(c * 255.0f + 0.5f);
    }
    static rgba8_class from_rgb(const vec3& c, std::uint8_t alpha) {
        return rgba8_class(channel(c.x), channel(c.y), channel(c.z), alpha);
    }
};

constexpr bool operator==(const rgba8_class& x, const rgba8_class& y) {
    return x.r == y.r && x.g == y.g && x.b == y.b && x.a == y.a;
}

struct point_class {
    int x = 0;
    int y = 0;
};

struct rect_class {
    int left = 0;
    int top = 0;
    int right = -1;
    int bottom = -1;
};

}  // namespace kx

// Interface kinds and host-side identifiers the host SDK defines.
namespace kx::sdk {
// 50E47D74-8922-11D1-9A00-00C04FCC9C26: palette window interface.
constexpr iid_class window_iid{0x50E47D74u, 0x8922u, 0x11D1u, {0x9A, 0x00, 0x00, 0xC0, 0x4F, 0xCC, 0x9C, 0x26}};
// 50E47D63-8922-11D1-9A00-00C04FCC9C26: modify-mode tool interface.
constexpr iid_class modifier_iid{0x50E47D63u, 0x8922u, 0x11D1u, {0x9A, 0x00, 0x00, 0xC0, 0x4F, 0xCC, 0x9C, 0x26}};
// The host's element-mark component, found by this identifier.
constexpr uuid_class elements_preference_uuid{0x50030010u, 0x53B811D9u, 0xBCFF000Au, 0x95BACEB2u};

// Version of the host SDK that every plug-in interface object reports.
constexpr int korvo_sdk_version = 430286;
}  // namespace kx::sdk
