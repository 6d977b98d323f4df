#include "PrintSpooler.h"

namespace qv {

PrintSpooler::PrintSpooler(Deliver deliver, Failed failed)
    : m_deliver(std::move(deliver)), m_failed(std::move(failed)),
      m_state(std::make_shared<State>()) {}

PrintSpooler::~PrintSpooler() {
    if (!m_thread.joinable())
        return;
    bool stuck;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
        m_state->waiting.clear();
        stuck = m_state->busy;
    }
    m_state->changed.notify_all();
    // Stuck in the print system: the thread keeps the state alive and ends on its own.
    if (stuck)
        m_thread.detach();
    else
        m_thread.join();
}

void PrintSpooler::run(const std::shared_ptr<State>& state, const Deliver& deliver,
                       const Failed& failed) {
    std::unique_lock lock(state->mutex);
    for (;;) {
        state->changed.wait(lock, [&] { return state->stopping || !state->waiting.empty(); });
        if (state->waiting.empty())
            return;
        PrintDocument document = std::move(state->waiting.front());
        state->waiting.pop_front();
        state->busy = true;
        lock.unlock();
        QString failure;
        try {
            failure = deliver(document);
        } catch (...) {
            failure = QStringLiteral("这张桌签没有打印：送往打印机时出了意外的错误。");
        }
        document = {};
        lock.lock();
        state->busy = false;
        ++state->delivered;
        if (!failure.isEmpty()) {
            state->failures.append(failure);
            // Once the owner is gone, nobody is left to tell.
            if (!state->stopping && failed)
                failed();
        }
        state->changed.notify_all();
    }
}

void PrintSpooler::submit(PrintDocument document) {
    {
        std::lock_guard lock(m_state->mutex);
        m_state->waiting.push_back(std::move(document));
    }
    m_state->changed.notify_all();
    if (!m_thread.joinable())
        m_thread = std::thread(run, m_state, std::move(m_deliver), std::move(m_failed));
}

bool PrintSpooler::finish(std::chrono::milliseconds patience) {
    std::unique_lock lock(m_state->mutex);
    for (;;) {
        if (m_state->waiting.empty() && !m_state->busy)
            return true;
        const int before = m_state->delivered;
        // Each document that goes out earns the next one the same patience.
        if (!m_state->changed.wait_for(lock, patience,
                                       [&] { return m_state->delivered != before; }))
            return false;
    }
}

int PrintSpooler::delivered() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->delivered;
}

int PrintSpooler::waiting() const {
    std::lock_guard lock(m_state->mutex);
    return int(m_state->waiting.size()) + (m_state->busy ? 1 : 0);
}

QStringList PrintSpooler::takeFailures() {
    std::lock_guard lock(m_state->mutex);
    return std::exchange(m_state->failures, {});
}

} // namespace qv
