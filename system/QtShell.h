#pragma once

#include "runtime/Shell.h"

namespace qv {

// The desktop through Qt.
class QtShell : public Shell {
    Q_OBJECT
public:
    // An opener still running when the program ends may be the browser itself: it is left
    // running, not killed with the program.
    ~QtShell() override;
    bool OpenUrl(const QString& address) override;
    void StartProgram(const QString& path) override;
    QString Dir(const QString& path) override;
};

} // namespace qv
