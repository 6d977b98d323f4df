#include "Form2.h"
#include "NewsPresenter.h"
#include "PrintNews.h"
#include "PrintWaitDialog.h"

#include "about/SystemInformationKeys.h"
#include "runtime/App.h"
#include "runtime/Engine.h"
#include "system/CupsPrinter.h"
#include "system/FontMapping.h"
#include "system/QtDialogs.h"
#include "system/QtGdi.h"
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
    qv::CupsPrinter printer;
    qv::SystemRegistry registry(qv::sysinfo::ToolPathKey, qv::sysinfo::ToolPathValue);
    qv::QtShell shell;
    qv::Engine engine{dialogs, gdi, printer, registry, shell};
    // Cards the print system did not take are told while the window is up and after it has
    // gone, by one presenter.
    qv::NewsPresenter news(dialogs, printer);
    QPointer<Form2> window = new Form2(engine, &news);
    window->setAttribute(Qt::WA_DeleteOnClose);
    bool endNow = false;
    // A signal to end is a quit like 退出; a second one, or one while quitting, ends at once.
    bool quitting = false;
    qv::QuitSignals quitSignals;
    QObject::connect(&quitSignals, &qv::QuitSignals::received, &application, [&] {
        endNow = quitting;
        quitting = true;
        // After a second signal there is no time for boxes: what was not printed is counted.
        if (endNow)
            news.countOnly();
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
    bool allOut = endNow || printer.spooler().finish(qv::CupsPrinter::ExitMoment);
    if (!endNow && !allOut)
        allOut = qv::PrintWaitDialog(printer).waitForAll();
    const int givenUp = printer.abandon();
    const int untold = news.counted();
    if (endNow && givenUp + untold > 0)
        std::fprintf(stderr, "%s\n", qPrintable(qv::PrintNews::endedBySignal(givenUp + untold)));
    else if (givenUp > 0)
        dialogs.MsgBox(qv::PrintNews::givenUp(givenUp));
    return exitCode;
}
