#include "Screen.h"

#include "Conversions.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

namespace qv {

namespace {
float twipsPerPixel(bool horizontal) {
    qreal dpi = 96.0;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const qreal logical =
            horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
        if (logical >= 24.0 && logical <= 960.0)
            dpi = logical;
    }
    return static_cast<float>(1440.0 / dpi);
}
} // namespace

// Read once: a twip/pixel ratio that moved under a running window would move its layout.
float Screen::TwipsPerPixelX() {
    static const float value = twipsPerPixel(true);
    return value;
}

float Screen::TwipsPerPixelY() {
    static const float value = twipsPerPixel(false);
    return value;
}

int Screen::pixelsX(double twips) {
    return toPixel(twips / TwipsPerPixelX());
}

int Screen::pixelsY(double twips) {
    return toPixel(twips / TwipsPerPixelY());
}

QRect Screen::pixelRect(int left, int top, int width, int height) {
    return QRect(pixelsX(left), pixelsY(top), pixelsX(width), pixelsY(height));
}

} // namespace qv
