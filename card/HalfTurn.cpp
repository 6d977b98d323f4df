#include "HalfTurn.h"

#include "ReversedCopy.h"

#include "runtime/Conversions.h"
#include "runtime/PictureBox.h"
#include "runtime/RuntimeError.h"

#include <QImage>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace qv::card {

namespace {
// The surface's pixel rule (nearest, halves to even, as toPixel) on a position known to lie
// inside the face.
inline int pixelOf(float position) {
    return int(std::nearbyint(position));
}

// One row of the turned face. The mapped point of pixel x is
//   sx = cx1 + (dx·c + dy·s),  sy = cy1 + (dy·c − dx·s),
// evaluated exactly as written wherever a pixel's outcome is not already proven.
//
// With the angle 3.14, sx falls by 0.9999987 per pixel and sy rises by 0.0016, far more than
// the rounding noise of the sums (below 1e-10), so along a row: sx, and sx + x, are strictly
// monotone, sy too, and each of the four bound tests flips at most once. Hence if at both ends
// of a stretch the four tests agree and the source row is the same, every pixel between has
// the same outcome; and if sx + x stays clear of a half-integer by more than half a float ulp,
// round(single(sx)) + x is one constant K. Such a stretch is a reversed copy of a source row.
// Stretches that fail the test are halved until they are proven or a pixel or two wide.
class RowTurner {
public:
    RowTurner(const double* dxc, const double* dxs, std::int32_t cx1, std::int32_t cy1, float maxX,
              float maxY, const QImage& source)
        : m_dxc(dxc), m_dxs(dxs), m_cx1(cx1), m_cy1(cy1), m_maxX(maxX), m_maxY(maxY),
          m_source(source.constBits()), m_stride(source.bytesPerLine()) {}

    // Paints row y of the target from 0 to last inclusive. hints: where the previous row
    // had to be worked pixel by pixel; rows differ little, so they are good places to cut.
    void paint(double dy, double s, double c, QRgb* line, int last, std::vector<int>& hints) {
        m_dys = dy * s;
        m_dyc = dy * c;
        m_line = line;
        m_cuts.clear();
        std::vector<int>& points = m_points;
        points.assign(1, 0);
        for (int hint : hints)
            for (int p : {hint, hint + 1})
                if (p > points.back() && p < last)
                    points.push_back(p);
        points.push_back(last);
        State from = at(points[0]);
        if (points.size() == 1)
            pixel(points[0], from);
        for (std::size_t i = 1; i < points.size(); ++i) {
            const State to = at(points[i]);
            stretch(points[i - 1], points[i], from, to);
            from = to;
        }
        hints.swap(m_cuts);
    }

private:
    struct State {
        double sx, sy;
        float fx, fy;
        unsigned tests; // bit per bound test
    };

    State at(int x) const {
        State st;
        st.sx = m_cx1 + (m_dxc[x] + m_dys);
        st.sy = m_cy1 + (m_dyc - m_dxs[x]);
        st.fx = float(st.sx);
        st.fy = float(st.sy);
        st.tests = unsigned(st.sx > 0) | unsigned(st.fx < m_maxX) << 1 | unsigned(st.sy > 0) << 2 |
                   unsigned(st.fy < m_maxY) << 3;
        return st;
    }

    void pixel(int x, const State& st) {
        if (st.tests == 0xF)
            m_line[x] = row(pixelOf(st.fy))[pixelOf(st.fx)];
    }

    const QRgb* row(int y) const {
        return reinterpret_cast<const QRgb*>(m_source + qsizetype(y) * m_stride);
    }

    static bool clearOfHalves(double low, double high, double magnitude) {
        const double margin = (magnitude + 1.0) * 0x1p-23 + 1e-9;
        return std::floor(high + margin + 0.5) < std::ceil(low - margin + 0.5);
    }

    void stretch(int a, int b, const State& from, const State& to) {
        if (from.tests == to.tests) {
            if (from.tests != 0xF)
                return; // no pixel of the stretch has its source inside the face
            const int sourceRow = pixelOf(from.fy);
            const double ga = from.sx + a, gb = to.sx + b;
            if (sourceRow == pixelOf(to.fy) &&
                clearOfHalves(ga, gb, std::max(std::fabs(from.sx), std::fabs(to.sx)))) {
                copyReversed(m_line + a, row(sourceRow) + pixelOf(from.fx), b - a + 1);
                return;
            }
        }
        if (b - a <= 1) {
            pixel(a, from);
            pixel(b, to);
            m_cuts.push_back(a);
            return;
        }
        const int m = a + (b - a) / 2;
        const State mid = at(m);
        stretch(a, m, from, mid);
        stretch(m, b, mid, to);
    }

    const double* m_dxc;
    const double* m_dxs;
    const std::int32_t m_cx1, m_cy1;
    const float m_maxX, m_maxY;
    const uchar* m_source;
    const qsizetype m_stride;
    double m_dys = 0, m_dyc = 0;
    QRgb* m_line = nullptr;
    std::vector<int> m_cuts;
    std::vector<int> m_points;
};
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
    // The iterations at x = xEnd or y = yEnd fall outside the face and change nothing.
    constexpr int Last16 = std::numeric_limits<std::int16_t>::max();
    const int lastColumn = yEnd == Last16 ? 0 : xEnd;
    const bool overflows = yEnd == Last16 || xEnd == Last16;

    const QImage& source = picture1.retainedImage();
    QImage& target = picture2.retainedImageForWriting();
    const int columns = std::min(lastColumn + 1, target.width());
    const int rows = std::min(int(yEnd) + 1, target.height());

    if (columns > 0 && rows > 0) {
        // What depends on x alone, computed once; the sums keep the formula's operands and
        // order, so every value is bit for bit the direct formula's.
        std::vector<double> dxc(columns), dxs(columns);
        for (int x = 0; x < columns; ++x) {
            const double dx = narrowToInt16(std::int64_t(x) - cx2);
            dxc[x] = dx * c;
            dxs[x] = dx * s;
        }
        RowTurner turner(dxc.data(), dxs.data(), cx1, cy1, maxX, maxY, source);
        std::vector<int> hints;
        for (int y = 0; y < rows; ++y) {
            const double dy = narrowToInt16(std::int64_t(y) - cy2);
            turner.paint(dy, s, c, reinterpret_cast<QRgb*>(target.scanLine(y)), columns - 1, hints);
        }
        picture2.pixelsChanged(QRect(0, 0, columns, rows));
    }
    if (overflows)
        throw RuntimeError(ErrorNumber::Overflow);
}

} // namespace qv::card
