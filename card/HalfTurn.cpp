#include "HalfTurn.h"

#include "runtime/Conversions.h"
#include "runtime/PictureBox.h"
#include "runtime/RuntimeError.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace qv::card {

void rotateHalfTurn(PictureBox& picture1, PictureBox& picture2) {
    const double theta = 565.2 / 180;
    picture1.setScaleMode(PictureBox::Pixels);
    picture2.setScaleMode(PictureBox::Pixels);

    const float width1 = picture1.ScaleWidth(), height1 = picture1.ScaleHeight();
    const float width2 = picture2.ScaleWidth(), height2 = picture2.ScaleHeight();
    const std::int16_t xEnd = toInt16(width2), yEnd = toInt16(height2);
    const std::int32_t cx1 = half(width1), cy1 = half(height1);
    const std::int32_t cx2 = half(width2), cy2 = half(height2);
    const double c = checked(std::cos(-theta)), s = checked(std::sin(-theta));
    const float maxX = toSingle(width1 - 1.0f), maxY = toSingle(height1 - 1.0f);

    // x and y are 16-bit counters running to their end inclusive: an end of 32767 overflows on
    // its last step, in column 0 for a 32767-high face, after the last column for a 32767-wide
    // one. The steps at x = xEnd or y = yEnd fall outside the face and change nothing.
    constexpr int Last16 = std::numeric_limits<std::int16_t>::max();
    const QImage& source = picture1.retainedImage();
    QImage& target = picture2.retainedImageForWriting();
    const int columns = std::min(yEnd == Last16 ? 1 : xEnd + 1, target.width());
    const int rows = std::min(yEnd + 1, target.height());

    // What depends on x alone, once per column; the sums keep the formula's operand order.
    std::vector<double> dxc(std::max(columns, 0)), dxs(std::max(columns, 0));
    for (int x = 0; x < columns; ++x) {
        const double dx = narrowToInt16(std::int64_t(x) - cx2);
        dxc[x] = dx * c;
        dxs[x] = dx * s;
    }
    for (int y = 0; y < rows; ++y) {
        const double dy = narrowToInt16(std::int64_t(y) - cy2);
        const double dys = dy * s, dyc = dy * c;
        auto* line = reinterpret_cast<QRgb*>(target.scanLine(y));
        for (int x = 0; x < columns; ++x) {
            const double sx = cx1 + (dxc[x] + dys), sy = cy1 + (dyc - dxs[x]);
            if (sx > 0 && float(sx) < maxX && sy > 0 && float(sy) < maxY)
                line[x] = reinterpret_cast<const QRgb*>(
                    source.constScanLine(toPixel(float(sy))))[toPixel(float(sx))];
        }
    }
    if (columns > 0 && rows > 0)
        picture2.pixelsChanged(QRect(0, 0, columns, rows));
    if (xEnd == Last16 || yEnd == Last16)
        throw RuntimeError(ErrorNumber::Overflow);
}

} // namespace qv::card
