#include "host/io/float_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <system_error>

#include <dragonbox/dragonbox.h>

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

// The shortest digits of a finite nonzero |f| (Dragonbox: the same digits
// to_chars gives) laid out as to_chars lays them out: fixed or scientific,
// whichever is shorter, fixed on a tie; a fixed whole number is written
// with all its exact digits, as printf would (then `exact` is set).
// Returns the end.
// Writes the n decimal digits of v so that they end at `end`.
void write_digits(char* end, std::uint32_t v) {
    static constexpr char pairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    for (; v >= 100; v /= 100) {
        end -= 2;
        std::memcpy(end, pairs + (v % 100) * 2, 2);
    }
    if (v >= 10)
        std::memcpy(end - 2, pairs + v * 2, 2);
    else
        end[-1] = static_cast<char>('0' + v);
}

char* shortest_text(char* out, float magnitude, std::uint32_t digits, int exponent, bool& exact) {
    const int n = 1 + (digits >= 10) + (digits >= 100) + (digits >= 1000) + (digits >= 10000) + (digits >= 100000) +
                  (digits >= 1000000) + (digits >= 10000000) + (digits >= 100000000);
    const int sci_exp = exponent + n - 1;
    const int sci_len = n + (n > 1 ? 1 : 0) + 4;  // a float's exponent has two digits
    const int fixed_len = exponent >= 0 ? n + exponent : (n + exponent > 0 ? n + 1 : 2 - exponent);
    if (fixed_len <= sci_len) {
        if (exponent >= 0) {
            // At most 14 digits here; such a float is a whole number.
            exact = true;
            return std::to_chars(out, out + 24, static_cast<std::uint64_t>(magnitude)).ptr;
        }
        const int whole = n + exponent;
        if (whole > 0) {
            // The digits one place on, then the whole part back before the point.
            write_digits(out + 1 + n, digits);
            for (int i = 0; i < whole; ++i) out[i] = out[i + 1];
            out[whole] = '.';
            return out + n + 1;
        }
        // Here n - exponent <= 14: at most 13 zeros and digits after "0.".
        std::memcpy(out, "0.0000000000000", 16);
        write_digits(out + 2 - whole + n, digits);
        return out + 2 - whole + n;
    }
    write_digits(out + 1 + n, digits);
    out[0] = out[1];
    if (n > 1) {
        out[1] = '.';
        out += n + 1;
    } else {
        out += 1;
    }
    *out++ = 'e';
    *out++ = sci_exp < 0 ? '-' : '+';
    const int a = std::abs(sci_exp);
    *out++ = static_cast<char>('0' + a / 10);
    *out++ = static_cast<char>('0' + a % 10);
    return out;
}

// The decimal digits * 10^exponent as a double, within a few units of the
// double's last place (products with rounded powers of ten: no division).
double approximate(std::uint32_t digits, int exponent) {
    static constexpr double p10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                     1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    static constexpr double n10[] = {1e-0,  1e-1,  1e-2,  1e-3,  1e-4,  1e-5,  1e-6,  1e-7,  1e-8,  1e-9,  1e-10, 1e-11,
                                     1e-12, 1e-13, 1e-14, 1e-15, 1e-16, 1e-17, 1e-18, 1e-19, 1e-20, 1e-21, 1e-22};
    double d = static_cast<double>(digits);
    if (exponent >= 0) {
        for (; exponent > 22; exponent -= 22) d *= 1e22;
        return d * p10[exponent];
    }
    for (exponent = -exponent; exponent > 22; exponent -= 22) d *= 1e-22;
    return d * n10[exponent];
}

// reads_back_safely, decided on an approximation of the text's value where
// that is far enough from the bounds that the exact value must agree.
bool quickly_reads_back_safely(float f, std::uint32_t digits, int exponent, const char* b, const char* e) {
    const float af = std::fabs(f);
    const double fd = af;
    // The neighbours of a positive finite float are the floats of the next
    // bit patterns (the largest float's upper one is infinity).
    std::uint32_t u;
    std::memcpy(&u, &af, 4);
    const std::uint32_t ub = u - 1, ua = u + 1;
    float below, above;
    std::memcpy(&below, &ub, 4);
    std::memcpy(&above, &ua, 4);
    const double lo = (static_cast<double>(below) + fd) / 2;
    const double hi = std::isinf(above) ? fd + (fd - static_cast<double>(below)) / 2 : (static_cast<double>(above) + fd) / 2;
    const double margin = 1e-12 * fd;
    const double d = approximate(digits, exponent);
    const double slack = 1e-14 * fd;  // far above the approximation's error of a few 1e-16
    if (d > lo + margin + slack && d < hi - margin - slack) return true;
    if (d < lo + margin - slack || d > hi - margin + slack) return false;
    return reads_back_safely(f, b, e);
}

}  // namespace

char* write_float(char* out, float f) {
    if (std::isnan(f)) {
        std::memcpy(out, "-nan", 4);
        return std::signbit(f) ? out + 4 : (std::memcpy(out, "nan", 3), out + 3);
    }
    if (std::isinf(f)) {
        if (f < 0) *out++ = '-';
        std::memcpy(out, "inf", 3);
        return out + 3;
    }
    char* const begin = out;
    if (std::signbit(f)) *out++ = '-';
    if (f == 0.0f) {
        *out = '0';
        return out + 1;
    }
    const auto dec = jkj::dragonbox::to_decimal(f, jkj::dragonbox::policy::sign::ignore);
    bool exact = false;
    char* e = shortest_text(out, std::fabs(f), dec.significand, dec.exponent, exact);
    if (!exact && !quickly_reads_back_safely(f, dec.significand, dec.exponent, begin, e))
        e = std::to_chars(begin, begin + float_text_size, f, std::chars_format::general, 9).ptr;
    return e;
}

void append_float(std::string& out, float f) {
    char buf[float_text_size];
    out.append(buf, write_float(buf, f));
}

void append_float_reference(std::string& out, float f) {
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
