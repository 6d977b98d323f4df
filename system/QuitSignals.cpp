#include "QuitSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace qv {

namespace {
// Written by the signal handler, the one thing it may do safely.
volatile sig_atomic_t g_writeEnd = -1;
struct sigaction g_formerTerm, g_formerInt;

void onSignal(int) {
    const int saved = errno;
    const char byte = 1;
    if (g_writeEnd >= 0)
        [[maybe_unused]] const ssize_t written = ::write(g_writeEnd, &byte, 1);
    errno = saved;
}
} // namespace

QuitSignals::QuitSignals() {
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    g_writeEnd = m_pipe[1];
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::drain);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, &g_formerTerm);
    ::sigaction(SIGINT, &action, &g_formerInt);
}

QuitSignals::~QuitSignals() {
    if (m_pipe[0] < 0)
        return;
    ::sigaction(SIGTERM, &g_formerTerm, nullptr);
    ::sigaction(SIGINT, &g_formerInt, nullptr);
    g_writeEnd = -1;
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

void QuitSignals::drain() {
    char bytes[16];
    ssize_t count;
    while ((count = ::read(m_pipe[0], bytes, sizeof bytes)) > 0)
        for (ssize_t i = 0; i < count; ++i)
            emit received();
}

} // namespace qv
