#pragma once

#include "Picture.h"

#include <QString>

#include <memory>

class QPainter;
class QPrinter;

namespace qv {

// The application-wide printer: the system's default printer with its default settings.
class Printer {
public:
    virtual ~Printer() = default;
    // Draws the whole picture with its top-left corner at (x, y), at its own physical size,
    // opening a document first if none is open. Raises the printer error when there is no
    // printer to draw on.
    virtual void PaintPicture(const Picture& picture, float x, float y) = 0;
    // Ends the document and hands it with its page to the printer. Raises the printer error
    // when the job cannot be handed on.
    virtual void EndDoc() = 0;
};

// The default printer through Qt. With an output file, documents go there as PDF instead
// (for measuring without a print queue).
class QtPrinter : public Printer {
public:
    explicit QtPrinter(QString outputFile = {});
    ~QtPrinter() override;

    void PaintPicture(const Picture& picture, float x, float y) override;
    void EndDoc() override;

private:
    void begin();

    QString m_outputFile;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
};

} // namespace qv
