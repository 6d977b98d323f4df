#pragma once

#include "PrintSpooler.h"
#include "runtime/Printer.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

namespace qv {

class Dialogs;

// The default printer through Qt and the print system. Drawing only collects the page; the
// finished document goes to the print system on a thread of its own, so a slow or frozen print
// server never holds up the window. A document the print system does not take is reported back
// on the window's thread. With an output file, documents are written there as PDF instead.
class QtPrinter : public Printer {
public:
    // How long the end of the program waits quietly for cards still going out.
    static constexpr std::chrono::milliseconds ExitMoment{1000};

    explicit QtPrinter(QString outputFile = {});

    void PaintPicture(const Picture& picture, float x, float y) override;
    void EndDoc() override;

    // Waits while documents are still going out; false when one has been under way for longer
    // than the patience.
    bool finish(std::chrono::milliseconds patience);
    // For the end of the program, once its windows are closed: lets every document go out.
    // When they do not within a moment, a dialog shows how many are waiting until the last is
    // handed on; if the user gives up, says through the boxes how many were not printed and
    // returns false: the thread stuck in the print system can then be neither joined nor
    // safely left running through the shutdown, so the caller ends the process at once.
    bool finishBeforeExit(Dialogs& dialogs);

private:
    void reportFailures();

    std::optional<PrintDocument> m_document;
    // Where failures are told while the program ends, whatever the main window does meanwhile.
    Dialogs* m_exitDialogs = nullptr;
    // The spooler's news of failed documents is queued here, on the window's thread.
    QObject m_news;
    PrintSpooler m_spooler;
};

} // namespace qv
