#include "host/float_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace host {
namespace {

// Whether the decimal text, read back by a parser that is accurate to a few
// units in the last place of a double (but not correctly rounded), still
// lands on f: it must lie inside f's rounding interval with a margin.
bool reads_back_safely(float f, const char* b, const char* e) {
    double d = 0.0;
    if (std::from_chars(b, e, d).ec != std::errc()) return false;
    const double fd = f;
    const float below = std::nextafter(f, -std::numeric_limits<float>::infinity());
    const float above = std::nextafter(f, std::numeric_limits<float>::infinity());
    // Midpoints to the neighbours, exact in double; beyond the largest float
    // the interval is as wide as on the other side.
    const double lo = std::isinf(below) ? fd - (static_cast<double>(above) - fd) / 2 : (static_cast<double>(below) + fd) / 2;
    const double hi = std::isinf(above) ? fd + (fd - static_cast<double>(below)) / 2 : (static_cast<double>(above) + fd) / 2;
    const double margin = 1e-12 * std::fabs(fd);
    return d > lo + margin && d < hi - margin;
}

// The decimal order of a number that from_chars found out of range: above
// zero for a value of at least 1, at most zero below it. The digits are
// well formed (from_chars read them all).
long long decimal_order(const char* b, const char* e) {
    long long order = 0;
    bool leading = true;  // no nonzero digit seen yet
    bool fraction = false;
    for (; b != e && *b != 'e' && *b != 'E'; ++b) {
        if (*b == '.') {
            fraction = true;
        } else if (leading && *b == '0') {
            if (fraction) --order;
        } else {
            if (!fraction) ++order;
            leading = false;
        }
    }
    long long exponent = 0;
    if (b != e) {
        ++b;
        const bool negative = b != e && *b == '-';
        if (b != e && (*b == '-' || *b == '+')) ++b;
        for (; b != e; ++b) exponent = std::min(exponent * 10 + (*b - '0'), 1000000000LL);
        if (negative) exponent = -exponent;
    }
    return order + exponent;
}

}  // namespace

void append_float(std::string& out, float f) {
    if (std::isnan(f)) {
        out += std::signbit(f) ? "-nan" : "nan";
        return;
    }
    if (std::isinf(f)) {
        out += f < 0 ? "-inf" : "inf";
        return;
    }
    char buf[48];
    auto r = std::to_chars(buf, buf + sizeof buf, f);
    if (!reads_back_safely(f, buf, r.ptr)) r = std::to_chars(buf, buf + sizeof buf, f, std::chars_format::general, 9);
    out.append(buf, r.ptr);
}

bool parse_float(std::string_view text, float& out) {
    // from_chars takes no '+' and, for a float, also reads "inf" and "nan":
    // only the plain number syntax is let through.
    const char* b = text.data();
    const char* e = b + text.size();
    const char* digits = b != e && *b == '-' ? b + 1 : b;
    if (digits == e || !((*digits >= '0' && *digits <= '9') || *digits == '.')) return false;
    float value = 0.0f;
    const auto r = std::from_chars(b, e, value);
    if (r.ptr != e) return false;
    if (r.ec == std::errc::result_out_of_range) {
        // An underflow is reported as out of range too; a value that small
        // reads as the zero it rounds to. Only an overflow is refused.
        if (decimal_order(digits, e) > 0) return false;
        value = *b == '-' ? -0.0f : 0.0f;
    } else if (r.ec != std::errc()) {
        return false;
    }
    out = value;
    return true;
}

}  // namespace host
