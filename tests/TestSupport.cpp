#include "TestSupport.h"

#include "runtime/App.h"

#include <QAccessible>
// Qt's platform headers (qt6-base-private-dev) let the tests turn accessibility on.
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace qv::test {

namespace {
std::optional<int> programEnd;
QStringList heard;
} // namespace

QStringList* listenAsScreenReader() {
    QPlatformAccessibility* platform =
        QGuiApplicationPrivate::platformIntegration()->accessibility();
    if (!platform)
        return nullptr;
    QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
        const QAccessibleInterface* about = event->accessibleInterface();
        const QString name = about ? about->text(QAccessible::Name) : QString();
        const bool face = event->object() && event->object()->objectName().startsWith("Picture");
        const bool news = about && about->role() == QAccessible::Notification;
        const QAccessible::Event type = event->type();
        if (type == QAccessible::Focus || (type == QAccessible::ObjectShow && news) ||
            (type == QAccessible::NameChanged && face))
            heard << (type == QAccessible::Focus ? "focus " : news ? "news " : "name ") + name;
        if (type == QAccessible::DialogEnd)
            heard << "box gone";
    });
    platform->setActive(true);
    heard.clear();
    return &heard;
}

void setUpProgramEnvironment() {
    App::setEndAction([](int exitCode) { programEnd = exitCode; });
}

std::optional<int> takeProgramEnd() {
    return std::exchange(programEnd, std::nullopt);
}

QRect inkBounds(const QImage& image, const QRect& within, int darkBelow) {
    const QRect area = within.isNull() ? image.rect() : within.intersected(image.rect());
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (darkBelow > 0 ? qGray(pixel) < darkBelow : (pixel & 0xFFFFFF) != 0xFFFFFF)
                ink |= QRect(x, y, 1, 1);
        }
    return ink;
}

int differingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return -1;
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += (a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF);
    return count;
}

} // namespace qv::test
