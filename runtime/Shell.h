#pragma once

#include <QObject>
#include <QString>

namespace qv {

// What the program asks of the desktop: open a web address, start a program, find a file.
class Shell : public QObject {
    Q_OBJECT
public:
    // Opens the address with the desktop's default handler, without waiting for it; false when
    // it could not at once. A handler that gives up later is told by notOpened.
    virtual bool OpenUrl(const QString& address) = 0;
    // Starts the program at path, as one program name with no arguments and no shell, without
    // waiting. Raises the file-not-found error when it cannot be started.
    virtual void StartProgram(const QString& path) = 0;
    // The name of the ordinary file at path (not hidden, not a folder), or empty text.
    virtual QString Dir(const QString& path) = 0;

signals:
    // The desktop's handler ended without opening an address that OpenUrl handed it.
    void notOpened(const QString& address);
};

} // namespace qv
