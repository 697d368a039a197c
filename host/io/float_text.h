// Floats as text, written and read back bit for bit.
//
// Every file format of the reference host writes its floats through
// append_float, so a value read back with parse_float (or any correctly
// rounding reader) has the bits it was written with.
#pragma once

#include <string>
#include <string_view>

namespace host {

// Appends `f` in the shortest decimal form that reads back to the same bits
// (to_chars' shortest form, or nine significant digits where a reader that
// is accurate only to a few units of a double's last place could land
// elsewhere). NaN is written "nan" ("-nan" with the sign bit set), the
// infinities "inf" and "-inf". Negative zero is "-0".
void append_float(std::string& out, float f);

// The same into a buffer of at least float_text_size bytes; returns the end.
inline constexpr int float_text_size = 32;
char* write_float(char* out, float f);

// The same, the slow way (std::to_chars, then a full read-back check): what
// append_float must match bit for bit, kept for the tests.
void append_float_reference(std::string& out, float f);

// Reads a whole decimal number (JSON's or C's syntax: an optional '-', digits,
// fraction, exponent) into `out`, correctly rounded to the nearest float.
// False, with `out` unchanged, for anything else or a value beyond the float
// range (a finite number that rounds to infinity); a tiny value rounds to
// zero or a subnormal as usual.
bool parse_float(std::string_view text, float& out);

}  // namespace host
