#include "BenchSheet.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

// How long 打印 keeps the window busy: capture, drawing and queueing the document for the
// print system, which takes it on its own thread. To a PDF file by default; to the default print
// queue when a print server is configured (stop the server with SIGSTOP to see a frozen one).
static void printCommand(benchmark::State& state, bool toQueue) {
    if (toQueue && qEnvironmentVariableIsEmpty("CUPS_SERVER")) {
        state.SkipWithError("no print server (set CUPS_SERVER)");
        return;
    }
    QTemporaryDir scratch;
    BenchSheet sheet(toQueue ? QString() : scratch.filePath("card.pdf"));
    Form2& form = sheet.form;
    form.show();
    form.CardText = QStringLiteral("张三");
    form.Command1_Click();
    form.旋转_Click();
    for (auto _ : state) {
        form.打印_Click();
        // Documents going out in the background are not the window's time.
        state.PauseTiming();
        sheet.printer.spooler().finish(std::chrono::milliseconds(200));
        state.ResumeTiming();
    }
}

static void BM_PrintCommand_ToFile(benchmark::State& state) {
    printCommand(state, false);
}
BENCHMARK(BM_PrintCommand_ToFile)->Unit(benchmark::kMillisecond);

static void BM_PrintCommand_ToQueue(benchmark::State& state) {
    printCommand(state, true);
}
BENCHMARK(BM_PrintCommand_ToQueue)->Unit(benchmark::kMillisecond)->Iterations(10);
