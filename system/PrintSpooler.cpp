#include "PrintSpooler.h"

#include <atomic>

namespace qv {

PrintSpooler::PrintSpooler(Deliver deliver) : m_deliver(std::move(deliver)) {}

PrintSpooler::~PrintSpooler() {
    abandon();
}

void PrintSpooler::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_stopping || !m_waiting.empty(); });
        if (m_stopping)
            return;
        PrintDocument document = std::move(m_waiting.front());
        m_waiting.pop_front();
        m_busy = true;
        lock.unlock();
        std::optional<PrintFailure> failure;
        try {
            failure = m_deliver(document, m_cancel);
        } catch (...) {
            failure = PrintFailure{PrintFailure::Reason::Unexpected, {}, {}};
        }
        document = {};
        const bool givenUp = failure && failure->reason == PrintFailure::Reason::GivenUp;
        lock.lock();
        if (failure && !givenUp)
            m_failures.append(*failure);
        m_busy = false;
        ++m_delivered;
        m_cancelled += givenUp;
        m_changed.notify_all();
        // Told outside the lock: whoever hears it directly takes the news at once.
        lock.unlock();
        emit changed();
        lock.lock();
    }
}

void PrintSpooler::submit(PrintDocument document) {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping)
            return;
        m_waiting.push_back(std::move(document));
    }
    m_changed.notify_all();
    if (!m_thread.joinable())
        m_thread = std::thread(&PrintSpooler::run, this);
}

bool PrintSpooler::finish(std::chrono::milliseconds patience) {
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_waiting.empty() && !m_busy)
            return true;
        const int before = m_delivered;
        // Each document that goes out earns the next one the same patience.
        if (!m_changed.wait_for(lock, patience, [&] { return m_delivered != before; }))
            return false;
    }
}

int PrintSpooler::waiting() const {
    std::lock_guard lock(m_mutex);
    return int(m_waiting.size()) + (m_busy ? 1 : 0);
}

QList<PrintFailure> PrintSpooler::takeFailures() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_failures, {});
}

int PrintSpooler::abandon() {
    int dropped;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        dropped = int(m_waiting.size());
        m_waiting.clear();
    }
    std::atomic_ref(m_cancel).store(1);
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    std::lock_guard lock(m_mutex);
    return dropped + std::exchange(m_cancelled, 0);
}

std::optional<Login> PrintSpooler::askLogin(const LoginRequest& request) {
    std::unique_lock lock(m_mutex);
    if (m_stopping)
        return std::nullopt;
    m_loginAsked = request;
    m_loginWaiting = true;
    m_loginAnswer.reset();
    lock.unlock();
    emit changed();
    lock.lock();
    m_changed.wait(lock, [&] { return m_stopping || m_loginAnswer.has_value(); });
    m_loginWaiting = false;
    m_loginAsked.reset();
    std::optional<Login> answer;
    if (!m_stopping && m_loginAnswer)
        answer = std::move(*m_loginAnswer);
    m_loginAnswer.reset();
    return answer;
}

std::optional<LoginRequest> PrintSpooler::takeLoginRequest() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_loginAsked, std::nullopt);
}

void PrintSpooler::answerLogin(const std::optional<Login>& login) {
    {
        std::lock_guard lock(m_mutex);
        if (!m_loginWaiting || m_loginAsked)
            return;
        m_loginAnswer = login;
    }
    m_changed.notify_all();
}

} // namespace qv
