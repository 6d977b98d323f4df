#include "BenchSheet.h"
#include "card/HalfTurn.h"
#include "runtime/Conversions.h"
#include "runtime/PictureBox.h"

#include <benchmark/benchmark.h>

#include <cmath>

using qv::PictureBox;

namespace {
// The turn as a plain loop would do it: every step through the surfaces' own properties,
// Point and PSet, the trigonometry recomputed per pixel.
void referenceHalfTurn(PictureBox& picture1, PictureBox& picture2) {
    const double theta = 565.2 / 180;
    picture1.setScaleMode(PictureBox::Pixels);
    picture2.setScaleMode(PictureBox::Pixels);
    const std::int16_t xEnd = qv::toInt16(picture2.ScaleWidth());
    for (std::int32_t x = 0; x <= xEnd; ++x) {
        const std::int16_t dx = qv::narrowToInt16(x - qv::half(picture2.ScaleWidth()));
        const std::int16_t yEnd = qv::toInt16(picture2.ScaleHeight());
        for (std::int32_t y = 0; y <= yEnd; ++y) {
            const std::int16_t dy = qv::narrowToInt16(y - qv::half(picture2.ScaleHeight()));
            const double c = std::cos(-theta), s = std::sin(-theta);
            const double u = dx * c + dy * s, v = dy * c - dx * s;
            const double sx = qv::half(picture1.ScaleWidth()) + u;
            const double sy = qv::half(picture1.ScaleHeight()) + v;
            if (sx > 0 && float(sx) < float(picture1.ScaleWidth() - 1) && sy > 0 &&
                float(sy) < float(picture1.ScaleHeight() - 1)) {
                const std::int32_t colour = picture1.Point(float(sx), float(sy));
                picture2.PSet(float(x), float(y), qv::OleColor(colour));
            }
        }
    }
}

struct Sheet : BenchSheet {
    Sheet() {
        form.CardText = QStringLiteral("张三");
        form.Command1_Click();
    }
};
} // namespace

static void BM_HalfTurn_Reference(benchmark::State& state) {
    Sheet sheet;
    for (auto _ : state)
        referenceHalfTurn(*sheet.form.Picture1, *sheet.form.Picture2);
}
BENCHMARK(BM_HalfTurn_Reference)->Unit(benchmark::kMicrosecond);

static void BM_RotateHalfTurn(benchmark::State& state) {
    Sheet sheet;
    for (auto _ : state)
        qv::card::rotateHalfTurn(*sheet.form.Picture1, *sheet.form.Picture2);
}
BENCHMARK(BM_RotateHalfTurn)->Unit(benchmark::kMicrosecond);

// The memory-bound floor: one deep copy of the 641 x 248 face image.
static void BM_CopyFaceImage(benchmark::State& state) {
    Sheet sheet;
    const QImage& face = sheet.form.Picture1->retainedImage();
    for (auto _ : state) {
        QImage copy = face.copy();
        benchmark::DoNotOptimize(copy.constBits());
    }
}
BENCHMARK(BM_CopyFaceImage)->Unit(benchmark::kMicrosecond);
