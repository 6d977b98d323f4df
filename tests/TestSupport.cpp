#include "TestSupport.h"

#include "runtime/App.h"
#include "system/FontMapping.h"

#if __has_include(<qpa/qplatformaccessibility.h>)
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#define QV_CAN_ACTIVATE_ACCESSIBILITY 1
#endif

namespace qv::test {

namespace {
std::optional<int> programEnd;
QList<Heard> heard;

void record(QAccessibleEvent* event) {
    QAccessibleInterface* about = event->accessibleInterface();
    heard.append({event->type(), about ? about->role() : QAccessible::NoRole,
                  about ? about->text(QAccessible::Name) : QString(), event->object()});
}
} // namespace

QList<Heard>* listenAsScreenReader() {
#ifdef QV_CAN_ACTIVATE_ACCESSIBILITY
    QPlatformAccessibility* platform =
        QGuiApplicationPrivate::platformIntegration()->accessibility();
    if (!platform)
        return nullptr;
    QAccessible::installUpdateHandler(record);
    platform->setActive(true);
    heard.clear();
    return &heard;
#else
    return nullptr;
#endif
}

void setUpProgramEnvironment() {
    installFontMapping();
    App::setEndAction([](int exitCode) { programEnd = exitCode; });
}

std::optional<int> takeProgramEnd() {
    return std::exchange(programEnd, std::nullopt);
}

QRect inkBounds(const QImage& image, const QRect& within, int darkBelow) {
    const QRect area = within.isNull() ? image.rect() : within.intersected(image.rect());
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            const bool ink =
                darkBelow > 0 ? qGray(line[x]) < darkBelow : (line[x] & 0xFFFFFF) != 0xFFFFFF;
            if (ink) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

int differingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            count += (p[col] & 0xFFFFFF) != (q[col] & 0xFFFFFF);
    }
    return count;
}

} // namespace qv::test
