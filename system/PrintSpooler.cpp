#include "PrintSpooler.h"

namespace qv {

PrintSpooler::PrintSpooler(Deliver deliver) : m_state(std::make_shared<State>()) {
    m_thread = std::thread(run, m_state, std::move(deliver));
}

PrintSpooler::~PrintSpooler() {
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

void PrintSpooler::run(const std::shared_ptr<State>& state, const Deliver& deliver) {
    std::unique_lock lock(state->mutex);
    for (;;) {
        state->changed.wait(lock, [&] { return state->stopping || !state->waiting.empty(); });
        if (state->waiting.empty())
            return;
        PrintDocument document = std::move(state->waiting.front());
        state->waiting.pop_front();
        state->busy = true;
        lock.unlock();
        try {
            deliver(document);
        } catch (...) {
            // A document the print system refuses is dropped, as a printer would drop it.
        }
        lock.lock();
        state->busy = false;
        ++state->delivered;
        state->changed.notify_all();
    }
}

void PrintSpooler::submit(PrintDocument document) {
    {
        std::lock_guard lock(m_state->mutex);
        m_state->waiting.push_back(std::move(document));
    }
    m_state->changed.notify_all();
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

} // namespace qv
