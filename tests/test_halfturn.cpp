#include "TestSupport.h"

#include "card/HalfTurn.h"
#include "runtime/PictureBox.h"
#include "runtime/RuntimeError.h"

#include <QTest>

using namespace qv;

namespace {
// Every pixel of the face carries its own position, so a turned pixel tells where it came from.
QRgb coded(QPoint at) {
    return 0xFF000000 | QRgb(at.x()) << 12 | QRgb(at.y());
}
// No face here has a row 4095: a pixel still this colour was left as it was.
const QPoint Left(0, 4095), Painted(-1, -1);     // Painted: from any source
using Pixels = QList<std::pair<QPoint, QPoint>>; // a pixel of the turned face, and its source
} // namespace

class TestHalfTurn : public QObject {
    Q_OBJECT
private slots:
    // A source must lie strictly inside the face, before its last column and row compared as
    // floats. A 32767-pixel side overflows the 16-bit counters once the columns before it are
    // painted.
    void takesEachPixelFromItsSource_data() {
        QTest::addColumn<QSize>("face");
        QTest::addColumn<QSize>("turned");
        QTest::addColumn<Pixels>("pixels");
        QTest::addColumn<int>("left"); // pixels left as they were; -1: not counted
        QTest::addColumn<bool>("overflows");
        // clang-format off
        QTest::newRow("the card's faces") << QSize(641, 248) << QSize(641, 236) << Pixels{
            {{320, 118}, {320, 124}},  // the centre from the face's own centre
            {{1, 0}, {639, 241}},      // from (639.19, 241.49)
            {{0, 118}, {640, 123}},    // from x 639.9996, just inside the last column
            {{634, 39}, {6, 204}},     // from y 203.5 as a float, up to the even row
            {{634, 40}, {6, 202}},     // from y 202.5, down to the even row
            {{0, 0}, Left}}            // from x 640.19, past the last column
            << 235 << false;
        QTest::newRow("odd heights") << QSize(641, 247) << QSize(641, 237)
            << Pixels{{{320, 118}, {320, 123}}} << -1 << false;
        QTest::newRow("turned face larger") << QSize(200, 120) << QSize(301, 181)
            << Pixels{{{101, 31}, {149, 119}}, {{151, 31}, Left}} << -1 << false; // y 119.0015
        // A hair inside the last column or row, but on it as a float.
        QTest::newRow("x 2512.9999997") << QSize(2514, 130) << QSize(2514, 121)
            << Pixels{{{1, 59}, Left}} << -1 << false;
        QTest::newRow("y 2512.9999997") << QSize(641, 2514) << QSize(641, 2514)
            << Pixels{{{321, 1}, Left}} << -1 << false;
        QTest::newRow("32767 wide: every column") << QSize(40, 30) << QSize(32767, 3)
            << Pixels{{{16383, 1}, Painted}} << -1 << true;
        QTest::newRow("32767 high: column 0 only") << QSize(40, 30) << QSize(3, 32767)
            << Pixels{{{0, 16383}, Painted}, {{1, 16383}, Left}} << -1 << true;
        // clang-format on
    }
    void takesEachPixelFromItsSource() {
        QFETCH(QSize, face);
        QFETCH(QSize, turned);
        QFETCH(Pixels, pixels);
        QFETCH(int, left);
        QFETCH(bool, overflows);
        PictureBox picture1, picture2;
        picture1.resize(face);
        picture2.resize(turned);
        for (int y = 0; y < face.height(); ++y)
            for (int x = 0; x < face.width(); ++x)
                picture1.retainedImageForWriting().setPixel(x, y, coded({x, y}));
        picture2.retainedImageForWriting().fill(coded(Left));
        int raised = 0;
        try {
            card::rotateHalfTurn(picture1, picture2);
        } catch (const RuntimeError& error) {
            raised = error.number();
        }
        QCOMPARE(raised, overflows ? ErrorNumber::Overflow : 0);
        QVERIFY(picture1.ScaleMode() == PictureBox::Pixels &&
                picture2.ScaleMode() == PictureBox::Pixels);
        const QImage& image = picture2.retainedImage();
        for (const auto& [pixel, source] : pixels)
            if (source == Painted)
                QVERIFY(image.pixel(pixel) != coded(Left));
            else
                QCOMPARE(image.pixel(pixel), coded(source));
        if (left >= 0) {
            int unchanged = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    unchanged += image.pixel(x, y) == coded(Left);
            QCOMPARE(unchanged, left);
        }
    }
};

QTEST_MAIN(TestHalfTurn)
#include "test_halfturn.moc"
