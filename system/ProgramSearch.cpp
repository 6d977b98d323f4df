#include "ProgramSearch.h"

#include <QStandardPaths>

namespace qv {

const QStringList& systemInformationPrograms() {
    static const QStringList programs = {QStringLiteral("hardinfo2"),
                                         QStringLiteral("hardinfo"),
                                         QStringLiteral("kinfocenter"),
                                         QStringLiteral("gnome-system-monitor"),
                                         QStringLiteral("mate-system-monitor"),
                                         QStringLiteral("xfce4-taskmanager"),
                                         QStringLiteral("lxtask")};
    return programs;
}

QString findSystemInformationProgram() {
    for (const QString& program : systemInformationPrograms()) {
        const QString path = QStandardPaths::findExecutable(program);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

} // namespace qv
