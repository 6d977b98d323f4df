#pragma once

#include "runtime/PrintFailure.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QMarginsF>
#include <QSizeF>
#include <QString>

#include <atomic>
#include <chrono>
#include <optional>

typedef struct _http_s http_t;

namespace qv::printsystem {

struct Cups;

// The default printer's paper as the print system describes it, in millimetres.
struct Paper {
    QByteArray media; // the print system's own name for it; empty when it gave none
    QSizeF size;      // empty when unknown
    QMarginsF margins;
};

// One conversation with the print system (CUPS) about one document, over one connection:
// finds the default printer and its paper, then hands it the finished page. Everything here may
// block while the server does not answer, so it runs on the spooler's thread only; every wait
// ends when the cancel flag is set or the server has not answered within the given time.
class Session {
public:
    Session(const std::atomic<int>& cancel, std::chrono::milliseconds answerWithin);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

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

    const Cups& m_cups;
    const std::atomic<int>& m_cancel;
    const std::chrono::milliseconds m_answerWithin;
    QElapsedTimer m_clock;
    bool m_timedOut = false;
    bool m_givenUp = false;
    http_t* m_http = nullptr;
    QString m_printer;
    QByteArray m_uri;
    Paper m_paper;
};

} // namespace qv::printsystem
