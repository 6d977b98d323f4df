#include "App.h"

#include "runtime/Version.h"

// The window icon, compiled in as XPM is meant to be: read from the resources it would pass
// through an image reader, which scans the image plugins first and, left to guess the format,
// loads them all (libjpeg with one of them).
#include "hand.xpm"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QThread>

namespace qv {

namespace {
App::EndAction& endAction() {
    static App::EndAction action = [](int exitCode) {
        // Closing the windows first takes them off the screen at once, as a crashed program
        // would vanish; the event loop then returns exitCode from main.
        const auto end = [exitCode] {
            QApplication::closeAllWindows();
            QCoreApplication::exit(exitCode);
        };
        end();
        // Before the event loop runs (an error while the main window is built), exit() does
        // nothing: the loop ends as soon as it starts instead.
        if (QThread::currentThread()->loopLevel() == 0 && QCoreApplication::instance())
            QMetaObject::invokeMethod(QCoreApplication::instance(), end, Qt::QueuedConnection);
    };
    return action;
}
} // namespace

std::int16_t App::Major() {
    return QUORVEL_VERSION_MAJOR;
}

std::int16_t App::Minor() {
    return QUORVEL_VERSION_MINOR;
}

std::int16_t App::Revision() {
    return QUORVEL_VERSION_PATCH;
}

QString App::Version() {
    return QStringLiteral(QUORVEL_VERSION);
}

void App::setUp() {
    QApplication::setApplicationName(Title());
    QApplication::setApplicationVersion(Version());
    // Every window's icon.
    QApplication::setWindowIcon(QIcon(QPixmap(hand)));
}

void App::End(int exitCode) {
    endAction()(exitCode);
}

App::EndAction App::setEndAction(EndAction action) {
    EndAction previous = std::move(endAction());
    endAction() = std::move(action);
    return previous;
}

} // namespace qv
