#pragma once

#include "runtime/Printer.h"

namespace qv::test {

// A printer whose print system refuses each ended document with the given words, if any.
class RecordingPrinter : public Printer {
public:
    QString refusal;

    void PaintPicture(const Picture& picture, float, float) override {
        picture.image(); // the empty picture fails here, as on a printer
    }
    void EndDoc() override {
        if (!refusal.isEmpty())
            reportFailure(refusal);
    }
};

} // namespace qv::test
