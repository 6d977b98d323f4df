#pragma once

#include "runtime/PrintFailure.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace qv {

// Follows each card the print server took until its job ends, asking the server about it
// every few seconds on a thread and a connection of its own. A job the printer cancels or
// aborts is told as not printed; one that waits at a paused or unreachable printer is told
// once, and again only when that changes. The end of the program does not wait for printing:
// the thread stops at once with the watcher.
//
// As with the spooler, what the thread finds stays behind the lock, and changed() only says
// that there is news to take.
class JobWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds Every{2000};

    explicit JobWatcher(std::chrono::milliseconds every = Every);
    ~JobWatcher() override;

    // From any thread: the job of one card, on the printer at that address.
    void follow(const QString& printer, const QByteArray& printerUri, int job);
    QList<PrintFailure> takeFailures();
    QList<PrintDelay> takeDelays();

signals:
    // There is news to take; emitted on the watcher's thread.
    void changed();

private:
    struct Job {
        QString printer;
        QByteArray printerUri;
        int id = 0;
        std::optional<PrintDelay> told; // the wait told last
    };
    void run();
    // Asks about every job once; those that ended are dropped.
    void look();

    const std::chrono::milliseconds m_every;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Job> m_jobs;
    QList<PrintFailure> m_failures;
    QList<PrintDelay> m_delays;
    bool m_stopping = false;
    int m_cancel = 0; // read and written through std::atomic_ref only
    std::thread m_thread;
};

} // namespace qv
