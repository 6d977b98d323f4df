#pragma once

#include "Picture.h"
#include "PrintFailure.h"

#include <QObject>
#include <QString>

namespace qv {

// The application-wide printer: the system's default printer with its default settings.
class Printer : public QObject {
    Q_OBJECT
public:
    // Draws the whole picture with its top-left corner at (x, y), at its own physical size,
    // opening a document first if none is open.
    virtual void PaintPicture(const Picture& picture, float x, float y) = 0;
    // Ends the document and hands it with its page to the printer.
    virtual void EndDoc() = 0;
    // Documents ended but not yet handed on to the print system.
    virtual int waiting() const { return 0; }

signals:
    // A document the print system did not take, once for each, on the window's thread.
    void notPrinted(const qv::PrintFailure& failure);
    // waiting() changed, on the window's thread.
    void waitingChanged(int documents);
};

} // namespace qv
