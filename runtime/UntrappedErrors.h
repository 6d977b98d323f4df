#pragma once

#include <functional>

namespace qv {

class Dialogs;

// Every event handler is entered through here. An error that no handler took gets the
// engine's report: a message box with the error number and text, then the program ends.
// Nothing thrown ever reaches Qt's event loop.
void runHandler(Dialogs& dialogs, const std::function<void()>& handler) noexcept;

} // namespace qv
