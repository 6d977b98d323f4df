#pragma once

#include "runtime/Printer.h"

#include <optional>

namespace qv::test {

// A printer whose print system refuses each ended document with the given reason, if any.
class RecordingPrinter : public Printer {
public:
    std::optional<PrintFailure> refusal;
    int waitingCards = 0;

    void PaintPicture(const Picture& picture, float, float) override {
        picture.image(); // the empty picture fails here, as on a printer
    }
    int waiting() const override { return waitingCards; }
    void EndDoc() override {
        if (refusal)
            emit notPrinted(*refusal);
    }
};

} // namespace qv::test
