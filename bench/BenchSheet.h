#pragma once

#include "Form2.h"
#include "platform/Engine.h"
#include "platform/Printer.h"
#include "platform/QtGdi.h"
#include "platform/Registry.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"

// The main window on the real engine, printing to the given PDF file (the default printer
// when it is empty).
struct BenchSheet {
    explicit BenchSheet(const QString& printTo = QStringLiteral("/dev/null")) : printer(printTo) {}
    qv::ScriptedDialogs dialogs;
    qv::QtGdi gdi;
    qv::QtPrinter printer;
    qv::MemoryRegistry registry;
    qv::QtShell shell;
    qv::Engine engine{dialogs, gdi, printer, registry, shell};
    Form2 form{engine};
};
