#include "Form2.h"

#include "platform/App.h"
#include "platform/Engine.h"
#include "platform/FontMapping.h"
#include "platform/Printer.h"
#include "platform/QtDialogs.h"
#include "platform/QtGdi.h"
#include "platform/Shell.h"
#include "platform/Startup.h"
#include "platform/SystemRegistry.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    if (!qv::displayConfigured())
        return 1;
    qv::installStartupMessageHandler();
    QApplication application(argc, argv);
    qv::removeStartupMessageHandler();
    qv::App::setUp();
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
