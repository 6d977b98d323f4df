#include "TestSupport.h"

#include "print/Module1.h"

#include <QTest>

using namespace qv;
using Handle = Gdi::Handle;

namespace {
// Records every call with its arguments; hands out recognisable handles.
class RecordingGdi : public Gdi {
public:
    QStringList calls;
    std::int32_t rasterCaps = 0;
    std::int32_t paletteSize = 0;
    bool failPicture = false;
    QStringList released;
    LogPalette lastPalette;

    // Handles: contexts 10x, bitmap 200, palette 300; what the select-back calls return is
    // distinct (201, 301) so the test sees which handle is handed on.
    Handle GetDC(Handle w) override { return log(QString("GetDC(%1)").arg(w), 101); }
    Handle GetWindowDC(Handle w) override { return log(QString("GetWindowDC(%1)").arg(w), 102); }
    Handle CreateCompatibleDC(Handle dc) override {
        return log(QString("CreateCompatibleDC(%1)").arg(dc), 110);
    }
    Handle CreateCompatibleBitmap(Handle dc, std::int32_t w, std::int32_t h) override {
        return log(QString("CreateCompatibleBitmap(%1,%2,%3)").arg(dc).arg(w).arg(h), 200);
    }
    Handle SelectObject(Handle dc, Handle object) override {
        return log(QString("SelectObject(%1,%2)").arg(dc).arg(object), object == 200 ? 50 : 201);
    }
    std::int32_t GetDeviceCaps(Handle dc, std::int32_t index) override {
        log(QString("GetDeviceCaps(%1,%2)").arg(dc).arg(index), 0);
        return index == RASTERCAPS ? rasterCaps : paletteSize;
    }
    std::uint32_t GetSystemPaletteEntries(Handle dc, std::uint32_t start, std::uint32_t count,
                                          PaletteEntry* entries) override {
        for (std::uint32_t i = 0; i < count; ++i)
            entries[i] = {std::uint8_t(i), 0, 0, 0};
        return std::uint32_t(
            log(QString("GetSystemPaletteEntries(%1,%2,%3)").arg(dc).arg(start).arg(count), count));
    }
    Handle CreatePalette(const LogPalette& palette) override {
        lastPalette = palette;
        return log(QString("CreatePalette(%1,%2)")
                       .arg(palette.version, 0, 16)
                       .arg(palette.numberOfEntries),
                   300);
    }
    Handle SelectPalette(Handle dc, Handle palette, bool force) override {
        return log(QString("SelectPalette(%1,%2,%3)").arg(dc).arg(palette).arg(force),
                   palette == 300 ? 60 : 301);
    }
    std::uint32_t RealizePalette(Handle dc) override {
        return std::uint32_t(log(QString("RealizePalette(%1)").arg(dc), 0));
    }
    bool BitBlt(Handle t, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, Handle s,
                std::int32_t sx, std::int32_t sy, std::uint32_t rop) override {
        log(QString("BitBlt(%1,%2,%3,%4,%5,%6,%7,%8,%9)")
                .arg(t)
                .arg(x)
                .arg(y)
                .arg(w)
                .arg(h)
                .arg(s)
                .arg(sx)
                .arg(sy)
                .arg(rop, 0, 16),
            0);
        return true;
    }
    bool DeleteDC(Handle dc) override { return log(QString("DeleteDC(%1)").arg(dc), 1); }
    std::int32_t ReleaseDC(Handle w, Handle dc) override {
        return std::int32_t(log(QString("ReleaseDC(%1,%2)").arg(w).arg(dc), 1));
    }
    Picture OleCreatePictureIndirect(const PictDesc& d, const QUuid& iid, bool own) override {
        log(QString("OleCreatePictureIndirect(%1,%2,%3,%4,%5,%6,%7)")
                .arg(d.size)
                .arg(d.type)
                .arg(d.bitmap)
                .arg(d.palette)
                .arg(d.reserved)
                .arg(iid == InterfaceId::IDispatch ? "IDispatch" : iid.toString())
                .arg(own),
            0);
        if (failPicture)
            return {};
        return Picture(QImage(1, 1, QImage::Format_RGB32), {}, [this, d] {
            released.append(QString("bitmap %1 palette %2").arg(d.bitmap).arg(d.palette));
        });
    }

private:
    Handle log(const QString& call, Handle result) {
        calls.append(call);
        return result;
    }
};
} // namespace

class TestCapture : public QObject {
    Q_OBJECT
private slots:
    void callSequence_data() {
        QTest::addColumn<std::int32_t>("clientFlag");
        QTest::addColumn<std::int32_t>("rasterCaps");
        QTest::addColumn<std::int32_t>("paletteSize");
        QTest::addColumn<QStringList>("expected");
        const QString blit = "BitBlt(110,0,0,710,685,%1,3,4,cc0020)";
        const QStringList head = {"CreateCompatibleDC(%1)", "CreateCompatibleBitmap(%1,710,685)",
                                  "SelectObject(110,200)", "GetDeviceCaps(%1,38)",
                                  "GetDeviceCaps(%1,104)"};
        auto plain = [&](QString first, Handle dc) {
            QStringList calls{first};
            for (const QString& c : head)
                calls << c.arg(dc);
            calls << blit.arg(dc) << "SelectObject(110,50)"
                  << "DeleteDC(110)" << QString("ReleaseDC(7,%1)").arg(dc)
                  << "OleCreatePictureIndirect(20,1,201,0,0,IDispatch,1)";
            return calls;
        };
        QTest::newRow("client area") << 1 << 0 << 0 << plain("GetDC(7)", 101);
        QTest::newRow("client area, true is -1") << -1 << 0 << 0 << plain("GetDC(7)", 101);
        QTest::newRow("whole window") << 0 << 0 << 0 << plain("GetWindowDC(7)", 102);
        QTest::newRow("only high bits set is whole window")
            << 0x10000 << 0 << 0 << plain("GetWindowDC(7)", 102);
        QTest::newRow("palette device of 16") << 1 << 0x100 << 16 << plain("GetDC(7)", 101);
        QTest::newRow("256 entries but no palette caps")
            << 1 << 0x80 << 256 << plain("GetDC(7)", 101);

        QStringList palette{"GetDC(7)"};
        for (const QString& c : head)
            palette << c.arg(101);
        palette << "GetSystemPaletteEntries(101,0,256)"
                << "CreatePalette(300,256)"
                << "SelectPalette(110,300,0)"
                << "RealizePalette(110)" << blit.arg(101) << "SelectObject(110,50)"
                << "SelectPalette(110,60,0)"
                << "DeleteDC(110)"
                << "ReleaseDC(7,101)"
                << "OleCreatePictureIndirect(20,1,201,301,0,IDispatch,1)";
        QTest::newRow("256-colour palette device") << 1 << (0x100 | 0x1) << 256 << palette;
    }
    void callSequence() {
        QFETCH(std::int32_t, clientFlag);
        QFETCH(std::int32_t, rasterCaps);
        QFETCH(std::int32_t, paletteSize);
        QFETCH(QStringList, expected);
        RecordingGdi gdi;
        gdi.rasterCaps = rasterCaps;
        gdi.paletteSize = paletteSize;
        Picture picture = Module1::CaptureWindowArea(gdi, 7, clientFlag, 3, 4, 710, 685);
        QCOMPARE(gdi.calls, expected);
        QVERIFY(!picture.isNull());
        if (paletteSize == 256 && (rasterCaps & 0x100)) {
            QCOMPARE(gdi.lastPalette.entries[255].red, std::uint8_t(255));
        }
        // The picture owns what it was handed, and frees it once, when the last reference goes.
        QVERIFY(gdi.released.isEmpty());
        Picture copy = picture;
        picture.release();
        QVERIFY(gdi.released.isEmpty());
        copy.release();
        QCOMPARE(gdi.released.size(), 1);
        QCOMPARE(gdi.calls.count(QStringLiteral("DeleteDC(110)")), 1);
    }

    void failedPictureIsEmpty() {
        RecordingGdi gdi;
        gdi.failPicture = true;
        QVERIFY(Module1::CaptureWindowArea(gdi, 7, 1, 0, 0, 10, 10).isNull());
    }

    // The real capture: the bitmap is always width x height, whatever the window's size.
    void realCaptureIsNotClipped() {
        QWidget window;
        window.resize(50, 40);
        window.setStyleSheet("background: red");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QtGdi gdi;
        Picture picture =
            Module1::CaptureWindowArea(gdi, Handle(window.winId()), 1, 30, 20, 100, 80);
        QCOMPARE(picture.image().size(), QSize(100, 80));
        QCOMPARE(QColor(picture.image().pixel(0, 0)), QColor(Qt::red));
        QCOMPARE(QColor(picture.image().pixel(50, 50)), QColor(Qt::black)); // beyond the window
        picture.release();
        // A window that does not exist gives the empty picture and leaves nothing behind.
        QVERIFY(Module1::CaptureWindowArea(gdi, 0xDEAD, 1, 0, 0, 10, 10).isNull());
    }
};

QTEST_MAIN(TestCapture)
#include "test_capture.moc"
