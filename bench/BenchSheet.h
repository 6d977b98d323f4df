#pragma once

#include "EngineBundle.h"
#include "Form2.h"
#include "system/QtGdi.h"
#include "system/CupsPrinter.h"
#include "system/QtShell.h"

// The main window on the real engine, printing to the given PDF file (the default printer
// when it is empty).
struct BenchSheet : qv::test::EngineBundle<qv::CupsPrinter, qv::QtShell, qv::QtGdi> {
    explicit BenchSheet(const QString& printTo = QStringLiteral("/dev/null"))
        : EngineBundle(printTo) {}
    Form2 form{engine};
};
