#include "CupsSession.h"

#include "CupsLibrary.h"
#include "runtime/App.h"

#include <atomic>

namespace qv {

namespace {
using Reason = PrintFailure::Reason;

// How often a wait for the server looks at the cancel flag and the clock.
constexpr double PollSeconds = 0.2;

bool refusal(ipp_status_t status) {
    return (status >= IPP_STATUS_ERROR_BAD_REQUEST && status < IPP_STATUS_ERROR_INTERNAL) ||
           status == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS || status == IPP_STATUS_ERROR_BUSY ||
           status == IPP_STATUS_ERROR_DEVICE || status == IPP_STATUS_ERROR_TEMPORARY ||
           status == IPP_STATUS_ERROR_JOB_CANCELED;
}
} // namespace

CupsSession::CupsSession(int& cancel, std::chrono::milliseconds answerWithin)
    : m_cups(CupsLibrary::get()), m_cancel(cancel), m_answerWithin(answerWithin) {
    m_clock.start();
}

bool CupsSession::cancelled() const {
    return std::atomic_ref(m_cancel).load() != 0;
}

CupsSession::~CupsSession() {
    if (m_http)
        m_cups.httpClose(m_http);
}

int CupsSession::keepWaiting(http_t*, void* data) {
    auto* session = static_cast<CupsSession*>(data);
    if (session->cancelled())
        session->m_givenUp = true;
    else if (session->m_clock.elapsed() >= session->m_answerWithin.count())
        session->m_timedOut = true;
    else
        return 1;
    return 0;
}

PrintFailure CupsSession::failure(Reason otherwise) {
    if (m_givenUp || cancelled())
        return {Reason::GivenUp, m_printer, {}};
    if (m_timedOut)
        return {Reason::NotAnswering, m_printer, {}};
    const ipp_status_t status = m_cups.cupsLastError();
    // A connection that broke on the way: whatever the library made of it, the server is gone.
    if (status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || (m_http && m_cups.httpError(m_http)))
        return {Reason::Unreachable, m_printer, {}};
    if (otherwise == Reason::Refused && !refusal(status))
        otherwise = Reason::Unexpected;
    return {otherwise, m_printer, QString::fromUtf8(m_cups.cupsLastErrorString()).trimmed()};
}

std::optional<PrintFailure> CupsSession::open() {
    if (!m_cups.present)
        return PrintFailure{Reason::NoPrintSystem, {}, {}};
    if (m_cups.missing)
        return PrintFailure{Reason::PrintSystemTooOld, {}, QString::fromLatin1(m_cups.missing)};
    // The server's address is read afresh for each document, on a connection of its own: a
    // change of settings is followed, and a connection to a server since restarted is not
    // reused.
    m_cups.cupsSetServer(nullptr);
    m_http =
        m_cups.httpConnect2(m_cups.cupsServer(), m_cups.ippPort(), nullptr, AF_UNSPEC,
                            m_cups.cupsEncryption(), 1, int(m_answerWithin.count()), &m_cancel);
    if (!m_http)
        return cancelled() ? PrintFailure{Reason::GivenUp, {}, {}}
                           : PrintFailure{Reason::Unreachable, {}, {}};
    m_cups.httpSetTimeout(m_http, PollSeconds, &CupsSession::keepWaiting, this);

    cups_dest_t* dest = m_cups.cupsGetNamedDest(m_http, nullptr, nullptr);
    if (!dest) {
        PrintFailure why = failure(Reason::Unexpected);
        // Only a server that answered "none" means there is no default printer.
        if (why.reason == Reason::Unexpected &&
            m_cups.cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND)
            why = {Reason::NoDefaultPrinter, {}, {}};
        return why;
    }
    m_printer = QString::fromUtf8(dest->name);
    m_uri = m_cups.cupsGetOption("printer-uri-supported", dest->num_options, dest->options);
    if (cups_dinfo_t* info = m_cups.cupsCopyDestInfo(m_http, dest)) {
        // The printer's default paper by name, then its size and margins. (The library's own
        // cupsGetDestMediaDefault answers Letter for an A4 printer.)
        const char* media = m_cups.ippGetString(
            m_cups.cupsFindDestDefault(m_http, dest, info, CUPS_MEDIA), 0, nullptr);
        cups_size_t size{};
        if (media && m_cups.cupsGetDestMediaByName(m_http, dest, info, media, 0, &size) &&
            size.width > 0 && size.length > 0) {
            // Hundredths of a millimetre.
            m_paper.media = QByteArray(size.media);
            m_paper.size = QSizeF(size.width, size.length) / 100.0;
            m_paper.margins = QMarginsF(size.left, size.top, size.right, size.bottom) / 100.0;
        }
        m_cups.cupsFreeDestInfo(info);
    }
    m_cups.cupsFreeDests(1, dest);
    // A server that stopped answering while it was asked about the paper is not one to send
    // the page to.
    if (m_timedOut || m_givenUp || cancelled())
        return failure(Reason::Unexpected);
    return std::nullopt;
}

QString CupsSession::stateMessage() {
    if (m_uri.isEmpty())
        return {};
    ipp_t* request = m_cups.ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    m_cups.ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                        m_uri.constData());
    m_cups.ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                        nullptr, "printer-state-message");
    ipp_t* response = m_cups.cupsDoRequest(m_http, request, "/");
    const QString text = QString::fromUtf8(m_cups.ippGetString(
        m_cups.ippFindAttribute(response, "printer-state-message", IPP_TAG_TEXT), 0, nullptr));
    m_cups.ippDelete(response);
    return text.trimmed();
}

std::optional<PrintFailure> CupsSession::submit(const QString& pdfFile) {
    cups_option_t* options = nullptr;
    int count = 0;
    if (!m_paper.media.isEmpty())
        count = m_cups.cupsAddOption("media", m_paper.media.constData(), count, &options);
    const int job = m_cups.cupsPrintFile2(m_http, m_printer.toUtf8().constData(),
                                          pdfFile.toLocal8Bit().constData(),
                                          App::Title().toUtf8().constData(), count, options);
    m_cups.cupsFreeOptions(count, options);
    if (job > 0)
        return std::nullopt;
    PrintFailure why = failure(Reason::Refused);
    // What whoever stopped the printer wrote down says more than the protocol's words.
    if (why.reason == Reason::Refused)
        if (const QString own = stateMessage(); !own.isEmpty())
            why.detail = own;
    return why;
}

} // namespace qv
