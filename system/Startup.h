#pragma once

namespace qv {

// Whether a display is configured to start on; says why not on stderr when there is none.
bool displayConfigured();

// While the application object is being made, Qt ends in abort() when it cannot open the
// display: between these two calls that becomes one line on stderr and exit code 1, and
// Qt's other start-up chatter is dropped. Afterwards Qt's messages go where Qt sends them.
void installStartupMessageHandler();
void removeStartupMessageHandler();

} // namespace qv
