#include "Form2.h"

#include "platform/Engine.h"
#include "platform/FontMapping.h"
#include "platform/Printer.h"
#include "platform/QtDialogs.h"
#include "platform/QtGdi.h"
#include "platform/SystemRegistry.h"
#include "platform/Shell.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {
// Until the window system is up, Qt's complaints about a missing display end in abort();
// say it in one line and leave with an error instead.
bool g_starting = true;

void startupMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (!g_starting) {
        if (type != QtDebugMsg && type != QtInfoMsg)
            std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
        return;
    }
    if (type == QtFatalMsg) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "quorvel: 无法打开图形显示%s%s%s，程序无法启动。\n",
                     display ? " \"" : "", display ? display : "", display ? "\"" : "");
        std::fflush(stderr);
        _exit(1);
    }
}

bool haveDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}
} // namespace

int main(int argc, char* argv[]) {
    if (!haveDisplay()) {
        std::fprintf(stderr, "quorvel: 没有图形显示（DISPLAY 未设置），程序无法启动。\n");
        return 1;
    }
    qInstallMessageHandler(startupMessages);
    QApplication application(argc, argv);
    g_starting = false;
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationVersion(QStringLiteral("1.1.1"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quorvel/hand.xpm")));
    qv::installFontMapping();

    qv::QtDialogs dialogs;
    qv::QtGdi gdi;
    qv::QtPrinter printer;
    qv::SystemRegistry registry;
    qv::QtShell shell;
    qv::Engine engine{dialogs, gdi, printer, registry, shell};
    auto* window = new Form2(engine);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return application.exec();
}
