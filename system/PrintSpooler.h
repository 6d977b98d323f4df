#pragma once

#include "runtime/PrintFailure.h"

#include <QImage>
#include <QObject>
#include <QRectF>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace qv {

// One finished document: pictures placed on a single page, in inches from the printable origin.
struct PrintDocument {
    struct Placed {
        QImage image;
        QRectF inches;
    };
    std::vector<Placed> pictures;
};

// Hands finished documents to the print system one at a time, in the order given, on a thread
// of its own: a print server that stops answering must not freeze the window. The thread starts
// with the first document, so a program that never prints never pays for it, and it always ends
// with the spooler: giving up cancels the document under way.
class PrintSpooler : public QObject {
    Q_OBJECT
public:
    // Set when the spooler gives up; a delivery in progress polls it and stops. An int, because
    // that is what the print system's own cancel flag is.
    using Cancel = std::atomic<int>;
    // Hands one document on: nothing when the print system took it, otherwise what went wrong.
    using Deliver =
        std::function<std::optional<PrintFailure>(const PrintDocument&, const Cancel& cancel)>;

    explicit PrintSpooler(Deliver deliver);
    // Gives up on whatever is still waiting: call finish() first to let it go out.
    ~PrintSpooler() override;

    void submit(PrintDocument document);
    // Waits while documents keep going out; returns false when one has been under way for
    // longer than the patience allows, true once everything is handed on.
    bool finish(std::chrono::milliseconds patience);
    // Documents not yet handed on, the one under way included.
    int waiting() const;
    // Cancels the document under way, drops those behind it and ends the thread. Returns how
    // many documents were thereby not handed on; one that went out meanwhile is not counted.
    int abandon();

signals:
    // A document the print system did not take; emitted on the spooler's thread.
    void failed(const qv::PrintFailure& failure);

private:
    void run();

    Deliver m_deliver;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<PrintDocument> m_waiting;
    bool m_busy = false;
    bool m_stopping = false;
    int m_delivered = 0;
    int m_cancelled = 0; // documents given up while under way
    Cancel m_cancel = 0;
    std::thread m_thread;
};

} // namespace qv
