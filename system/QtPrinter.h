#pragma once

#include "PrintSpooler.h"
#include "runtime/Printer.h"

#include <QString>

#include <chrono>
#include <optional>

namespace qv {

// The default printer through the print system. Drawing only collects the page; the finished
// document is written as PDF and handed to the print system on a thread of its own, so a slow or
// frozen print server never holds up the window. A document the print system does not take is
// told through notPrinted() on the window's thread. With an output file, documents are written
// there as PDF instead.
class QtPrinter : public Printer {
    Q_OBJECT
public:
    // How long the end of the program waits quietly for cards still going out.
    static constexpr std::chrono::milliseconds ExitMoment{1000};
    // How long a card waits for a print server that has stopped answering before it is told as
    // not printed.
    static constexpr std::chrono::milliseconds AnswerWithin{60000};

    explicit QtPrinter(QString outputFile = {},
                       std::chrono::milliseconds answerWithin = AnswerWithin);

    void PaintPicture(const Picture& picture, float x, float y) override;
    void EndDoc() override;

    // Waits while documents are still going out; false when one has been under way for longer
    // than the patience.
    bool finish(std::chrono::milliseconds patience);
    // Documents not yet handed on, the one under way included.
    int waiting() const;
    // Stops waiting for the print system: cancels the document under way and drops the rest.
    // Failures still on their way to the window are told before it returns. Returns how many
    // documents were given up.
    int abandon();

private:
    std::optional<PrintDocument> m_document;
    PrintSpooler m_spooler;
};

} // namespace qv
