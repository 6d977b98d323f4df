#pragma once

#include "runtime/PrintFailure.h"
#include "runtime/PrintLogin.h"

#include <QString>

namespace qv {

// Everything the program tells the user about cards on their way to the printer.
namespace PrintNews {
// One card that was not printed, and why, with what the user can do about it.
QString notPrinted(const PrintFailure& failure);
// A card the print system took that waits at the printer.
QString waitingAtPrinter(const PrintDelay& delay);
// The question of a print server that wants a login.
QString loginPrompt(const LoginRequest& request);
// At the end of the program, while the print server does not answer.
QString waiting(int cards);
// What the button that stops waiting does.
QString giveUpMeans();
// The cards left behind when the user stopped waiting.
QString givenUp(int cards);
// The same, for a program ended by a second signal, with no window left to show it in.
QString endedBySignal(int cards);
} // namespace PrintNews

} // namespace qv
