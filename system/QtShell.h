#pragma once

#include "runtime/Shell.h"

namespace qv {

// The desktop through Qt.
class QtShell : public Shell {
    Q_OBJECT
public:
    bool OpenUrl(const QString& address) override;
    void StartProgram(const QString& path) override;
    QString Dir(const QString& path) override;
};

} // namespace qv
