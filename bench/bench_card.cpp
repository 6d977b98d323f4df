#include "BenchSheet.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

// 输入 as the user meets it: Command1_Click on the shown main window, for texts of 1, 2 (drawn
// with its leading blank), 10 and 160 characters.
static void BM_Command1_Click(benchmark::State& state) {
    BenchSheet sheet;
    Form2& form = sheet.form;
    form.show();
    QString text;
    for (int i = 0; i < state.range(0); ++i)
        text += QChar(0x738B + i % 64); // 王 and its neighbours
    form.CardText = text;               // the first card warms the glyph cache, as in real use
    form.Command1_Click();
    for (auto _ : state) {
        form.CardText = text;
        form.Command1_Click();
        // The repaint the click leaves for the event loop is not the command's own time.
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Command1_Click)->Arg(1)->Arg(2)->Arg(10)->Arg(160)->Unit(benchmark::kMillisecond);
