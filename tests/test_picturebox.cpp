#include "TestSupport.h"

#include "runtime/PictureBox.h"

#include <QTest>

using namespace qv;

class TestPictureBox : public QObject {
    Q_OBJECT
private slots:
    void pointAndPSetInPixels() {
        PictureBox box;
        box.resize(10, 10);
        box.setBackColor(0xFFFFFF);
        box.setScaleMode(PictureBox::Pixels);
        box.PSet(3, 2, 0x0000FF);
        QCOMPARE(box.Point(2.6f, 2.4f), 0x0000FF);
        QCOMPARE(box.Point(2.5f, 2), 0xFFFFFF); // halves go to the even pixel
        QCOMPARE(box.Point(10, 0), -1);
        box.PSet(10, 0, 0); // outside: nothing changes, nothing breaks
        QCOMPARE(test::inkBounds(box.retainedImage()), QRect(3, 2, 1, 1));
        box.Cls();
        QCOMPARE(test::inkBounds(box.retainedImage()), QRect());
    }

    // A click is a press and a release over the box; a drag that ends outside is none.
    void clickIsPressAndReleaseOver() {
        PictureBox box;
        box.resize(20, 20);
        int clicks = 0;
        connect(&box, &PictureBox::Click, [&clicks] { ++clicks; });
        QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(50, 5));
        QCOMPARE(clicks, 0);
        QTest::mouseClick(&box, Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(clicks, 1);
    }

    // A picture whose left two columns are dark, so a missing flip or a wrong clip shows.
    void paintPictureStretchesClipsAndMirrors_data() {
        QTest::addColumn<QRectF>("target");
        QTest::addColumn<QRectF>("source");
        QTest::addColumn<QRect>("ink");
        QTest::newRow("stretch x3")
            << QRectF(0, 0, 30, 10) << QRectF(0, 0, 10, 10) << QRect(0, 0, 6, 10);
        QTest::newRow("mirrored") << QRectF(10, 0, -10, 10) << QRectF(0, 0, 10, 10)
                                  << QRect(8, 0, 2, 10);
        QTest::newRow("source beyond picture")
            << QRectF(0, 0, 40, 40) << QRectF(0, 0, 20, 20) << QRect(0, 0, 4, 20);
        QTest::newRow("huge target clipped")
            << QRectF(0, 0, 1e9, 1e9) << QRectF(0, 0, 10, 10) << QRect(0, 0, 64, 64);
    }
    void paintPictureStretchesClipsAndMirrors() {
        QFETCH(QRectF, target);
        QFETCH(QRectF, source);
        QFETCH(QRect, ink);
        QImage picture(10, 10, QImage::Format_RGB32);
        picture.fill(Qt::white);
        for (int y = 0; y < 10; ++y)
            picture.setPixel(0, y, 0), picture.setPixel(1, y, 0);
        PictureBox box;
        box.resize(64, 64);
        box.setBackColor(0xFFFFFF);
        box.setScaleMode(PictureBox::Pixels);
        box.PaintPicture(Picture(picture), target.x(), target.y(), target.width(), target.height(),
                         source.x(), source.y(), source.width(), source.height());
        QCOMPARE(test::inkBounds(box.retainedImage(), {}, 128), ink);
    }
};

QTEST_MAIN(TestPictureBox)
#include "test_picturebox.moc"
