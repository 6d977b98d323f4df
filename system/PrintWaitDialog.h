#pragma once

#include <QDialog>
#include <QTimer>

#include <functional>

class QLabel;

namespace qv {

// Shown at the end of the program while cards are still on their way to a print server that
// does not answer: how many are waiting, kept up to date, and a button to give up on them.
class PrintWaitDialog : public QDialog {
public:
    // waiting() tells how many cards have not yet been handed on.
    explicit PrintWaitDialog(std::function<int()> waiting);
    // Runs until the last card is handed on (true) or the user gives up (false).
    bool waitForAll();

private:
    void update();

    std::function<int()> m_waiting;
    QLabel* m_text;
    QTimer m_poll;
    int m_shown = -1;
};

} // namespace qv
