#pragma once

#include "runtime/Gdi.h"

#include <functional>

namespace qv {
class Printer;
}

namespace qv::print {

// Prints the top-left 710 x 685 pixels of the window's client area as one page at the page's
// origin, at their own size. Shows nothing and raises nothing: a failure while capturing or
// drawing skips to ending the document, and a failure to end it ends the job quietly.
void printWindow(Gdi& gdi, Printer& printer, const std::function<Gdi::Handle()>& windowHandle);

} // namespace qv::print
