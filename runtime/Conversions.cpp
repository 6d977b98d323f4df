#include "Conversions.h"

#include "RuntimeError.h"

#include <cmath>
#include <limits>

namespace qv {

namespace {
double roundHalfEven(double value) {
    // The default floating-point environment rounds to nearest even; nearbyint honours it.
    return std::nearbyint(value);
}

template <typename Int> Int toInteger(double value) {
    if (std::isnan(value))
        throw RuntimeError(ErrorNumber::Overflow);
    const double rounded = roundHalfEven(value);
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max()))
        throw RuntimeError(ErrorNumber::Overflow);
    return static_cast<Int>(rounded);
}
} // namespace

double checked(double value) {
    if (!std::isfinite(value))
        throw RuntimeError(ErrorNumber::Overflow);
    return value;
}

double divide(double a, double b) {
    if (b == 0.0) {
        if (a == 0.0 || std::isnan(a))
            throw RuntimeError(ErrorNumber::Overflow);
        throw RuntimeError(ErrorNumber::DivisionByZero);
    }
    return checked(a / b);
}

float toSingle(double value) {
    if (std::isnan(value))
        throw RuntimeError(ErrorNumber::Overflow);
    const float result = static_cast<float>(value);
    if (std::isinf(result))
        throw RuntimeError(ErrorNumber::Overflow);
    return result;
}

std::int16_t toInt16(double value) {
    return toInteger<std::int16_t>(value);
}

std::int32_t toInt32(double value) {
    return toInteger<std::int32_t>(value);
}

std::int16_t narrowToInt16(std::int64_t value) {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max())
        throw RuntimeError(ErrorNumber::Overflow);
    return static_cast<std::int16_t>(value);
}

std::int32_t half(double value) {
    return toInt32(value) / 2;
}

int toPixel(double pixels) noexcept {
    constexpr double limit = 1 << 30;
    if (std::isnan(pixels))
        return 0;
    if (pixels > limit)
        return static_cast<int>(limit);
    if (pixels < -limit)
        return -static_cast<int>(limit);
    return static_cast<int>(roundHalfEven(pixels));
}

} // namespace qv
