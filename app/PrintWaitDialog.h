#pragma once

#include <QDialog>

class QLabel;

namespace qv {

class Printer;

// Shown at the end of the program while cards are still on their way to a print server that
// does not answer: how many are waiting, kept up to date, and a button to give up on them.
class PrintWaitDialog : public QDialog {
public:
    explicit PrintWaitDialog(Printer& printer);
    // Runs until the last card is handed on (true) or the user gives up (false).
    bool waitForAll();

private:
    void showCount(int cards);

    Printer& m_printer;
    QLabel* m_text;
};

} // namespace qv
