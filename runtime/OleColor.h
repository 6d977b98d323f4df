#pragma once

#include <QColor>

#include <cstdint>

namespace qv {

// Colours as the engine passes them: 0x00BBGGRR, or a system colour 0x800000nn.
using OleColor = std::uint32_t;

namespace SystemColor {
constexpr OleColor Window = 0x80000005;
constexpr OleColor WindowText = 0x80000008;
} // namespace SystemColor

// The system colours follow the application palette, so a themed desktop keeps them apart.
QColor toQColor(OleColor color);
inline OleColor fromRgb32(std::uint32_t argb) {
    return ((argb & 0xFF) << 16) | (argb & 0xFF00) | ((argb >> 16) & 0xFF);
}
inline std::uint32_t toRgb32(OleColor bgr) {
    return 0xFF000000u | ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}

} // namespace qv
