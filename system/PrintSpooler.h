#pragma once

#include "runtime/PrintFailure.h"
#include "runtime/PrintLogin.h"

#include <QImage>
#include <QObject>
#include <QRectF>

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
//
// Everything the thread finds out stays behind the spooler's lock; the signal only says that
// something changed, and the listener takes it from there. So no value of the thread's ever
// crosses inside Qt's own hand-over of the signal.
class PrintSpooler : public QObject {
    Q_OBJECT
public:
    // Hands one document on: nothing when the print system took it, otherwise what went wrong.
    // cancel turns non-zero when the spooler gives up; a delivery in progress reads it through
    // std::atomic_ref and stops. A plain int, because the print system polls one of its own.
    using Deliver = std::function<std::optional<PrintFailure>(const PrintDocument&, int& cancel)>;

    explicit PrintSpooler(Deliver deliver);
    // Gives up on whatever is still waiting: call finish() first to let it go out.
    ~PrintSpooler() override;

    void submit(PrintDocument document);
    // Waits while documents keep going out; returns false when one has been under way for
    // longer than the patience allows, true once everything is handed on.
    bool finish(std::chrono::milliseconds patience);
    // Documents not yet handed on, the one under way included.
    int waiting() const;
    // The documents the print system did not take since the last call, in order.
    QList<PrintFailure> takeFailures();
    // Cancels the document under way, drops those behind it and ends the thread. Returns how
    // many documents were thereby not handed on; one that went out meanwhile is not counted.
    int abandon();

    // On the spooler's thread, while delivering: asks the listener for a login and waits for
    // answerLogin(), or until the spooler gives up (then nothing).
    std::optional<Login> askLogin(const LoginRequest& request);
    // The question waiting for an answer, once: nothing when none waits or it was taken.
    std::optional<LoginRequest> takeLoginRequest();
    // Answers the question taken; nothing means the user gave no login.
    void answerLogin(const std::optional<Login>& login);

signals:
    // A document went out or failed; emitted on the spooler's thread.
    void changed();

private:
    void run();

    Deliver m_deliver;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<PrintDocument> m_waiting;
    QList<PrintFailure> m_failures;
    bool m_busy = false;
    bool m_stopping = false;
    int m_delivered = 0;
    int m_cancelled = 0;                      // documents given up while under way
    int m_cancel = 0;                         // read and written through std::atomic_ref only
    std::optional<LoginRequest> m_loginAsked; // not yet taken by the listener
    bool m_loginWaiting = false;              // the thread waits for an answer
    std::optional<std::optional<Login>> m_loginAnswer;
    std::thread m_thread;
};

} // namespace qv
