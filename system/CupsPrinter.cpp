#include "CupsPrinter.h"

#include "CupsSession.h"
#include "runtime/App.h"
#include "runtime/Screen.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>

namespace qv {

namespace {
using Reason = PrintFailure::Reason;

bool writePdf(QIODevice& to, const QPageLayout& layout, const PrintDocument& document) {
    QPdfWriter writer(&to);
    writer.setPageLayout(layout);
    writer.setTitle(App::Title());
    writer.setCreator(App::Title());
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    const double dpi = writer.resolution();
    for (const PrintDocument::Placed& placed : document.pictures) {
        const QRectF& in = placed.inches;
        painter.drawImage(QRectF(in.x() * dpi, in.y() * dpi, in.width() * dpi, in.height() * dpi),
                          placed.image);
    }
    return painter.end();
}

// Runs on the spooler's thread: everything that talks to the print server happens here.
std::optional<PrintFailure> printDocument(const QString& outputFile,
                                          std::chrono::milliseconds answerWithin,
                                          const PrintDocument& document, int& cancel,
                                          CupsSession::AskLogin askLogin, JobWatcher& watcher) {
    if (!outputFile.isEmpty()) {
        QFile file(outputFile);
        if (file.open(QIODevice::WriteOnly) && writePdf(file, Paper().layout(), document) &&
            file.flush())
            return std::nullopt;
        return PrintFailure{Reason::PageNotMade, {}, file.errorString()};
    }
    // Looked up for every document, so a change of default printer between cards is followed.
    CupsSession session(cancel, answerWithin, std::move(askLogin));
    if (std::optional<PrintFailure> failure = session.open())
        return failure;
    // The page is made in memory and goes to the server over the same connection.
    QByteArray pdf;
    QBuffer page(&pdf);
    if (!page.open(QIODevice::WriteOnly) || !writePdf(page, session.paper().layout(), document))
        return PrintFailure{Reason::PageNotMade, session.printer(), {}};
    page.close();
    if (std::optional<PrintFailure> failure = session.submit(pdf))
        return failure;
    watcher.follow(session.printer(), session.printerUri(), session.job());
    return std::nullopt;
}
} // namespace

CupsPrinter::CupsPrinter(QString outputFile, std::chrono::milliseconds answerWithin)
    : m_spooler([this, file = std::move(outputFile), answerWithin](const PrintDocument& document,
                                                                   int& cancel) {
          return printDocument(
              file, answerWithin, document, cancel,
              [this](const LoginRequest& request) { return m_spooler.askLogin(request); },
              m_watcher);
      }) {
    // Emitted on the spooler's thread, heard on this one.
    connect(&m_spooler, &PrintSpooler::changed, this, &CupsPrinter::relay, Qt::QueuedConnection);
    connect(&m_watcher, &JobWatcher::changed, this, &CupsPrinter::relay, Qt::QueuedConnection);
}

void CupsPrinter::PaintPicture(const Picture& picture, float x, float y) {
    const QImage& image = picture.image();
    // The picture's own size: its screen pixels at the screen's resolution. Positions are in
    // twips, the printer's default unit. Worked out here, where the screen can be asked.
    const double inchesPerPixelX = Screen::TwipsPerPixelX() / 1440.0;
    const double inchesPerPixelY = Screen::TwipsPerPixelY() / 1440.0;
    const QSizeF pixels = image.deviceIndependentSize();
    if (!m_document)
        m_document.emplace();
    m_document->pictures.push_back(
        {image, QRectF(x / 1440.0, y / 1440.0, pixels.width() * inchesPerPixelX,
                       pixels.height() * inchesPerPixelY)});
}

void CupsPrinter::EndDoc() {
    if (!m_document)
        return;
    PrintDocument document = std::move(*m_document);
    m_document.reset();
    m_spooler.submit(std::move(document));
}

int CupsPrinter::waiting() const {
    return m_spooler.waiting();
}

int CupsPrinter::abandon() {
    const int givenUp = m_spooler.abandon();
    relay();
    return givenUp;
}

void CupsPrinter::answerLogin(const std::optional<Login>& login) {
    m_spooler.answerLogin(login);
}

void CupsPrinter::relay() {
    if (const std::optional<LoginRequest> request = m_spooler.takeLoginRequest())
        emit loginWanted(*request);
    for (const PrintFailure& failure : m_spooler.takeFailures())
        emit notPrinted(failure);
    for (const PrintFailure& failure : m_watcher.takeFailures())
        emit notPrinted(failure);
    for (const PrintDelay& delay : m_watcher.takeDelays())
        emit waitingAtPrinter(delay);
    emit waitingChanged(m_spooler.waiting());
}

} // namespace qv
