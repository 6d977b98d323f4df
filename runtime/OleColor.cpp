#include "OleColor.h"

#include <QGuiApplication>
#include <QPalette>

namespace qv {

QColor toQColor(OleColor color) {
    if (color & 0x80000000u) {
        const QPalette palette = QGuiApplication::palette();
        switch (color & 0xFF) {
        case 5:
            return palette.color(QPalette::Base);
        case 8:
            return palette.color(QPalette::Text);
        case 15:
            return palette.color(QPalette::Button);
        case 18:
            return palette.color(QPalette::ButtonText);
        default:
            return palette.color(QPalette::Window);
        }
    }
    return QColor::fromRgb(toRgb32(color & 0xFFFFFF));
}

} // namespace qv
