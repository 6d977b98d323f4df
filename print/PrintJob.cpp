#include "PrintJob.h"

#include "Module1.h"
#include "platform/Printer.h"

namespace qv::print {

namespace {
// Runs one statement the way "On Error Resume Next" does: whatever makes the statement fail,
// it is abandoned and the next one runs.
template <typename Statement> void resumeNext(Statement statement) noexcept {
    try {
        statement();
    } catch (...) {
    }
}
} // namespace

void printWindow(Gdi& gdi, Printer& printer, const std::function<Gdi::Handle()>& windowHandle) {
    resumeNext([&] {
        // The picture lives for this statement only; leaving it, by error or not, releases it.
        const Picture picture =
            Module1::CaptureWindowArea(gdi, windowHandle(), true, 0, 0, 710, 685);
        printer.PaintPicture(picture, 0, 0);
    });
    resumeNext([&] { printer.EndDoc(); });
}

} // namespace qv::print
