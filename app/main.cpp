#include "Form2.h"

#include "about/SystemInformationKeys.h"
#include "runtime/App.h"
#include "runtime/Engine.h"
#include "system/FontMapping.h"
#include "system/QtPrinter.h"
#include "system/QtDialogs.h"
#include "system/QtGdi.h"
#include "system/QtShell.h"
#include "system/Startup.h"
#include "system/SystemRegistry.h"
#include "system/Translations.h"

#include <QApplication>

#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[]) {
    if (!qv::displayConfigured())
        return 1;
    qv::installStartupMessageHandler();
    QApplication application(argc, argv);
    qv::removeStartupMessageHandler();
    qv::App::setUp();
    // Ties the window to its desktop entry, so a Wayland compositor shows its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.quorvel.Quorvel"));
    qv::installQtTranslations();
    qv::installFontMapping();

    qv::QtDialogs dialogs;
    qv::QtGdi gdi;
    qv::QtPrinter printer;
    qv::SystemRegistry registry(qv::sysinfo::ToolPathKey, qv::sysinfo::ToolPathValue);
    qv::QtShell shell;
    qv::Engine engine{dialogs, gdi, printer, registry, shell};
    auto* window = new Form2(engine);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    const int exitCode = application.exec();
    // A card printed just before quitting still goes out, or the user is told it did not.
    if (printer.finishBeforeExit(dialogs))
        return exitCode;
    // Given up while the print system holds a card: end without waiting for it.
    std::fflush(nullptr);
    _exit(exitCode);
}
