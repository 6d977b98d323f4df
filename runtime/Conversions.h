#pragma once

#include <cstdint>

// Numeric conversions of the engine. Integer conversions round to nearest, halves to even,
// and raise the overflow error when the result does not fit; every floating-point result
// that the program computes passes through checked() so a fault becomes a run-time error.
namespace qv {

// NaN or an infinity raise the overflow error (0/0 is an overflow for this engine).
double checked(double value);
// a / b with the engine's division-by-zero error.
double divide(double a, double b);

float toSingle(double value);
std::int16_t toInt16(double value);
std::int32_t toInt32(double value);
// Narrowing of an integer result, e.g. a 32-bit difference stored in a 16-bit variable.
std::int16_t narrowToInt16(std::int64_t value);
// int32(v) divided by 2, truncated towards zero.
std::int32_t half(double value);

// The one rule that turns a drawing coordinate, already in pixels, into a pixel index:
// nearest, halves to even. Never raises; far-off coordinates are clamped so that no
// caller can overflow with them.
int toPixel(double pixels) noexcept;

} // namespace qv
