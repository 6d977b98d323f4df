#include "TestSupport.h"

#include "print/Module1.h"

#include <QTest>
#include <QWidget>

#include <memory>

using namespace qv;
using Handle = Gdi::Handle;

namespace {
struct RedWindow : QWidget {
    RedWindow() {
        resize(50, 40);
        setStyleSheet("background: red");
        show();
    }
    Handle handle() { return Handle(winId()); }
};
} // namespace

class TestCapture : public QObject {
    Q_OBJECT
private slots:
    // The bitmap is always width x height, whatever the window's size; the client area's
    // pixels land at the rectangle's origin.
    void captureIsNotClipped() {
        RedWindow window;
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QtGdi gdi;
        const Picture picture = Module1::CaptureWindowArea(gdi, window.handle(), 1, 30, 20, 100, 80);
        QCOMPARE(picture.image().size(), QSize(100, 80));
        QCOMPARE(QColor(picture.image().pixel(0, 0)), QColor(Qt::red));
        QCOMPARE(QColor(picture.image().pixel(50, 50)), QColor(Qt::black)); // beyond the window
        QVERIFY(Module1::CaptureWindowArea(gdi, 0xDEAD, 1, 0, 0, 10, 10).isNull());
    }

    // The picture owns its bitmap: freed when its last reference goes, safely even after the
    // capture's QtGdi is gone, and never another object named as its palette.
    void pictureReleasesOnlyItsBitmap() {
        RedWindow window;
        auto gdi = std::make_unique<QtGdi>();
        const Handle dc = gdi->GetDC(window.handle());
        const Handle memory = gdi->CreateCompatibleDC(dc);
        const Handle bitmap = gdi->CreateCompatibleBitmap(dc, 4, 4);
        QVERIFY(Module1::MakePictureFromBitmap(*gdi, bitmap, memory).isNull());
        QVERIFY(gdi->DeleteDC(memory)); // the context named as palette is still there
        const Handle second = gdi->CreateCompatibleBitmap(dc, 4, 4);
        Picture picture = Module1::MakePictureFromBitmap(*gdi, second, 0);
        QVERIFY(gdi->SelectObject(gdi->CreateCompatibleDC(dc), second));
        picture.release();
        QCOMPARE(gdi->SelectObject(gdi->CreateCompatibleDC(dc), second), Handle(0));
        picture = Module1::MakePictureFromBitmap(*gdi, gdi->CreateCompatibleBitmap(dc, 4, 4), 0);
        gdi.reset();
        picture.release(); // after its QtGdi: must not touch freed memory (the sanitizer run)
    }
};

QTEST_MAIN(TestCapture)
#include "test_capture.moc"
