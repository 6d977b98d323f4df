#include "TestSupport.h"

#include "runtime/AnsiCodePage.h"
#include "runtime/App.h"
#include "runtime/Conversions.h"
#include "runtime/PictureBox.h"
#include "runtime/RuntimeError.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <clocale>
#include <functional>
#include <limits>

using namespace qv;
using Step = std::function<void()>;
Q_DECLARE_METATYPE(Step)

namespace {
// The ink left in a 64 x 64 box by a 10 x 10 picture whose two left columns are dark, painted
// from source to target.
QRect painted(const QRectF& target, const QRectF& source) {
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
    return test::inkBounds(box.retainedImage(), {}, 128);
}
} // namespace

// The engine the program is written against: picture boxes, conversions, errors, code page.
class TestPictureBox : public QObject {
    Q_OBJECT
private slots:
    // The engine's error number each step raises (0: none), never a crash or a wrong value.
    void raisesError_data() {
        QTest::addColumn<Step>("step");
        QTest::addColumn<int>("number");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("int16 top, halves to even")
            << Step([] { QVERIFY(toInt16(32767.4) == 32767 && toInt16(-2.5) == -2); }) << 0;
        QTest::newRow("int16 past top") << Step([] { toInt16(32767.5); }) << 6;
        QTest::newRow("int32 infinity") << Step([=] { toInt32(inf); }) << 6;
        QTest::newRow("narrowed past top") << Step([] { narrowToInt16(32768); }) << 6;
        QTest::newRow("single overflow") << Step([] { toSingle(1e39); }) << 6;
        QTest::newRow("3 / 0") << Step([] { divide(3, 0); }) << 11;
        QTest::newRow("0 / 0") << Step([] { divide(0, 0); }) << 6;
        QTest::newRow("negative width") << Step([] { PictureBox().setWidth(-15); }) << 380;
        QTest::newRow("user scale") << Step([] { PictureBox().setScaleMode(0); }) << 380;
        QTest::newRow("font size 0") << Step([] { PictureBox().setFontSize(0); }) << 380;
        QTest::newRow("empty picture")
            << Step([] { PictureBox().PaintPicture(Picture(), 0, 0); }) << 481;
        QTest::newRow("picture stretched x3, mirrored, cut and clipped") << Step([] {
            QCOMPARE(painted({0, 0, 30, 10}, {0, 0, 10, 10}), QRect(0, 0, 6, 10));
            QCOMPARE(painted({10, 0, -10, 10}, {0, 0, 10, 10}), QRect(8, 0, 2, 10));
            QCOMPARE(painted({0, 0, 40, 40}, {0, 0, 20, 20}), QRect(0, 0, 4, 20));
            QCOMPARE(painted({0, 0, 1e9, 1e9}, {0, 0, 10, 10}), QRect(0, 0, 64, 64));
        }) << 0;
    }
    void raisesError() {
        QFETCH(Step, step);
        QFETCH(int, number);
        int raised = 0;
        try {
            step();
        } catch (const RuntimeError& error) {
            raised = error.number();
        }
        QCOMPARE(raised, number);
    }

    // Halves go to the even pixel; outside the box nothing changes and nothing breaks; Cls
    // clears the drawing. A click is a press and a release over the box; a drag that ends
    // outside is none.
    void pixelsAndClicks() {
        PictureBox box;
        box.resize(10, 10);
        box.setBackColor(0xFFFFFF);
        box.setScaleMode(PictureBox::Pixels);
        box.PSet(3, 2, 0x0000FF);
        QCOMPARE(box.Point(2.6f, 2.4f), 0x0000FF);
        QCOMPARE(box.Point(2.5f, 2), 0xFFFFFF);
        QCOMPARE(box.Point(10, 0), -1);
        box.PSet(10, 0, 0);
        QCOMPARE(test::inkBounds(box.retainedImage()), QRect(3, 2, 1, 1));
        box.Cls();
        QCOMPARE(test::inkBounds(box.retainedImage()), QRect());
        int clicks = 0;
        connect(&box, &PictureBox::Click, [&clicks] { ++clicks; });
        QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(50, 5));
        QTest::mouseClick(&box, Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(clicks, 1);
    }

    // The ANSI code page is the locale's codeset; a locale named GB2312 holds GBK, which has
    // 堃 too.
    void ansiCodePage() {
        QTemporaryDir dir;
        if (QProcess::execute("localedef", {"-i", "zh_CN", "-f", "GB2312", dir.filePath("zh")}) !=
            0)
            QSKIP("localedef cannot make a Chinese locale here (locales package)");
        qputenv("LOCPATH", dir.path().toLocal8Bit());
        const QByteArray before = std::setlocale(LC_CTYPE, nullptr), bytes("\xD5\xC5\x88\xD2");
        QVERIFY(std::setlocale(LC_CTYPE, "zh"));
        const QByteArray ansi = toAnsi("张堃");
        const QString back = fromAnsi(bytes);
        std::setlocale(LC_CTYPE, before.constData());
        QCOMPARE(ansi, bytes);
        QCOMPARE(back, "张堃");
    }

    // The program asked to end before its event loop runs (an error while the main window is
    // built) ends as soon as the loop starts, with the code it was given.
    void endBeforeTheLoop() {
        QTimer::singleShot(10000, [] { QCoreApplication::exit(-1); });
        App::End(3);
        QCOMPARE(QCoreApplication::exec(), 3);
    }
};

QTEST_MAIN(TestPictureBox)
#include "test_picturebox.moc"
