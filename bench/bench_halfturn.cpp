#include "BenchSheet.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

// 旋转 as the user meets it, on the shown main window with a card drawn.
static void BM_RotateCommand(benchmark::State& state) {
    BenchSheet sheet;
    Form2& form = sheet.form;
    form.show();
    form.CardText = QStringLiteral("张三");
    form.Command1_Click();
    for (auto _ : state) {
        form.旋转_Click();
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RotateCommand)->Unit(benchmark::kMillisecond);
