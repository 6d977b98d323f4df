#include "App.h"

#include <QApplication>

namespace qv {

namespace {
App::EndAction& endAction() {
    static App::EndAction action = [](int exitCode) {
        // Closing the windows first takes them off the screen at once, as a crashed program
        // would vanish; the event loop then returns exitCode from main.
        QApplication::closeAllWindows();
        QCoreApplication::exit(exitCode);
    };
    return action;
}
} // namespace

void App::End(int exitCode) {
    endAction()(exitCode);
}

App::EndAction App::setEndAction(EndAction action) {
    EndAction previous = std::move(endAction());
    endAction() = std::move(action);
    return previous;
}

} // namespace qv
