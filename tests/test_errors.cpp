#include "TestSupport.h"

#include "about/SystemInformation.h"
#include "runtime/Conversions.h"
#include "runtime/PictureBox.h"
#include "runtime/RuntimeError.h"

#include <QTest>

#include <functional>
#include <limits>

using namespace qv;
using Step = std::function<void()>;
Q_DECLARE_METATYPE(Step)

class TestErrors : public QObject {
    Q_OBJECT
private slots:
    // Every step that must fail with the engine's error number, never a crash or a wrong value.
    void raisesError_data() {
        QTest::addColumn<Step>("step");
        QTest::addColumn<int>("number");
        const double inf = std::numeric_limits<double>::infinity();
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
        QTest::newRow("registry value of 0 bytes") << Step([] {
            MemoryRegistry registry;
            registry.setValue(about::ToolPathKey, "PATH", Registry::REG_SZ, {});
            QString value;
            about::GetKeyValue(registry, Registry::HKEY_LOCAL_MACHINE, about::ToolPathKey, "PATH",
                               value);
        }) << 5;
    }
    void raisesError() {
        QFETCH(Step, step);
        QFETCH(int, number);
        try {
            step();
            QFAIL("no error raised");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), number);
        }
    }
};

QTEST_MAIN(TestErrors)
#include "test_errors.moc"
