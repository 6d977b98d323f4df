#include "PrintJob.h"

#include "Module1.h"
#include "runtime/Printer.h"

namespace qv::print {

namespace {
// Runs one statement of the print job: whatever makes it fail abandons that statement only,
// and the job goes on with the next one.
template <typename Statement> void abandonOnFailure(Statement statement) noexcept {
    try {
        statement();
    } catch (...) {
    }
}
} // namespace

void printWindow(Gdi& gdi, Printer& printer, const std::function<Gdi::Handle()>& windowHandle) {
    abandonOnFailure([&] {
        // The picture lives for this statement only; leaving it, by error or not, releases it.
        const Picture picture =
            Module1::CaptureWindowArea(gdi, windowHandle(), true, 0, 0, 710, 685);
        printer.PaintPicture(picture, 0, 0);
    });
    abandonOnFailure([&] { printer.EndDoc(); });
}

} // namespace qv::print
