#include "TestSupport.h"

#include "card/HalfTurn.h"
#include "runtime/PictureBox.h"
#include "runtime/RuntimeError.h"

#include <QTest>

#include <optional>

using namespace qv;

namespace {
// Every pixel of the face carries its own position, so a turned pixel tells where it came from.
QRgb coded(int x, int y) {
    return 0xFF000000 | QRgb(x) << 12 | QRgb(y);
}
// No face here has a row 4095.
const QRgb Untouched = coded(0, 4095);

struct Faces {
    PictureBox picture1, picture2;
    Faces(QSize face, QSize turned) {
        picture1.resize(face);
        picture2.resize(turned);
        QImage& image = picture1.retainedImageForWriting();
        for (int y = 0; y < face.height(); ++y)
            for (int x = 0; x < face.width(); ++x)
                image.setPixel(x, y, coded(x, y));
        picture2.retainedImageForWriting().fill(Untouched);
    }
    QRgb turned(QPoint pixel) const { return picture2.retainedImage().pixel(pixel); }
};

const QSize CardFace(641, 248), CardTurned(641, 236);
} // namespace

class TestHalfTurn : public QObject {
    Q_OBJECT
private slots:
    // source: the face pixel that lands on pixel, or none when it is left as it was. A source
    // must lie strictly before the face's last column and row, compared as floats.
    void takesEachPixelFromItsSource_data() {
        QTest::addColumn<QSize>("face");
        QTest::addColumn<QSize>("turned");
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<std::optional<QPoint>>("source");
        const std::optional<QPoint> none;
        const QSize larger(301, 181);
        QTest::newRow("centre from the face's own centre")
            << CardFace << CardTurned << QPoint(320, 118) << std::optional(QPoint(320, 124));
        QTest::newRow("(1, 0) from (639.19, 241.49)")
            << CardFace << CardTurned << QPoint(1, 0) << std::optional(QPoint(639, 241));
        QTest::newRow("(0, 118) from (639.9996, 123.49), just inside the last column")
            << CardFace << CardTurned << QPoint(0, 118) << std::optional(QPoint(640, 123));
        QTest::newRow("(634, 39) from 203.5 as a float, up to the even row")
            << CardFace << CardTurned << QPoint(634, 39) << std::optional(QPoint(6, 204));
        QTest::newRow("(634, 40) from 202.5, down to the even row")
            << CardFace << CardTurned << QPoint(634, 40) << std::optional(QPoint(6, 202));
        QTest::newRow("(0, 0) from (640.19, 241.49), past 640: left")
            << CardFace << CardTurned << QPoint(0, 0) << none;
        QTest::newRow("odd heights: centre") << QSize(641, 247) << QSize(641, 237)
                                             << QPoint(320, 118) << std::optional(QPoint(320, 123));
        QTest::newRow("larger turned: (101, 31) from (149.09, 118.92)")
            << QSize(200, 120) << larger << QPoint(101, 31) << std::optional(QPoint(149, 119));
        QTest::newRow("larger turned: (151, 31) from (99.09, 119.0015), past 119: left")
            << QSize(200, 120) << larger << QPoint(151, 31) << none;
        // A hair inside the last column or row, but on it as a float.
        QTest::newRow("(1, 59) from x 2512.9999997: left")
            << QSize(2514, 130) << QSize(2514, 121) << QPoint(1, 59) << none;
        QTest::newRow("(321, 1) from y 2512.9999997: left")
            << QSize(641, 2514) << QSize(641, 2514) << QPoint(321, 1) << none;
    }
    void takesEachPixelFromItsSource() {
        QFETCH(QSize, face);
        QFETCH(QSize, turned);
        QFETCH(QPoint, pixel);
        QFETCH(std::optional<QPoint>, source);
        Faces faces(face, turned);
        card::rotateHalfTurn(faces.picture1, faces.picture2);
        QCOMPARE(faces.turned(pixel), source ? coded(source->x(), source->y()) : Untouched);
        QVERIFY(faces.picture1.ScaleMode() == PictureBox::Pixels &&
                faces.picture2.ScaleMode() == PictureBox::Pixels);
    }

    void leavesTheRestOfTheCardAsItWas() {
        Faces faces(CardFace, CardTurned);
        card::rotateHalfTurn(faces.picture1, faces.picture2);
        const QImage& image = faces.picture2.retainedImage();
        int untouched = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                untouched += image.pixel(x, y) == Untouched;
        QCOMPARE(untouched, 235);
    }

    // A 32767-pixel side overflows the 16-bit counters: the columns before it stay painted.
    void overflowsAfterTheColumnsBefore_data() {
        QTest::addColumn<QSize>("turned");
        QTest::addColumn<QPoint>("painted");
        QTest::addColumn<std::optional<QPoint>>("unpainted");
        QTest::newRow("32767 wide: every column")
            << QSize(32767, 3) << QPoint(16383, 1) << std::optional<QPoint>();
        QTest::newRow("32767 high: column 0 only")
            << QSize(3, 32767) << QPoint(0, 16383) << std::optional(QPoint(1, 16383));
    }
    void overflowsAfterTheColumnsBefore() {
        QFETCH(QSize, turned);
        QFETCH(QPoint, painted);
        QFETCH(std::optional<QPoint>, unpainted);
        Faces faces(QSize(40, 30), turned);
        int raised = 0;
        try {
            card::rotateHalfTurn(faces.picture1, faces.picture2);
        } catch (const RuntimeError& error) {
            raised = error.number();
        }
        QCOMPARE(raised, ErrorNumber::Overflow);
        QVERIFY(faces.turned(painted) != Untouched);
        if (unpainted)
            QCOMPARE(faces.turned(*unpainted), Untouched);
    }
};

QTEST_MAIN(TestHalfTurn)
#include "test_halfturn.moc"
