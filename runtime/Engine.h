#pragma once

namespace qv {

class Dialogs;
class Gdi;
class Printer;
class Registry;
class Shell;

// The parts of the system the windows use, handed to them as one.
struct Engine {
    Dialogs& dialogs;
    Gdi& gdi;
    Printer& printer;
    Registry& registry;
    Shell& shell;
};

} // namespace qv
