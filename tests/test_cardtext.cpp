#include "TestSupport.h"

#include "Form2.h"
#include "runtime/PictureBox.h"
#include "runtime/Screen.h"

#include <QFontDatabase>
#include <QRawFont>
#include <QTest>

using namespace qv;

class TestCardText : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::setUpProgramEnvironment(); }

    // The scratch width and the stretch by the number of characters a reader sees, and where
    // the ink lands in the face; the longest text the input box takes is cut at the surface's
    // bound, without runaway memory. A character no installed face has is told at 输入, by
    // name, and the rest of the name is drawn.
    void stretchByLength_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("characters");
        QTest::addColumn<double>("factor");
        QTest::addColumn<QString>("told"); // a character named in a message; empty: none
        const QString none, dragon(32767, QChar(0x9F8D));
        // clang-format off
        QTest::newRow("one character") << "王" << "王" << 1 << 3.0 << none;
        QTest::newRow("two characters, padded") << "张三" << " 张三" << 3 << 1.0 << none;
        QTest::newRow("beyond U+FFFF counts once")
            << QString::fromUcs4(U"𠀋") << QString::fromUcs4(U"𠀋") << 1 << 3.0 << none;
        QTest::newRow("two beyond U+FFFF, padded")
            << QString::fromUcs4(U"𠮷𠀋") << QString::fromUcs4(U" 𠮷𠀋") << 3 << 1.0 << none;
        QTest::newRow("letter and accent count once")
            << QStringLiteral("Jose\u0301") << QStringLiteral("Jose\u0301") << 4 << 0.75 << none;
        QTest::newRow("four characters") << "司马相如" << "司马相如" << 4 << 0.75 << none;
        QTest::newRow("ten characters") << QString(10, QChar(0x56FD)) << QString(10, QChar(0x56FD))
            << 10 << 0.30000001192092896 << none;
        QTest::newRow("input box maximum") << dragon << dragon << 32767 << double(3.0f / 32767) << none;
        QTest::newRow("a hieroglyph no face has") << QString::fromUcs4(U"王\U00013000")
            << QString::fromUcs4(U" 王\U00013000") << 3 << 1.0 << QStringLiteral("“\U00013000”（U+13000）");
        // clang-format on
    }
    void stretchByLength() {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QFETCH(int, characters);
        QFETCH(double, factor);
        QFETCH(QString, told);
        if (!told.isEmpty())
            for (const QString& family : QFontDatabase::families())
                if (QRawFont::fromFont(QFont(family)).supportsCharacter(text.toUcs4().constLast()))
                    QSKIP("an installed face has the character meant to be in none");
        test::MainWindow<Form2> w;
        w.command("输入", text);
        const Form2& form = *w.form;
        QCOMPARE(form.CardText, stored);
        QCOMPARE(double(form.ScaleFactor[0]), factor);
        QCOMPARE(w.e.dialogs.messages().size(), int(!told.isEmpty()));
        if (!told.isEmpty())
            QVERIFY2(w.e.dialogs.messages()[0].contains(told),
                     qPrintable(w.e.dialogs.messages()[0]));
        QVERIFY(!form.Picture3->isVisible());
        // 3205 twips per character on the scratch surface.
        QCOMPARE(form.Picture3->width(),
                 std::min(Screen::pixelsX(9615.0 * characters / 3), PictureBox::MaxPixels));
        const QImage& face = form.Picture1->retainedImage();
        const QRect drawn = test::inkBounds(form.Picture3->retainedImage()),
                    shown = test::inkBounds(face);
        QVERIFY(drawn.isValid() && shown.isValid());
        // A leading blank keeps the first cell empty.
        QVERIFY2(!stored.startsWith(QLatin1Char(' ')) ||
                     drawn.left() > form.Picture3->width() / characters / 5,
                 qPrintable(QString::number(drawn.left())));
        // Across scaled by the factor, down unscaled from the top-left corner.
        QVERIFY(qAbs(shown.left() - drawn.left() * factor) <= 2);
        const double right = std::min((drawn.right() + 1) * factor, double(face.width()));
        QVERIFY(qAbs(shown.right() + 1 - right) <= 2);
        QVERIFY(qAbs(shown.bottom() - drawn.bottom()) <= 1);
    }
};

QTEST_MAIN(TestCardText)
#include "test_cardtext.moc"
