#include "CupsSession.h"

#include "CupsLibrary.h"
#include "runtime/App.h"

#include <atomic>
#include <cstring>

namespace qv {

namespace {
using Reason = PrintFailure::Reason;

// How often a wait for the server looks at the cancel flag and the clock.
constexpr double PollSeconds = 0.2;
// The page goes to the server in pieces this large.
constexpr qsizetype Piece = 64 * 1024;

bool refusal(ipp_status_t status) {
    return (status >= IPP_STATUS_ERROR_BAD_REQUEST && status < IPP_STATUS_ERROR_INTERNAL) ||
           status == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS || status == IPP_STATUS_ERROR_BUSY ||
           status == IPP_STATUS_ERROR_DEVICE || status == IPP_STATUS_ERROR_TEMPORARY ||
           status == IPP_STATUS_ERROR_JOB_CANCELED;
}

const char* noPassword(const char*, http_t*, const char*, const char*, void*) {
    return nullptr;
}
} // namespace

CupsSession::CupsSession(int& cancel, std::chrono::milliseconds answerWithin, AskLogin askLogin)
    : m_cups(CupsLibrary::get()), m_cancel(cancel), m_answerWithin(answerWithin),
      m_askLogin(std::move(askLogin)) {
    m_clock.start();
}

bool CupsSession::cancelled() const {
    return std::atomic_ref(m_cancel).load() != 0;
}

CupsSession::~CupsSession() {
    if (m_cups.present && !m_cups.missing) {
        neverAskTheTerminal();
        // The next card goes out under the user's own name again, asking anew where needed.
        if (m_logins > 0)
            m_cups.cupsSetUser(nullptr);
    }
    m_password.fill('\0');
    if (m_info)
        m_cups.cupsFreeDestInfo(m_info);
    if (m_dest)
        m_cups.cupsFreeDests(1, m_dest);
    if (m_http)
        m_cups.httpClose(m_http);
}

void CupsSession::neverAskTheTerminal() {
    const CupsLibrary& cups = CupsLibrary::get();
    if (cups.cupsSetPasswordCB2)
        cups.cupsSetPasswordCB2(&noPassword, nullptr);
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

// Called by libcups, on this thread, when the server wants a login.
const char* CupsSession::password(const char*, http_t*, const char*, const char*, void* data) {
    auto* session = static_cast<CupsSession*>(data);
    // A login asked for before the request went out is tried first.
    if (std::exchange(session->m_loginReady, false) || session->askLogin())
        return session->m_password.constData();
    return nullptr;
}

bool CupsSession::askLogin() {
    m_password.fill('\0');
    m_password.clear();
    if (!m_askLogin || cancelled())
        return false;
    if (++m_logins > LoginTries) {
        m_loginRefused = true;
        return false;
    }
    if (m_user.isEmpty())
        m_user = m_cups.cupsUser();
    const std::optional<Login> login = m_askLogin({m_printer, QString::fromUtf8(m_user), m_logins});
    // The time the user took is not the server's: its patience starts again.
    m_clock.restart();
    if (!login || cancelled()) {
        m_loginCancelled = !cancelled();
        return false;
    }
    m_user = login->user.toUtf8();
    m_password = login->password.toUtf8();
    // libcups pairs the password with the thread's user name; over the local socket, a name
    // other than the user's own also keeps it from vouching for the user by the socket alone.
    m_cups.cupsSetUser(m_user.constData());
    return true;
}

PrintFailure CupsSession::failure(Reason otherwise) {
    if (m_givenUp || cancelled())
        return {Reason::GivenUp, m_printer, {}};
    if (m_timedOut)
        return {Reason::NotAnswering, m_printer, {}};
    if (m_loginCancelled)
        return {Reason::LoginCancelled, m_printer, {}};
    if (m_loginRefused)
        return {Reason::LoginRefused, m_printer, {}};
    const ipp_status_t status = m_cups.cupsLastError();
    // A connection that broke on the way: whatever the library made of it, the server is gone.
    if (status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || (m_http && m_cups.httpError(m_http)))
        return {Reason::Unreachable, m_printer, {}};
    if (otherwise == Reason::Refused && !refusal(status))
        otherwise = Reason::Unexpected;
    return {otherwise, m_printer, QString::fromUtf8(m_cups.cupsLastErrorString()).trimmed()};
}

bool CupsSession::connect() {
    if (m_http)
        m_cups.httpClose(m_http);
    m_http =
        m_cups.httpConnect2(m_cups.cupsServer(), m_cups.ippPort(), nullptr, AF_UNSPEC,
                            m_cups.cupsEncryption(), 1, int(m_answerWithin.count()), &m_cancel);
    if (m_http)
        m_cups.httpSetTimeout(m_http, PollSeconds, &CupsSession::keepWaiting, this);
    return m_http != nullptr;
}

std::optional<PrintFailure> CupsSession::open() {
    if (!m_cups.present)
        return PrintFailure{Reason::NoPrintSystem, {}, {}};
    if (m_cups.missing)
        return PrintFailure{Reason::PrintSystemTooOld, {}, QString::fromLatin1(m_cups.missing)};
    // Before anything is asked: a server that wants a login gets it from the user's box.
    m_cups.cupsSetPasswordCB2(&CupsSession::password, this);
    // The server's address is read afresh for each document, on a connection of its own: a
    // change of settings is followed, and a connection to a server since restarted is not
    // reused.
    m_cups.cupsSetServer(nullptr);
    if (!connect())
        return cancelled() ? PrintFailure{Reason::GivenUp, {}, {}}
                           : PrintFailure{Reason::Unreachable, {}, {}};

    m_dest = m_cups.cupsGetNamedDest(m_http, nullptr, nullptr);
    if (!m_dest) {
        PrintFailure why = failure(Reason::Unexpected);
        // Only a server that answered "none" means there is no default printer.
        if (why.reason == Reason::Unexpected &&
            m_cups.cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND)
            why = {Reason::NoDefaultPrinter, {}, {}};
        return why;
    }
    m_printer = QString::fromUtf8(m_dest->name);
    m_uri = m_cups.cupsGetOption("printer-uri-supported", m_dest->num_options, m_dest->options);
    m_info = m_cups.cupsCopyDestInfo(m_http, m_dest);
    // A server that stopped answering while it was asked about the paper is not one to send
    // the page to.
    if (!m_info || m_timedOut || m_givenUp || cancelled())
        return failure(Reason::Unexpected);
    readPaper();
    if (m_paper.size.isEmpty())
        return PrintFailure{Reason::PaperUnknown, m_printer, {}};
    return std::nullopt;
}

void CupsSession::readPaper() {
    const CupsLibrary& c = m_cups;
    // The default paper with its printable area. Every kind of queue gives it, also where the
    // name alone is missing (a PPD whose sizes have no margins); the library's own
    // cupsGetDestMediaDefault answers Letter for an A4 printer.
    ipp_t* media =
        c.ippGetCollection(c.cupsFindDestDefault(m_http, m_dest, m_info, "media-col"), 0);
    ipp_t* size =
        c.ippGetCollection(c.ippFindAttribute(media, "media-size", IPP_TAG_BEGIN_COLLECTION), 0);
    const auto number = [&](ipp_t* in, const char* name) {
        return c.ippGetInteger(c.ippFindAttribute(in, name, IPP_TAG_INTEGER), 0);
    };
    const int width = number(size, "x-dimension");
    const int length = number(size, "y-dimension");
    const char* name =
        c.ippGetString(c.cupsFindDestDefault(m_http, m_dest, m_info, CUPS_MEDIA), 0, nullptr);
    const bool named = name && *name;
    // Hundredths of a millimetre.
    if (width > 0 && length > 0) {
        m_paper.size = QSizeF(width, length) / 100.0;
        m_paper.margins =
            QMarginsF(number(media, "media-left-margin"), number(media, "media-top-margin"),
                      number(media, "media-right-margin"), number(media, "media-bottom-margin")) /
            100.0;
        // Asked for by name only where the server gave one: otherwise the queue's own default
        // is the paper laid out for, and a name made up from the size could choose another.
        if (named)
            m_paper.media = name;
    } else if (cups_size_t found{};
               named && c.cupsGetDestMediaByName(m_http, m_dest, m_info, name, 0, &found) &&
               found.width > 0 && found.length > 0) {
        m_paper.media = name;
        m_paper.size = QSizeF(found.width, found.length) / 100.0;
        m_paper.margins = QMarginsF(found.left, found.top, found.right, found.bottom) / 100.0;
    }
}

QString CupsSession::rejectionMessage() {
    if (m_uri.isEmpty())
        return {};
    ipp_t* request = m_cups.ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    m_cups.ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                        m_uri.constData());
    static const char* const wanted[] = {"printer-state-message", "printer-state"};
    m_cups.ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2,
                         nullptr, wanted);
    ipp_t* response = m_cups.cupsDoRequest(m_http, request, "/");
    const int state =
        m_cups.ippGetInteger(m_cups.ippFindAttribute(response, "printer-state", IPP_TAG_ENUM), 0);
    const QString text = QString::fromUtf8(m_cups.ippGetString(
        m_cups.ippFindAttribute(response, "printer-state-message", IPP_TAG_TEXT), 0, nullptr));
    m_cups.ippDelete(response);
    // While a job prints, the message is the printer's progress, which writes over whatever
    // the administrator gave as the reason.
    return state == IPP_PSTATE_PROCESSING ? QString() : text.trimmed();
}

std::optional<PrintFailure> CupsSession::submit(const QByteArray& pdf) {
    cups_option_t* options = nullptr;
    int count = 0;
    if (!m_paper.media.isEmpty())
        count = m_cups.cupsAddOption(CUPS_MEDIA, m_paper.media.constData(), count, &options);
    // At its own size, at the printable corner, whatever the print system would do by default.
    if (m_cups.cupsCheckDestSupported(m_http, m_dest, m_info, "print-scaling", "none"))
        count = m_cups.cupsAddOption("print-scaling", "none", count, &options);
    const QByteArray title = App::Title().toUtf8();
    ipp_status_t created;
    for (;;) {
        const int loginsBefore = m_logins;
        created = m_cups.cupsCreateDestJob(m_http, m_dest, m_info, &m_job, title.constData(), count,
                                           options);
        // A login the server turned down ends the request in the library's hands (it reports
        // an internal error once cupsd drops the connection): asked again, on a fresh one.
        const bool turnedDown = created == IPP_STATUS_ERROR_NOT_AUTHORIZED ||
                                created == IPP_STATUS_ERROR_FORBIDDEN ||
                                created == IPP_STATUS_ERROR_INTERNAL;
        // Over the local socket the server knows the user without asking, and may turn that
        // user away: someone allowed to print may log in instead.
        const bool userNotAllowed =
            created == IPP_STATUS_ERROR_FORBIDDEN && m_logins == loginsBefore;
        if (m_job > 0 || !turnedDown || m_loginCancelled || m_loginRefused || m_timedOut ||
            m_givenUp || cancelled())
            break;
        if (userNotAllowed)
            m_loginReady = askLogin();
        if ((m_logins == loginsBefore) || (userNotAllowed && !m_loginReady) || !connect())
            break;
    }
    m_cups.cupsFreeOptions(count, options);
    if (created > IPP_STATUS_OK_EVENTS_COMPLETE || m_job <= 0) {
        m_job = 0;
        PrintFailure why = failure(Reason::Refused);
        // Where whoever stopped the printer wrote down why, that says more than the protocol.
        if (why.reason == Reason::Refused &&
            m_cups.cupsLastError() == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS)
            if (const QString own = rejectionMessage(); !own.isEmpty())
                why.detail = own;
        return why;
    }
    bool sent =
        m_cups.cupsStartDestDocument(m_http, m_dest, m_info, m_job, title.constData(),
                                     CUPS_FORMAT_PDF, 0, nullptr, 1) == HTTP_STATUS_CONTINUE;
    for (qsizetype at = 0; sent && at < pdf.size(); at += Piece)
        sent = m_cups.cupsWriteRequestData(m_http, pdf.constData() + at,
                                           size_t(std::min(Piece, pdf.size() - at))) ==
               HTTP_STATUS_CONTINUE;
    // Finished even after a failed write: it reads the server's answer.
    const ipp_status_t finished = m_cups.cupsFinishDestDocument(m_http, m_dest, m_info);
    if (sent && finished <= IPP_STATUS_OK_EVENTS_COMPLETE)
        return std::nullopt;
    PrintFailure why = failure(Reason::Refused);
    // A job left without its page is not left waiting on the server.
    if (!m_givenUp && !m_timedOut && !cancelled())
        m_cups.cupsCancelDestJob(m_http, m_dest, m_job);
    m_job = 0;
    return why;
}

} // namespace qv
