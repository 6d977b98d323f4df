#pragma once

#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
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
// with the first document, so a program that never prints never pays for it.
class PrintSpooler {
public:
    // Hands one document on: the empty string when the print system took it, otherwise the
    // words that tell the user why it did not.
    using Deliver = std::function<QString(const PrintDocument&)>;
    // Told on the spooler's thread, under its lock, that a document failed: it may only pass the
    // news on (post an event), never call back into the spooler.
    using Failed = std::function<void()>;

    explicit PrintSpooler(Deliver deliver, Failed failed = {});
    // Gives up on whatever is still waiting: call finish() first to let it go out.
    ~PrintSpooler();
    PrintSpooler(const PrintSpooler&) = delete;
    PrintSpooler& operator=(const PrintSpooler&) = delete;

    void submit(PrintDocument document);
    // Waits while documents keep going out; returns false when one has been under way for
    // longer than the patience allows, true once everything is handed on.
    bool finish(std::chrono::milliseconds patience);
    // Documents handed on so far, failed ones included.
    int delivered() const;
    // Documents not yet handed on, the one under way included.
    int waiting() const;
    // Why each document failed since the last call, oldest first.
    QStringList takeFailures();

private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<PrintDocument> waiting;
        QStringList failures;
        bool busy = false;
        bool stopping = false;
        int delivered = 0;
    };
    static void run(const std::shared_ptr<State>& state, const Deliver& deliver,
                    const Failed& failed);

    Deliver m_deliver;
    Failed m_failed;
    // Shared with the thread, which may outlive this object when the print system hangs.
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

} // namespace qv
