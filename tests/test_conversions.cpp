#include "TestSupport.h"

#include "platform/Conversions.h"
#include "platform/RuntimeError.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace qv;

class TestConversions : public QObject {
    Q_OBJECT
private slots:
    void int16Rounding_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("half down to even") << 2.5 << 2;
        QTest::newRow("half up to even") << 3.5 << 4;
        QTest::newRow("negative half") << -2.5 << -2;
        QTest::newRow("just below half") << 2.4999 << 2;
        QTest::newRow("top edge") << 32767.4 << 32767;
        QTest::newRow("bottom edge") << -32768.5 << -32768;
    }
    void int16Rounding() {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(int(toInt16(value)), expected);
    }

    void overflows_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("sixteenBit");
        QTest::newRow("int16 past top") << 32767.5 << true;
        QTest::newRow("int16 past bottom") << -32768.6 << true;
        QTest::newRow("int16 NaN") << std::nan("") << true;
        QTest::newRow("int32 past top") << 2147483647.5 << false;
        QTest::newRow("int32 infinity") << std::numeric_limits<double>::infinity() << false;
    }
    void overflows() {
        QFETCH(double, value);
        QFETCH(bool, sixteenBit);
        try {
            sixteenBit ? void(toInt16(value)) : void(toInt32(value));
            QFAIL("no error raised");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), ErrorNumber::Overflow);
        }
    }

    void arithmeticErrors() {
        QVERIFY_THROWS_EXCEPTION(RuntimeError, divide(3, 0));
        try {
            divide(3, 0);
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), ErrorNumber::DivisionByZero);
        }
        try {
            divide(0, 0); // invalid operation
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), ErrorNumber::Overflow);
        }
        QVERIFY_THROWS_EXCEPTION(RuntimeError, toSingle(1e39));
        QCOMPARE(double(toSingle(3.0 / 5)), 0.6000000238418579);
        QCOMPARE(narrowToInt16(-32768), std::int16_t(-32768));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, narrowToInt16(32768));
        QCOMPARE(half(641), 320);
        QCOMPARE(half(-3), -1);
    }

    void pixelRuleNeverFails() {
        QCOMPARE(toPixel(0.5), 0);
        QCOMPARE(toPixel(1.5), 2);
        QCOMPARE(toPixel(std::nan("")), 0);
        QVERIFY(toPixel(1e300) > 0);
        QVERIFY(toPixel(-1e300) < 0);
    }
};

QTEST_GUILESS_MAIN(TestConversions)
#include "test_conversions.moc"
