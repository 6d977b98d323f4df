#pragma once

#include "PrintSpooler.h"
#include "runtime/Printer.h"

#include <QString>

#include <chrono>
#include <optional>

namespace qv {

// The default printer through Qt. Drawing only collects the page; the finished document goes
// to the print system on a thread of its own, so a slow or frozen print server never holds up
// the window. With an output file, documents are written there as PDF instead.
class QtPrinter : public Printer {
public:
    // How long quitting waits for a document that is not going out.
    static constexpr std::chrono::seconds QuitPatience{5};

    explicit QtPrinter(QString outputFile = {});

    void PaintPicture(const Picture& picture, float x, float y) override;
    void EndDoc() override;

    // Waits while documents are still going out; false when the print system stopped
    // answering for longer than the patience.
    bool finish(std::chrono::milliseconds patience = QuitPatience);
    // For the end of the program: returns exitCode once every document has gone out. When the
    // print system has stopped answering, says so and ends the process at once, as the thread
    // stuck in it can be neither joined nor safely left running through the shutdown.
    int finishBeforeExit(int exitCode);
    // Documents handed to the print system so far, refused ones included.
    int documentsHandedOn() const { return m_spooler.delivered(); }

private:
    std::optional<PrintDocument> m_document;
    PrintSpooler m_spooler;
};

} // namespace qv
