#pragma once

#include <QByteArray>
#include <QString>

namespace qv {

// Text to and from the platform's ANSI code page (on Linux, the locale's codeset).
QByteArray toAnsi(const QString& text);
QString fromAnsi(const QByteArray& bytes);

} // namespace qv
