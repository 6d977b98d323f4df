#include "QtPrinter.h"

#include "PrintSystem.h"
#include "PrintWaitDialog.h"
#include "runtime/App.h"
#include "runtime/Dialogs.h"
#include "runtime/Screen.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>

namespace qv {

namespace {
// The page as the printer lays it out: its own paper, not Qt's A4, with the card at the
// printable origin (the paper's corner on a borderless printer). Orientation stays with the
// queue's default.
QPageLayout pageLayoutOf(const QString& printerName) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(printerName);
    printer.setPageSize(QPrinterInfo::printerInfo(printerName).defaultPageSize());
    printer.setPageMargins(printer.pageLayout().minimumMargins(), printer.pageLayout().units());
    return printer.pageLayout();
}

bool writePdf(const QString& file, const std::optional<QPageLayout>& layout,
              const PrintDocument& document) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    if (layout)
        printer.setPageLayout(*layout);
    else
        printer.setPageMargins(printer.pageLayout().minimumMargins(), printer.pageLayout().units());
    printer.setDocName(App::Title());
    printer.setCreator(App::Title());
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const double dpi = printer.resolution();
    for (const PrintDocument::Placed& placed : document.pictures) {
        const QRectF& in = placed.inches;
        painter.drawImage(QRectF(in.x() * dpi, in.y() * dpi, in.width() * dpi, in.height() * dpi),
                          placed.image);
    }
    return painter.end();
}

const QString PageFailed = QStringLiteral("这张桌签没有打印：无法生成要打印的页面"
                                          "（临时文件夹可能已满或不可写）。");

// Runs on the spooler's thread: everything that talks to the print server happens here.
QString printDocument(const QString& outputFile, const PrintDocument& document) {
    if (!outputFile.isEmpty())
        return writePdf(outputFile, {}, document) ? QString() : PageFailed;
    // Looked up for every document, so a change of default between cards is followed.
    printsystem::Session session;
    if (session.printer().isEmpty())
        return session.failure();
    const QPageLayout layout = pageLayoutOf(session.printer());
    // The page waits for the print system in a folder only this user can read.
    const QTemporaryDir scratch;
    const QString page = scratch.filePath(QStringLiteral("card.pdf"));
    if (!scratch.isValid() || !writePdf(page, layout, document))
        return PageFailed;
    return session.submit(page, layout.pageSize().key());
}
} // namespace

QtPrinter::QtPrinter(QString outputFile)
    : m_spooler([file = std::move(outputFile)](
                    const PrintDocument& document) { return printDocument(file, document); },
                [this] {
                    QMetaObject::invokeMethod(
                        &m_news, [this] { reportFailures(); }, Qt::QueuedConnection);
                }) {}

void QtPrinter::PaintPicture(const Picture& picture, float x, float y) {
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

void QtPrinter::EndDoc() {
    if (!m_document)
        return;
    PrintDocument document = std::move(*m_document);
    m_document.reset();
    m_spooler.submit(std::move(document));
}

void QtPrinter::reportFailures() {
    for (const QString& failure : m_spooler.takeFailures()) {
        if (m_exitDialogs)
            m_exitDialogs->MsgBox(failure);
        else
            reportFailure(failure);
    }
}

bool QtPrinter::finish(std::chrono::milliseconds patience) {
    return m_spooler.finish(patience);
}

bool QtPrinter::finishBeforeExit(Dialogs& dialogs) {
    // The main window is closing: what still fails is told in a box of its own.
    m_exitDialogs = &dialogs;
    bool allOut = finish(ExitMoment);
    if (!allOut)
        allOut = PrintWaitDialog([this] { return m_spooler.waiting(); }).waitForAll();
    reportFailures();
    // The last card may have gone out just as the user gave up.
    if (const int left = allOut ? 0 : m_spooler.waiting()) {
        dialogs.MsgBox(
            QStringLiteral("%1 张桌签没有打印：打印服务一直没有响应，已放弃等待。").arg(left));
    } else {
        allOut = true;
    }
    m_exitDialogs = nullptr;
    return allOut;
}

} // namespace qv
