#pragma once

#include "Paper.h"
#include "runtime/PrintFailure.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <chrono>
#include <optional>

typedef struct _http_s http_t;

namespace qv {

struct CupsLibrary;

// One conversation with the print system (CUPS) about one document, over one connection:
// finds the default printer and its paper, then hands it the finished page. Everything here may
// block while the server does not answer, so it runs on the spooler's thread only; every wait
// ends when the cancel flag is set or the server has not answered within the given time.
class CupsSession {
public:
    // cancel is the spooler's flag, read through std::atomic_ref and by the library itself.
    CupsSession(int& cancel, std::chrono::milliseconds answerWithin);
    ~CupsSession();
    CupsSession(const CupsSession&) = delete;
    CupsSession& operator=(const CupsSession&) = delete;

    // Connects and finds the default printer and its paper.
    std::optional<PrintFailure> open();
    const Paper& paper() const { return m_paper; }
    // Hands a PDF file to the printer as one job on its paper.
    std::optional<PrintFailure> submit(const QString& pdfFile);

private:
    static int keepWaiting(http_t* http, void* session);
    // What went wrong with the last request, for the phase it was in.
    PrintFailure failure(PrintFailure::Reason otherwise);
    // The printer's own word on its state, as whoever stopped it wrote it.
    QString stateMessage();

    bool cancelled() const;

    const CupsLibrary& m_cups;
    int& m_cancel;
    const std::chrono::milliseconds m_answerWithin;
    QElapsedTimer m_clock;
    bool m_timedOut = false;
    bool m_givenUp = false;
    http_t* m_http = nullptr;
    QString m_printer;
    QByteArray m_uri;
    Paper m_paper;
};

} // namespace qv
