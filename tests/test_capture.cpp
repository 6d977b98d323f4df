#include "SystemTestSupport.h"

#include "print/Module1.h"
#include "system/QtGdi.h"

#include <QTest>
#include <QWidget>

#include <memory>

using namespace qv;

class TestCapture : public QObject {
    Q_OBJECT
private slots:
    // The bitmap is always width x height, whatever the window's size; the client area's pixels
    // land at the rectangle's origin. Nothing stays open but the picture's bitmap, freed with the
    // picture, safely even after the capture's QtGdi is gone.
    void captureIsNotClippedAndLeavesNothingOpen() {
        QWidget window;
        window.resize(50, 40);
        window.setStyleSheet("background: red");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto gdi = std::make_unique<QtGdi>();
        const auto capture = [&] {
            return Module1::CaptureWindowArea(*gdi, Gdi::Handle(window.winId()), 1, 30, 20, 100,
                                              80);
        };
        Picture picture = capture();
        QCOMPARE(picture.image().size(), QSize(100, 80));
        QCOMPARE(QColor(picture.image().pixel(0, 0)), QColor(Qt::red));
        QCOMPARE(QColor(picture.image().pixel(50, 50)), QColor(Qt::black)); // beyond the window
        QVERIFY(Module1::CaptureWindowArea(*gdi, 0xDEAD, 1, 0, 0, 10, 10).isNull());
        QCOMPARE(gdi->liveObjects(), 1u);
        picture.release();
        QCOMPARE(gdi->liveObjects(), 0u);
        picture = capture();
        gdi.reset();
        picture.release(); // must not touch freed memory (the sanitizer run)
    }
};

QTEST_MAIN(TestCapture)
#include "test_capture.moc"
