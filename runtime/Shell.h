#pragma once

#include <QString>

namespace qv {

// What the program asks of the desktop: open a web address, start a program, find a file.
class Shell {
public:
    virtual ~Shell() = default;
    // Opens the address with the desktop's default handler; false when it could not.
    virtual bool OpenUrl(const QString& address) = 0;
    // Starts the program at path, as one program name with no arguments and no shell, without
    // waiting. Raises the file-not-found error when it cannot be started.
    virtual void StartProgram(const QString& path) = 0;
    // The name of the ordinary file at path (not hidden, not a folder), or empty text.
    virtual QString Dir(const QString& path) = 0;
};

} // namespace qv
