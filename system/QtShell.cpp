#include "QtShell.h"

#include "runtime/RuntimeError.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace qv {

QtShell::~QtShell() {
    for (QProcess* opener : findChildren<QProcess*>(Qt::FindDirectChildrenOnly))
        if (opener->state() != QProcess::NotRunning) {
            opener->disconnect(this);
            opener->setParent(nullptr); // never destroyed, so never killed
        }
}

bool QtShell::OpenUrl(const QString& address) {
    // Qt counts starting xdg-open as success; only its exit status says whether a program took
    // the address. It is watched, never waited for: it may run as long as the browser.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return QDesktopServices::openUrl(QUrl(address));
    auto* process = new QProcess(this);
    process->setProgram(opener);
    process->setArguments({address});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    connect(process, &QProcess::finished, this,
            [this, process, address](int exitCode, QProcess::ExitStatus status) {
                process->deleteLater();
                if (status != QProcess::NormalExit || exitCode != 0)
                    emit notOpened(address);
            });
    connect(process, &QProcess::errorOccurred, this,
            [this, process, address](QProcess::ProcessError error) {
                if (error != QProcess::FailedToStart)
                    return; // a crash also ends in finished
                process->deleteLater();
                emit notOpened(address);
            });
    process->start();
    return true;
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
