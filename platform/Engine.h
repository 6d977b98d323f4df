#pragma once

namespace qv {

class Dialogs;
class Gdi;
class Printer;

// The parts of the system the windows use, handed to them as one.
struct Engine {
    Dialogs& dialogs;
    Gdi& gdi;
    Printer& printer;
};

} // namespace qv
