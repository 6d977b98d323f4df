#include "QtShell.h"

#include "runtime/RuntimeError.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace qv {

bool QtShell::OpenUrl(const QString& address) {
    return QDesktopServices::openUrl(QUrl(address));
}

void QtShell::StartProgram(const QString& path) {
    // The path is the program itself: no shell, no splitting at blanks.
    if (path.isEmpty() || !QProcess::startDetached(path, {}))
        throw RuntimeError(ErrorNumber::FileNotFound);
}

QString QtShell::Dir(const QString& path) {
    if (path.isEmpty())
        return {};
    const QFileInfo file(path);
    if (!file.exists() || !file.isFile() || file.isHidden())
        return {};
    return file.fileName();
}

} // namespace qv
