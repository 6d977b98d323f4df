#pragma once

#include <QImage>
#include <QRectF>

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
// of its own: a print server that stops answering must not freeze the window.
class PrintSpooler {
public:
    using Deliver = std::function<void(const PrintDocument&)>;
    explicit PrintSpooler(Deliver deliver);
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

private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<PrintDocument> waiting;
        bool busy = false;
        bool stopping = false;
        int delivered = 0;
    };
    static void run(const std::shared_ptr<State>& state, const Deliver& deliver);

    // Shared with the thread, which may outlive this object when the print system hangs.
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

} // namespace qv
