#include "HalfTurn.h"

#include "platform/Conversions.h"
#include "platform/PictureBox.h"
#include "platform/RuntimeError.h"

#include <QImage>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace qv::card {

namespace {
// The surface's coordinate rule (nearest, halves to even) on a single-precision position.
inline int pixelOf(float position) {
#if defined(__SSE__)
    return _mm_cvtss_si32(_mm_set_ss(position));
#else
    return int(std::nearbyint(position));
#endif
}
} // namespace

void rotateHalfTurn(PictureBox& picture1, PictureBox& picture2) {
    const double theta = 565.2 / 180;
    picture1.setScaleMode(PictureBox::Pixels);
    picture2.setScaleMode(PictureBox::Pixels);

    const float width2 = picture2.ScaleWidth(), height2 = picture2.ScaleHeight();
    const float width1 = picture1.ScaleWidth(), height1 = picture1.ScaleHeight();
    const std::int16_t xEnd = toInt16(width2);
    const std::int16_t yEnd = toInt16(height2);
    const std::int32_t cx2 = half(width2), cy2 = half(height2);
    const std::int32_t cx1 = half(width1), cy1 = half(height1);
    const double c = checked(std::cos(-theta)), s = checked(std::sin(-theta));
    const float maxX = toSingle(width1 - 1.0f), maxY = toSingle(height1 - 1.0f);

    // The loops run x and y from 0 to their end inclusive in 16-bit counters: an end of 32767
    // overflows on the last step. With a 32767-high face that happens after column 0, with a
    // 32767-wide face after the last column; the columns before it are painted either way.
    constexpr int Last16 = std::numeric_limits<std::int16_t>::max();
    const int lastColumn = yEnd == Last16 ? 0 : xEnd;
    const bool overflows = yEnd == Last16 || xEnd == Last16;

    const QImage& source = picture1.retainedImage();
    QImage& target = picture2.retainedImageForWriting();
    const int columns = std::min(lastColumn + 1, target.width());
    const int rows = std::min(int(yEnd) + 1, target.height());

    // Every value that only depends on x or on y, computed once; the per-pixel sums below keep
    // the operands and their order, so the result is bit for bit the direct formula's.
    std::vector<double> dxc(columns), dxs(columns);
    for (int x = 0; x < columns; ++x) {
        const double dx = narrowToInt16(std::int64_t(x) - cx2);
        dxc[x] = dx * c;
        dxs[x] = dx * s;
    }
    const auto* sourceBits = source.constBits();
    const qsizetype sourceStride = source.bytesPerLine();
    for (int y = 0; y < rows; ++y) {
        const double dy = narrowToInt16(std::int64_t(y) - cy2);
        const double dys = dy * s, dyc = dy * c;
        auto* line = reinterpret_cast<QRgb*>(target.scanLine(y));
        for (int x = 0; x < columns; ++x) {
            const double sx = cx1 + (dxc[x] + dys);
            const double sy = cy1 + (dyc - dxs[x]);
            const float fx = float(sx), fy = float(sy);
            if (sx > 0 && fx < maxX && sy > 0 && fy < maxY) {
                const auto* from =
                    reinterpret_cast<const QRgb*>(sourceBits + pixelOf(fy) * sourceStride);
                line[x] = from[pixelOf(fx)];
            }
        }
    }
    picture2.pixelsChanged(QRect(0, 0, columns, rows));
    if (overflows)
        throw RuntimeError(ErrorNumber::Overflow);
}

} // namespace qv::card
