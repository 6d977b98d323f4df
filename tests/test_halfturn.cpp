#include "TestSupport.h"

#include "card/HalfTurn.h"
#include "runtime/PictureBox.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>

using namespace qv;

namespace {
constexpr QRgb Untouched = 0xFF123456;

// The turn written straight from its formulas, pixel by pixel, on plain images.
QImage referenceTurn(const QImage& face, QImage turned) {
    const double theta = 565.2 / 180;
    const double c = std::cos(-theta), s = std::sin(-theta);
    const int halfW2 = turned.width() / 2, halfH2 = turned.height() / 2;
    const int halfW1 = face.width() / 2, halfH1 = face.height() / 2;
    const float maxX = float(face.width() - 1), maxY = float(face.height() - 1);
    for (int x = 0; x <= turned.width(); ++x) {
        for (int y = 0; y <= turned.height(); ++y) {
            const int dx = x - halfW2, dy = y - halfH2;
            const double u = dx * c + dy * s;
            const double v = dy * c - dx * s;
            const double sx = halfW1 + u, sy = halfH1 + v;
            if (sx > 0 && float(sx) < maxX && sy > 0 && float(sy) < maxY && x < turned.width() &&
                y < turned.height()) {
                const int px = int(std::nearbyint(float(sx))), py = int(std::nearbyint(float(sy)));
                turned.setPixel(x, y, face.pixel(px, py));
            }
        }
    }
    return turned;
}

} // namespace

class TestHalfTurn : public QObject {
    Q_OBJECT
private slots:
    void equalsTheFormulaEverywhere_data() {
        QTest::addColumn<QSize>("face");
        QTest::addColumn<QSize>("turned");
        QTest::newRow("card layout") << QSize(641, 248) << QSize(641, 236);
        QTest::newRow("odd heights") << QSize(641, 247) << QSize(641, 237);
        QTest::newRow("turned larger than face") << QSize(200, 120) << QSize(301, 181);
        QTest::newRow("tall and narrow") << QSize(31, 900) << QSize(40, 1001);
        QTest::newRow("wide") << QSize(3000, 60) << QSize(2999, 61);
        QTest::newRow("tiny") << QSize(2, 3) << QSize(3, 2);
    }
    void equalsTheFormulaEverywhere() {
        QFETCH(QSize, face);
        QFETCH(QSize, turned);
        for (quint32 seed : {1u, 2u}) {
            PictureBox picture1, picture2;
            picture1.resize(face);
            picture2.resize(turned);
            // Noise, so that every source pixel is told apart from its neighbours.
            QRandomGenerator random(seed);
            QImage& image = picture1.retainedImageForWriting();
            for (int y = 0; y < face.height(); ++y)
                for (int x = 0; x < face.width(); ++x)
                    image.setPixel(x, y, 0xFF000000 | random.generate());
            picture2.retainedImageForWriting().fill(Untouched);
            const QImage expected = referenceTurn(image, picture2.retainedImage());
            card::rotateHalfTurn(picture1, picture2);
            QCOMPARE(test::differingPixels(picture2.retainedImage(), expected), 0);
            QVERIFY(picture1.ScaleMode() == PictureBox::Pixels &&
                    picture2.ScaleMode() == PictureBox::Pixels);
        }
    }
};

QTEST_MAIN(TestHalfTurn)
#include "test_halfturn.moc"
