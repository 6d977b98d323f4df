#pragma once

#include <QByteArray>
#include <QString>

typedef struct _http_s http_t;

namespace qv::printsystem {

struct Cups;

// One conversation with the print system (CUPS) about one document: connects to the print
// server and finds the default printer, then hands it the finished page. Everything here may
// block while the server does not answer, so it runs on the spooler's thread only. Failures
// come back as the words the user is told.
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The default printer's queue; empty when there is no server or no default printer.
    const QString& printer() const { return m_printer; }
    // Why there is no printer to print on.
    const QString& failure() const { return m_failure; }
    // Hands a PDF file to the printer as one job on the given paper (the printer's own name for
    // it); the empty string when the print system took the job, otherwise why not.
    QString submit(const QString& pdfFile, const QString& paper);

private:
    // The printer's own word on its state, as whoever stopped it wrote it.
    QString stateMessage();

    const Cups& m_cups;
    http_t* m_http = nullptr;
    QString m_printer;
    QByteArray m_uri;
    QString m_failure;
};

} // namespace qv::printsystem
