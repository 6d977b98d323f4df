#include "Form2.h"

#include "about/SystemInformationKeys.h"
#include "runtime/App.h"
#include "runtime/Engine.h"
#include "runtime/PrintNews.h"
#include "runtime/UntrappedErrors.h"
#include "system/FontMapping.h"
#include "system/PrintWaitDialog.h"
#include "system/QtDialogs.h"
#include "system/QtGdi.h"
#include "system/QtPrinter.h"
#include "system/QtShell.h"
#include "system/QuitSignals.h"
#include "system/Startup.h"
#include "system/SystemRegistry.h"
#include "system/Translations.h"

#include <QApplication>
#include <QPointer>

#include <cstdio>

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
    QPointer<Form2> window = new Form2(engine);
    window->setAttribute(Qt::WA_DeleteOnClose);

    // Once the window is gone, a card the print system did not take is told in a box of its
    // own; after a second signal there is no time for boxes, and it is only counted.
    bool endNow = false;
    int untold = 0;
    QObject::connect(&printer, &qv::Printer::notPrinted, &application,
                     [&](const qv::PrintFailure& failure) {
                         if (window)
                             return;
                         if (endNow)
                             ++untold;
                         else
                             qv::runHandler(dialogs, [&] {
                                 dialogs.MsgBox(qv::PrintNews::notPrinted(failure));
                             });
                     });
    // A signal to end is a quit like 退出; a second one, or one while quitting, ends at once.
    bool quitting = false;
    qv::QuitSignals quitSignals;
    QObject::connect(&quitSignals, &qv::QuitSignals::received, &application, [&] {
        endNow = quitting;
        quitting = true;
        // Leaves every loop, the boxes' and the waiting dialog's included.
        QCoreApplication::exit(0);
    });

    window->show();
    const int exitCode = application.exec();
    quitting = true;
    if (window) { // the loop was left on a signal: the window goes as on 退出
        window->close();
        delete window;
    }

    // A card printed just before quitting still goes out, or the user is told it did not.
    bool allOut = endNow || printer.finish(qv::QtPrinter::ExitMoment);
    if (!endNow && !allOut)
        allOut = qv::PrintWaitDialog([&printer] { return printer.waiting(); }).waitForAll();
    const int givenUp = printer.abandon();
    if (endNow && givenUp + untold > 0)
        std::fprintf(stderr, "%s\n", qPrintable(qv::PrintNews::endedBySignal(givenUp + untold)));
    else if (givenUp > 0)
        dialogs.MsgBox(qv::PrintNews::givenUp(givenUp));
    return exitCode;
}
