#include "BenchSheet.h"

#include <benchmark/benchmark.h>

// Command1_Click on the real main window, for texts of 1, 3 and 10 characters.
static void BM_Command1_Click(benchmark::State& state) {
    BenchSheet sheet;
    Form2& form = sheet.form;
    QString text;
    for (int i = 0; i < state.range(0); ++i)
        text += QChar(0x738B + i); // 王 and its neighbours
    form.CardText = text;          // the first card warms the glyph cache, as in real use
    form.Command1_Click();
    for (auto _ : state) {
        form.CardText = text;
        form.Command1_Click();
    }
}
BENCHMARK(BM_Command1_Click)->Arg(1)->Arg(3)->Arg(10)->Unit(benchmark::kMillisecond);
