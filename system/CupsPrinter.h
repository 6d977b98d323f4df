#pragma once

#include "JobWatcher.h"
#include "PrintSpooler.h"
#include "runtime/Printer.h"

#include <QString>

#include <chrono>
#include <optional>

namespace qv {

// The default printer through CUPS. Drawing only collects the page; the finished document is
// written as PDF and handed to the print system by the spooler, on a thread of its own, so a
// slow or frozen print server never holds up the window. What the spooler finds out is told
// through the Printer's signals on the window's thread. Each card the print system took is then
// followed until it is printed. With an output file, documents are
// written there as PDF instead.
class CupsPrinter : public Printer {
    Q_OBJECT
public:
    // How long the end of the program waits quietly for cards still going out.
    static constexpr std::chrono::milliseconds ExitMoment{1000};
    // How long a card waits for a print server that has stopped answering before it is told as
    // not printed.
    static constexpr std::chrono::milliseconds AnswerWithin{60000};

    explicit CupsPrinter(QString outputFile = {},
                         std::chrono::milliseconds answerWithin = AnswerWithin);

    void PaintPicture(const Picture& picture, float x, float y) override;
    void EndDoc() override;
    int waiting() const override;
    void answerLogin(const std::optional<Login>& login) override;

    PrintSpooler& spooler() { return m_spooler; }
    // Gives up on the cards still waiting (PrintSpooler::abandon), and tells those that failed
    // before it returns. Returns how many were given up.
    int abandon();

private:
    // Tells what the spooler found out since last time.
    void relay();

    std::optional<PrintDocument> m_document;
    // Before the spooler, which hands it jobs: it goes after the spooler's thread has ended.
    JobWatcher m_watcher;
    PrintSpooler m_spooler;
};

} // namespace qv
