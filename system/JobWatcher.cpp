#include "JobWatcher.h"

#include "CupsLibrary.h"
#include "CupsSession.h"

#include <QElapsedTimer>

#include <atomic>

namespace qv {

namespace {
// How long one look waits for the server before trying again next time.
constexpr int AnswerWithinMs = 5000;

struct Patience {
    int& cancel;
    QElapsedTimer clock;
};
int keepWaiting(http_t*, void* data) {
    auto* patience = static_cast<Patience*>(data);
    return std::atomic_ref(patience->cancel).load() == 0 &&
           patience->clock.elapsed() < AnswerWithinMs;
}

bool hasKeyword(const CupsLibrary& cups, ipp_attribute_t* attribute, const char* keyword) {
    for (int i = 0; i < cups.ippGetCount(attribute); ++i)
        if (qstrcmp(cups.ippGetString(attribute, i, nullptr), keyword) == 0)
            return true;
    return false;
}

QString text(const CupsLibrary& cups, ipp_t* response, const char* name) {
    return QString::fromUtf8(
               cups.ippGetString(cups.ippFindAttribute(response, name, IPP_TAG_TEXT), 0, nullptr))
        .trimmed();
}

ipp_t* ask(const CupsLibrary& cups, http_t* http, ipp_op_t operation, const QByteArray& uri,
           int job, const std::vector<const char*>& wanted) {
    ipp_t* request = cups.ippNewRequest(operation);
    cups.ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                      uri.constData());
    if (job > 0)
        cups.ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job);
    cups.ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                       int(wanted.size()), nullptr, wanted.data());
    return cups.cupsDoRequest(http, request, "/");
}
} // namespace

JobWatcher::JobWatcher(std::chrono::milliseconds every) : m_every(every) {}

JobWatcher::~JobWatcher() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    std::atomic_ref(m_cancel).store(1);
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void JobWatcher::follow(const QString& printer, const QByteArray& printerUri, int job) {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping)
            return;
        m_jobs.push_back({printer, printerUri, job, std::nullopt});
        if (!m_thread.joinable())
            m_thread = std::thread(&JobWatcher::run, this);
    }
    m_wake.notify_all();
}

QList<PrintFailure> JobWatcher::takeFailures() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_failures, {});
}

QList<PrintDelay> JobWatcher::takeDelays() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_delays, {});
}

void JobWatcher::run() {
    CupsSession::neverAskTheTerminal();
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait_for(lock, m_every, [&] { return m_stopping; });
        if (m_stopping)
            return;
        if (m_jobs.empty())
            continue;
        lock.unlock();
        look();
        lock.lock();
    }
}

void JobWatcher::look() {
    const CupsLibrary& cups = CupsLibrary::get();
    std::vector<Job> jobs;
    {
        std::lock_guard lock(m_mutex);
        jobs = m_jobs;
    }
    Patience patience{m_cancel, {}};
    patience.clock.start();
    cups.cupsSetServer(nullptr);
    http_t* http = cups.httpConnect2(cups.cupsServer(), cups.ippPort(), nullptr, AF_UNSPEC,
                                     cups.cupsEncryption(), 1, AnswerWithinMs, &m_cancel);
    if (!http)
        return; // asked again next time
    cups.httpSetTimeout(http, 0.2, &keepWaiting, &patience);
    std::vector<int> ended;
    QList<PrintFailure> failures;
    QList<PrintDelay> delays;
    for (Job& job : jobs) {
        ipp_t* response = ask(
            cups, http, IPP_OP_GET_JOB_ATTRIBUTES, job.printerUri, job.id,
            {"job-state", "job-state-reasons", "job-state-message", "job-printer-state-message"});
        const int state =
            cups.ippGetInteger(cups.ippFindAttribute(response, "job-state", IPP_TAG_ENUM), 0);
        // A card the user took off the queue themselves is no news to them.
        const bool byUser =
            hasKeyword(cups, cups.ippFindAttribute(response, "job-state-reasons", IPP_TAG_KEYWORD),
                       "job-canceled-by-user");
        QString said = text(cups, response, "job-printer-state-message");
        if (said.isEmpty())
            said = text(cups, response, "job-state-message");
        cups.ippDelete(response);
        if (state == 0)
            continue; // no answer this time
        if (state >= IPP_JSTATE_CANCELED) {
            ended.push_back(job.id);
            if (state != IPP_JSTATE_COMPLETED && !byUser)
                failures.append({PrintFailure::Reason::StoppedAtPrinter, job.printer, said});
            continue;
        }
        response = ask(cups, http, IPP_OP_GET_PRINTER_ATTRIBUTES, job.printerUri, 0,
                       {"printer-state", "printer-state-reasons", "printer-state-message"});
        const int printerState =
            cups.ippGetInteger(cups.ippFindAttribute(response, "printer-state", IPP_TAG_ENUM), 0);
        ipp_attribute_t* reasons =
            cups.ippFindAttribute(response, "printer-state-reasons", IPP_TAG_KEYWORD);
        std::optional<PrintDelay> delay;
        if (printerState == IPP_PSTATE_STOPPED)
            delay = PrintDelay{PrintDelay::Reason::Paused, job.printer,
                               text(cups, response, "printer-state-message")};
        else if (printerState != 0 && (hasKeyword(cups, reasons, "connecting-to-device") ||
                                       hasKeyword(cups, reasons, "offline-report")))
            delay = PrintDelay{PrintDelay::Reason::DeviceOutOfReach, job.printer,
                               text(cups, response, "printer-state-message")};
        cups.ippDelete(response);
        if (printerState == 0)
            continue;
        if (delay && delay != job.told)
            delays.append(*delay);
        job.told = delay;
    }
    cups.httpClose(http);
    {
        std::lock_guard lock(m_mutex);
        for (const Job& job : jobs)
            for (Job& kept : m_jobs)
                if (kept.id == job.id)
                    kept.told = job.told;
        std::erase_if(m_jobs, [&](const Job& job) {
            return std::find(ended.begin(), ended.end(), job.id) != ended.end();
        });
        m_failures.append(failures);
        m_delays.append(delays);
    }
    if (!failures.isEmpty() || !delays.isEmpty() || !ended.empty())
        emit changed();
}

} // namespace qv
