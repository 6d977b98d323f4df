#pragma once

#include "Picture.h"

#include <QString>

#include <functional>

namespace qv {

// The application-wide printer: the system's default printer with its default settings.
class Printer {
public:
    virtual ~Printer() = default;
    // Draws the whole picture with its top-left corner at (x, y), at its own physical size,
    // opening a document first if none is open.
    virtual void PaintPicture(const Picture& picture, float x, float y) = 0;
    // Ends the document and hands it with its page to the printer.
    virtual void EndDoc() = 0;

    // Where the word goes that a document the print system did not take was not printed, and
    // why; called on the window's thread, once for each such document.
    using FailureReport = std::function<void(const QString& message)>;
    void setFailureReport(FailureReport report) { m_failureReport = std::move(report); }

protected:
    void reportFailure(const QString& message) const {
        if (const FailureReport report = m_failureReport)
            report(message);
    }

private:
    FailureReport m_failureReport;
};

} // namespace qv
