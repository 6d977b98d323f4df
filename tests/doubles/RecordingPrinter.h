#pragma once

#include "runtime/Printer.h"
#include "runtime/RuntimeError.h"

namespace qv::test {

// A printer that counts the documents it ends. Drawing or ending can be made to fail, and the
// print system can refuse each ended document with the given words.
class RecordingPrinter : public Printer {
public:
    int documentsEnded = 0;
    QString failing; // "drawing" or "ending"
    QString refusal;

    void PaintPicture(const Picture& picture, float, float) override {
        picture.image(); // the empty picture fails here, as on a printer
        if (failing == QStringLiteral("drawing"))
            throw RuntimeError(ErrorNumber::PrinterError);
    }
    void EndDoc() override {
        if (failing == QStringLiteral("ending"))
            throw RuntimeError(ErrorNumber::PrinterError);
        ++documentsEnded;
        if (!refusal.isEmpty())
            reportFailure(refusal);
    }
};

} // namespace qv::test
