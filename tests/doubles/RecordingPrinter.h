#pragma once

#include "platform/Printer.h"
#include "platform/RuntimeError.h"

#include <QList>

namespace qv::test {

// A printer that keeps what it is given; each operation can be made to fail.
class RecordingPrinter : public Printer {
public:
    struct Drawn {
        QImage image;
        float x, y;
    };
    QList<Drawn> drawn;
    int documentsEnded = 0;
    bool failDrawing = false;
    bool failEnding = false;

    void PaintPicture(const Picture& picture, float x, float y) override {
        const QImage& image = picture.image(); // the empty picture fails here, as on a printer
        if (failDrawing)
            throw RuntimeError(ErrorNumber::PrinterError);
        drawn.append({image.copy(), x, y});
    }
    void EndDoc() override {
        if (failEnding)
            throw RuntimeError(ErrorNumber::PrinterError);
        ++documentsEnded;
    }
};

} // namespace qv::test
