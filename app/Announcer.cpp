#include "Announcer.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {
QAccessibleInterface* notificationFor(const QString& className, QObject* object) {
    if (className == QLatin1String(Announcer::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Notification);
    return nullptr;
}
} // namespace

Announcer::Announcer(QWidget* parent) : QWidget(parent) {
    QAccessible::installFactory(notificationFor);
    setObjectName(QStringLiteral("Announcer"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 0, 0);
    hide();
}

void Announcer::announce(const QString& message) {
    // Hidden and shown again, so the same message twice is spoken twice.
    hide();
    setAccessibleName(message);
    show();
}
