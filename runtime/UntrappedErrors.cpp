#include "UntrappedErrors.h"

#include "App.h"
#include "Dialogs.h"
#include "RuntimeError.h"

#include <new>

namespace qv {

namespace {
void report(Dialogs& dialogs, const RuntimeError& error) noexcept {
    try {
        dialogs.MsgBox(
            QStringLiteral("运行时错误 '%1':\n\n%2").arg(error.number()).arg(error.description()));
    } catch (...) {
        // The report itself failed (no memory for a box); the program still ends.
    }
    App::End(1);
}
} // namespace

void runHandler(Dialogs& dialogs, const std::function<void()>& handler) noexcept {
    try {
        handler();
    } catch (const RuntimeError& error) {
        report(dialogs, error);
    } catch (const std::bad_alloc&) {
        report(dialogs, RuntimeError(ErrorNumber::OutOfMemory));
    } catch (const std::exception& other) {
        report(dialogs,
               RuntimeError(ErrorNumber::InternalError, QString::fromLocal8Bit(other.what())));
    } catch (...) {
        report(dialogs, RuntimeError(ErrorNumber::InternalError));
    }
}

} // namespace qv
