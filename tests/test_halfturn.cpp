#include "TestSupport.h"

#include "card/HalfTurn.h"
#include "runtime/PictureBox.h"
#include "runtime/RuntimeError.h"

#include <QTest>

#include <optional>

using namespace qv;

namespace {
constexpr QRgb Untouched = 0xFFFFFFFF;

// Every pixel of the face carries its own position, so a turned pixel tells where it came from.
QRgb coded(int x, int y) {
    return 0xFF000000 | QRgb(x) << 12 | QRgb(y);
}

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
    // source: the face pixel that lands on pixel, or none when it is left as it was.
    void takesEachPixelFromItsSource_data() {
        QTest::addColumn<QSize>("face");
        QTest::addColumn<QSize>("turned");
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<std::optional<QPoint>>("source");
        const std::optional<QPoint> none;
        QTest::newRow("centre from the face's own centre")
            << CardFace << CardTurned << QPoint(320, 118) << std::optional(QPoint(320, 124));
        QTest::newRow("(1, 0) from (639.19, 241.49)")
            << CardFace << CardTurned << QPoint(1, 0) << std::optional(QPoint(639, 241));
        QTest::newRow("(0, 235) from (639.81, 6.49)")
            << CardFace << CardTurned << QPoint(0, 235) << std::optional(QPoint(640, 6));
        QTest::newRow("(640, 0) from (0.19, 242.51)")
            << CardFace << CardTurned << QPoint(640, 0) << std::optional(QPoint(0, 243));
        QTest::newRow("(634, 40) from (6.12, 202.5), half to even")
            << CardFace << CardTurned << QPoint(634, 40) << std::optional(QPoint(6, 202));
        QTest::newRow("(0, 0) from (640.19, 241.49), not before the last column")
            << CardFace << CardTurned << QPoint(0, 0) << none;
        QTest::newRow("(640, 235) from (-0.19, 7.51), left of the face")
            << CardFace << CardTurned << QPoint(640, 235) << none;
        QTest::newRow("odd heights: centre") << QSize(641, 247) << QSize(641, 237)
                                             << QPoint(320, 118) << std::optional(QPoint(320, 123));
        QTest::newRow("(1, 59) from 2321.0001, which as a float is the last column")
            << QSize(2322, 130) << QSize(2322, 121) << QPoint(1, 59) << none;
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
