#pragma once

#include <QObject>

class QSocketNotifier;

namespace qv {

// SIGTERM and SIGINT (logging out, shutting down, Ctrl+C in a terminal) heard on the window's
// thread as received(), so the program can end as it does when the user quits. Only one may
// exist at a time; the signals' former handling comes back with its end.
class QuitSignals : public QObject {
    Q_OBJECT
public:
    QuitSignals();
    ~QuitSignals() override;

signals:
    void received();

private:
    void drain();

    int m_pipe[2] = {-1, -1};
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace qv
