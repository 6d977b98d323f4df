#include "Printer.h"

#include "App.h"
#include "RuntimeError.h"
#include "Screen.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace qv {

QtPrinter::QtPrinter(QString outputFile) : m_outputFile(std::move(outputFile)) {}

QtPrinter::~QtPrinter() {
    // A document left open is abandoned rather than half sent.
    if (m_painter && m_painter->isActive())
        m_printer->abort();
}

void QtPrinter::begin() {
    // The default printer is looked up for every document, so a change of default between
    // cards is followed.
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (m_outputFile.isEmpty()) {
        const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
        if (defaultPrinter.isNull())
            throw RuntimeError(ErrorNumber::PrinterError);
        printer->setPrinterName(defaultPrinter.printerName());
    } else {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(m_outputFile);
    }
    printer->setDocName(App::Title());
    printer->setCreator(App::Title());
    auto painter = std::make_unique<QPainter>();
    if (!printer->isValid() || !painter->begin(printer.get()))
        throw RuntimeError(ErrorNumber::PrinterError);
    m_printer = std::move(printer);
    m_painter = std::move(painter);
}

void QtPrinter::PaintPicture(const Picture& picture, float x, float y) {
    const QImage& image = picture.image();
    if (!m_painter)
        begin();
    // The picture's own size: its screen pixels at the printer's resolution. Positions are in
    // twips, the printer's default unit.
    const double screenDpi = 1440.0 / Screen::TwipsPerPixelX();
    const double scale = m_printer->resolution() / screenDpi;
    const QRectF target(x / 1440.0 * m_printer->resolution(), y / 1440.0 * m_printer->resolution(),
                        image.width() * scale, image.height() * scale);
    m_painter->drawImage(target, image);
}

void QtPrinter::EndDoc() {
    if (!m_painter)
        return;
    std::unique_ptr<QPainter> painter = std::move(m_painter);
    std::unique_ptr<QPrinter> printer = std::move(m_printer);
    // end() spools the job; a refused job shows as a printer error.
    if (!painter->end() || printer->printerState() == QPrinter::Error)
        throw RuntimeError(ErrorNumber::PrinterError);
}

} // namespace qv
