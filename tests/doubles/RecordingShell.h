#pragma once

#include "runtime/RuntimeError.h"
#include "runtime/Shell.h"

#include <QStringList>

namespace qv::test {

// A desktop that records what it is asked; files exist only where a test puts them.
class RecordingShell : public Shell {
public:
    QStringList opened, started, files;
    bool opensUrls = true;     // false: no program on this desktop opens an address
    bool givesUpLater = false; // the opener starts, then ends without opening it

    bool OpenUrl(const QString& address) override {
        opened.append(address);
        if (givesUpLater)
            QMetaObject::invokeMethod(
                this, [this, address] { emit notOpened(address); }, Qt::QueuedConnection);
        return opensUrls;
    }
    void StartProgram(const QString& path) override {
        started.append(path);
        if (!files.contains(path))
            throw RuntimeError(ErrorNumber::FileNotFound);
    }
    QString Dir(const QString& path) override {
        return files.contains(path) ? path.section(QLatin1Char('\\'), -1) : QString();
    }
};

} // namespace qv::test
