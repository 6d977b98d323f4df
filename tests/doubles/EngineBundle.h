#pragma once

#include "NullGdi.h"
#include "MemoryRegistry.h"
#include "ScriptedDialogs.h"
#include "runtime/Engine.h"

namespace qv::test {

// The engine the windows run on in tests and benchmarks: scripted boxes and an in-memory
// registry, with the printer, the desktop and the capture of the caller's choice (the real
// capture is system/'s, so only the tests of system/ and the benchmarks can choose it).
template <typename PrinterType, typename ShellType, typename GdiType = NullGdi>
struct EngineBundle {
    template <typename... PrinterArguments>
    explicit EngineBundle(PrinterArguments&&... arguments)
        : printer(std::forward<PrinterArguments>(arguments)...) {}

    ScriptedDialogs dialogs;
    GdiType gdi;
    PrinterType printer;
    MemoryRegistry registry;
    ShellType shell;
    Engine engine{dialogs, gdi, printer, registry, shell};
};

} // namespace qv::test
