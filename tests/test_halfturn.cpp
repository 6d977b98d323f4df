#include "TestSupport.h"

#include "card/HalfTurn.h"
#include "runtime/PictureBox.h"
#include "runtime/ReversedCopy.h"
#include "runtime/RuntimeError.h"

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

struct Faces {
    PictureBox picture1, picture2;
    Faces(QSize face, QSize turned, quint32 seed = 1) {
        picture1.resize(face);
        picture2.resize(turned);
        // Noise, so that every source pixel is told apart from its neighbours.
        QRandomGenerator random(seed);
        QImage& image = picture1.retainedImageForWriting();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, 0xFF000000 | random.generate());
        picture2.retainedImageForWriting().fill(Untouched);
    }
    const QImage& face() const { return picture1.retainedImage(); }
    const QImage& turned() const { return picture2.retainedImage(); }
};
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
            Faces faces(face, turned, seed);
            const QImage expected = referenceTurn(faces.face(), faces.turned().copy());
            card::rotateHalfTurn(faces.picture1, faces.picture2);
            QCOMPARE(test::differingPixels(faces.turned(), expected), 0);
            QCOMPARE(faces.picture1.ScaleMode(), std::int16_t(PictureBox::Pixels));
            QCOMPARE(faces.picture2.ScaleMode(), std::int16_t(PictureBox::Pixels));
        }
    }

    // Each processor-specific row copy, including those the turn does not pick on this
    // machine, against the plain definition; lengths around the vector widths.
    void everyReversedCopyVariant() {
        std::vector<std::uint32_t> row(700);
        for (std::size_t i = 0; i < row.size(); ++i)
            row[i] = std::uint32_t(i * 2654435761u);
        for (const ReversedCopyVariant& variant : reversedCopyVariants()) {
            for (int count : {0, 1, 3, 4, 7, 8, 9, 16, 17, 641}) {
                std::vector<std::uint32_t> to(std::size_t(count) + 1, Untouched);
                variant.copy(to.data(), row.data() + 680, count);
                for (int i = 0; i < count; ++i)
                    QVERIFY2(to[i] == row[680 - i], variant.name);
                QVERIFY2(to[count] == Untouched, variant.name);
            }
        }
    }

    // A face of 32767 pixels runs the 16-bit loop counter past its end: the overflow error,
    // with the pixels painted before it kept.
    void overflowKeepsWhatWasPainted_data() {
        QTest::addColumn<QSize>("turned");
        QTest::addColumn<bool>("secondColumnPainted");
        QTest::newRow("32767 wide") << QSize(32767, 20) << true;
        QTest::newRow("32767 high") << QSize(20, 32767) << false;
    }
    void overflowKeepsWhatWasPainted() {
        QFETCH(QSize, turned);
        QFETCH(bool, secondColumnPainted);
        Faces faces(QSize(641, 248), QSize(1, 1));
        faces.picture2.setWidth(turned.width() * 15.0f);
        faces.picture2.setHeight(turned.height() * 15.0f);
        faces.picture2.retainedImageForWriting().fill(0xFFFFFFFF);
        faces.picture1.retainedImageForWriting().fill(0xFF000000);
        try {
            card::rotateHalfTurn(faces.picture1, faces.picture2);
            QFAIL("no overflow");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), ErrorNumber::Overflow);
        }
        // Near the centre every pixel maps into the face; column 0 is painted first.
        const int midY = turned.height() / 2, midX = turned.width() / 2;
        const int firstX = secondColumnPainted ? midX - 1 : 0;
        QCOMPARE(faces.turned().pixel(firstX, midY) & 0xFFFFFF, 0u);
        QCOMPARE((faces.turned().pixel(midX + 1, midY) & 0xFFFFFF) == 0, secondColumnPainted);
    }
};

QTEST_MAIN(TestHalfTurn)
#include "test_halfturn.moc"
