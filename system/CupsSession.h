#pragma once

#include "Paper.h"
#include "runtime/PrintFailure.h"
#include "runtime/PrintLogin.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

typedef struct _http_s http_t;
typedef struct cups_dest_s cups_dest_t;
typedef struct _cups_dinfo_s cups_dinfo_t;

namespace qv {

struct CupsLibrary;

// One conversation with the print system (CUPS) about one document, over one connection:
// finds the default printer and its paper, then hands it the finished page. Everything here may
// block while the server does not answer, so it runs on the spooler's thread only; every wait
// ends when the cancel flag is set or the server has not answered within the given time.
class CupsSession {
public:
    // Asks the user for a login and waits for the answer; nothing when none was given.
    using AskLogin = std::function<std::optional<Login>(const LoginRequest&)>;
    // How many logins a card may try before the server's refusal is told.
    static constexpr int LoginTries = 3;

    // cancel is the spooler's flag, read through std::atomic_ref and by the library itself.
    CupsSession(int& cancel, std::chrono::milliseconds answerWithin, AskLogin askLogin = {});
    ~CupsSession();
    CupsSession(const CupsSession&) = delete;
    CupsSession& operator=(const CupsSession&) = delete;

    // Connects and finds the default printer and its paper.
    std::optional<PrintFailure> open();
    const Paper& paper() const { return m_paper; }
    // Sends the PDF page, from memory, to the printer as one job on its paper.
    std::optional<PrintFailure> submit(const QByteArray& pdf);
    // The job submit() made, and where to ask about it.
    int job() const { return m_job; }
    const QString& printer() const { return m_printer; }
    const QByteArray& printerUri() const { return m_uri; }

    // Keeps libcups on this thread off the terminal: with no callback of ours, it would ask
    // there for a password and wait for an answer that may never come.
    static void neverAskTheTerminal();

private:
    // A connection of its own to the server; false when none could be made.
    bool connect();
    static int keepWaiting(http_t* http, void* session);
    static const char* password(const char* prompt, http_t* http, const char* method,
                                const char* resource, void* session);
    // Asks the user for a login, within the tries allowed; false when none is to be had.
    bool askLogin();
    // What went wrong with the last request, for the phase it was in.
    PrintFailure failure(PrintFailure::Reason otherwise);
    // The printer's own word on why it does not take jobs, where it has one.
    QString rejectionMessage();
    void readPaper();

    bool cancelled() const;

    const CupsLibrary& m_cups;
    int& m_cancel;
    const std::chrono::milliseconds m_answerWithin;
    AskLogin m_askLogin;
    QElapsedTimer m_clock;
    bool m_timedOut = false;
    bool m_givenUp = false;
    int m_logins = 0;
    bool m_loginCancelled = false;
    bool m_loginRefused = false;
    bool m_loginReady = false; // asked for before the server's question: the next answer
    QByteArray m_user;
    QByteArray m_password;
    http_t* m_http = nullptr;
    cups_dest_t* m_dest = nullptr;
    cups_dinfo_t* m_info = nullptr;
    QString m_printer;
    QByteArray m_uri;
    Paper m_paper;
    int m_job = 0;
};

} // namespace qv
