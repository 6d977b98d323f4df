#include "TestSupport.h"

#include "platform/PictureBox.h"
#include "platform/RuntimeError.h"
#include "platform/Screen.h"

#include <QTest>

using namespace qv;

namespace {
QImage solid(int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}
} // namespace

class TestPictureBox : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        test::setUpProgramEnvironment();
        QCOMPARE(Screen::TwipsPerPixelX(), 15.0f);
    }

    void widthIsWholePixelsAndBounded_data() {
        QTest::addColumn<float>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("one character") << 3205.0f << 214;
        QTest::newRow("three characters") << 9615.0f << 641;
        QTest::newRow("ten characters") << 32050.0f << 2137;
        QTest::newRow("at the bound") << 32767.0f * 15 << PictureBox::MaxPixels;
        QTest::newRow("far beyond the bound") << 1e12f << PictureBox::MaxPixels;
        QTest::newRow("zero") << 0.0f << 0;
    }
    void widthIsWholePixelsAndBounded() {
        QFETCH(float, twips);
        QFETCH(int, pixels);
        PictureBox box;
        box.setHeight(3630);
        box.setWidth(twips);
        QCOMPARE(box.width(), pixels);
        QCOMPARE(box.Width(), float(pixels) * 15);
        QCOMPARE(box.retainedImage().width(), std::max(pixels, 1));
    }

    void invalidSizesRaise() {
        PictureBox box;
        try {
            box.setWidth(-15);
            QFAIL("negative width accepted");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), ErrorNumber::InvalidPropertyValue);
        }
        try {
            box.setScaleMode(0);
            QFAIL("user scale accepted");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), ErrorNumber::InvalidPropertyValue);
        }
    }

    void pointAndPSetInBothUnits() {
        PictureBox box;
        box.resize(10, 10);
        box.setBackColor(0xFFFFFF);
        box.PSet(45, 30, 0x0000FF); // twips: pixel (3, 2)
        QCOMPARE(box.retainedImage().pixel(3, 2) & 0xFFFFFF, 0xFF0000u);
        box.setScaleMode(PictureBox::Pixels);
        QCOMPARE(box.ScaleWidth(), 10.0f);
        QCOMPARE(box.Point(3, 2), 0x0000FF);
        QCOMPARE(box.Point(2.6f, 2.4f), 0x0000FF);
        QCOMPARE(box.Point(2.5f, 2), 0xFFFFFF); // halves go to the even pixel
        QCOMPARE(box.Point(3.5f, 2), 0xFFFFFF);
        QCOMPARE(box.Point(-1, 0), -1);
        QCOMPARE(box.Point(10, 0), -1);
        const QImage before = box.retainedImage().copy();
        box.PSet(10, 0, 0);
        box.PSet(0, -1, 0);
        QCOMPARE(test::differingPixels(before, box.retainedImage()), 0);
    }

    // The faces must still show their drawing after being hidden and shown, or the printed
    // sheet would come out blank.
    void drawingSurvivesRepaint() {
        QWidget window;
        window.resize(300, 200);
        auto* box = new PictureBox(&window);
        box->setGeometry(10, 10, 200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        box->setBackColor(0xFFFFFF);
        box->setFontSize(40);
        box->Print(QStringLiteral("王"));
        const QImage drawn = box->retainedImage().copy();
        QVERIFY(test::inkBounds(drawn).isValid());
        window.hide();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        box->repaint();
        QCOMPARE(test::differingPixels(box->grab().toImage(), drawn), 0);
    }

    void backgroundPicture() {
        PictureBox box;
        box.resize(20, 20);
        box.setBackColor(0xFFFFFF);
        box.setPicture(Picture(solid(5, 5, qRgb(0, 0, 0))));
        box.PSet(300, 300, 0x00FF00);
        box.Cls();
        QCOMPARE(test::inkBounds(box.retainedImage()), QRect(0, 0, 5, 5));
        box.setPicture(Picture());
        box.Cls();
        QVERIFY(test::inkBounds(box.retainedImage()).isNull());
    }

    void paintPictureStretchesAndClips_data() {
        QTest::addColumn<QRectF>("target"); // pixels
        QTest::addColumn<QRectF>("source"); // pixels
        QTest::addColumn<QRect>("ink");
        QTest::newRow("copy") << QRectF(0, 0, 10, 10) << QRectF(0, 0, 10, 10)
                              << QRect(0, 0, 10, 10);
        QTest::newRow("stretch x3")
            << QRectF(0, 0, 30, 10) << QRectF(0, 0, 10, 10) << QRect(0, 0, 30, 10);
        QTest::newRow("squeeze") << QRectF(5, 5, 5, 10) << QRectF(0, 0, 10, 10)
                                 << QRect(5, 5, 5, 10);
        // Source twice the picture: only the half that lies on the picture paints.
        QTest::newRow("source beyond picture")
            << QRectF(0, 0, 40, 40) << QRectF(0, 0, 20, 20) << QRect(0, 0, 20, 20);
        QTest::newRow("huge target clipped")
            << QRectF(0, 0, 1e9, 1e9) << QRectF(0, 0, 10, 10) << QRect(0, 0, 64, 64);
        QTest::newRow("mirrored") << QRectF(10, 0, -10, 10) << QRectF(0, 0, 10, 10)
                                  << QRect(0, 0, 10, 10);
    }
    void paintPictureStretchesAndClips() {
        QFETCH(QRectF, target);
        QFETCH(QRectF, source);
        QFETCH(QRect, ink);
        PictureBox box;
        box.resize(64, 64);
        box.setBackColor(0xFFFFFF);
        box.setScaleMode(PictureBox::Pixels);
        box.PaintPicture(Picture(solid(10, 10, qRgb(0, 0, 0))), target.x(), target.y(),
                         target.width(), target.height(), source.x(), source.y(), source.width(),
                         source.height());
        QCOMPARE(test::inkBounds(box.retainedImage()), ink);
    }

    void emptyPictureRaises() {
        PictureBox box;
        try {
            box.PaintPicture(Picture(), 0, 0);
            QFAIL("empty picture drawn");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), ErrorNumber::InvalidPicture);
        }
    }
};

QTEST_MAIN(TestPictureBox)
#include "test_picturebox.moc"
