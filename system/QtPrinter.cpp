#include "QtPrinter.h"

#include "runtime/App.h"
#include "runtime/Screen.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cstdio>
#include <unistd.h>

namespace qv {

namespace {
// Runs on the spooler's thread: everything that talks to the print server happens here.
void printDocument(const QString& outputFile, const PrintDocument& document) {
    QPrinter printer(QPrinter::HighResolution);
    if (outputFile.isEmpty()) {
        // Looked up for every document, so a change of default between cards is followed.
        const QPrinterInfo target = QPrinterInfo::defaultPrinter();
        if (target.isNull())
            return;
        printer.setPrinterName(target.printerName());
        // The printer's own paper, not Qt's A4; orientation stays with the queue's default.
        printer.setPageSize(target.defaultPageSize());
    } else {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(outputFile);
    }
    // The card starts at the printable origin: the paper's corner on a borderless printer.
    printer.setPageMargins(printer.pageLayout().minimumMargins(), printer.pageLayout().units());
    printer.setDocName(App::Title());
    printer.setCreator(App::Title());
    QPainter painter;
    if (!printer.isValid() || !painter.begin(&printer))
        return;
    const double dpi = printer.resolution();
    for (const PrintDocument::Placed& placed : document.pictures) {
        const QRectF& in = placed.inches;
        painter.drawImage(QRectF(in.x() * dpi, in.y() * dpi, in.width() * dpi, in.height() * dpi),
                          placed.image);
    }
    painter.end();
}
} // namespace

QtPrinter::QtPrinter(QString outputFile)
    : m_spooler([file = std::move(outputFile)](const PrintDocument& document) {
          printDocument(file, document);
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

bool QtPrinter::finish(std::chrono::milliseconds patience) {
    return m_spooler.finish(patience);
}

int QtPrinter::finishBeforeExit(int exitCode) {
    if (finish())
        return exitCode;
    std::fprintf(stderr, "quorvel: 打印服务器没有响应，未送出的文档已放弃。\n");
    std::fflush(nullptr);
    _exit(exitCode);
}

} // namespace qv
