#pragma once

#include "MemoryRegistry.h"
#include "ScriptedDialogs.h"
#include "runtime/Engine.h"
#include "system/QtGdi.h"

namespace qv::test {

// The engine the windows run on in tests and benchmarks: scripted boxes, an in-memory registry
// and the real capture, with the printer and the desktop of the caller's choice.
template <typename PrinterType, typename ShellType> struct EngineBundle {
    template <typename... PrinterArguments>
    explicit EngineBundle(PrinterArguments&&... arguments)
        : printer(std::forward<PrinterArguments>(arguments)...) {}

    ScriptedDialogs dialogs;
    QtGdi gdi;
    PrinterType printer;
    MemoryRegistry registry;
    ShellType shell;
    Engine engine{dialogs, gdi, printer, registry, shell};
};

} // namespace qv::test
