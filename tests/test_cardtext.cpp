#include "TestSupport.h"

#include "Form2.h"
#include "runtime/PictureBox.h"
#include "runtime/Screen.h"

#include <QFontDatabase>
#include <QRawFont>
#include <QTest>

#include <algorithm>

using namespace qv;

namespace {
// The card faces as the main window lays them out.
struct Sheet {
    test::TestEngine e;
    Form2 form{e.engine};
    void draw(const QString& text) {
        form.CardText = text;
        form.Command1_Click();
    }
    const QImage& face() const { return form.Picture1->retainedImage(); }
    const QImage& scratch() const { return form.Picture3->retainedImage(); }
};

QString describe(const QRect& ink) {
    return QStringLiteral("ink %1,%2 %3x%4")
        .arg(ink.x())
        .arg(ink.y())
        .arg(ink.width())
        .arg(ink.height());
}

bool someFaceHas(char32_t character) {
    const QStringList families = QFontDatabase::families();
    return std::any_of(families.cbegin(), families.cend(), [&](const QString& family) {
        return QRawFont::fromFont(QFont(family)).supportsCharacter(character);
    });
}
} // namespace

class TestCardText : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::setUpProgramEnvironment(); }

    // The scratch width and the stretch by the number of characters a reader sees, and where
    // the ink lands in the face; the longest text the input box takes is cut at the surface's
    // bound, without runaway memory.
    void stretchByLength_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("characters");
        QTest::addColumn<double>("factor");
        QTest::newRow("one character") << "王"
                                       << "王" << 1 << 3.0;
        QTest::newRow("two characters, padded") << "张三"
                                                << " 张三" << 3 << 1.0;
        QTest::newRow("beyond U+FFFF counts once")
            << QString::fromUcs4(U"𠀋") << QString::fromUcs4(U"𠀋") << 1 << 3.0;
        QTest::newRow("two beyond U+FFFF, padded")
            << QString::fromUcs4(U"𠮷𠀋") << QString::fromUcs4(U" 𠮷𠀋") << 3 << 1.0;
        QTest::newRow("letter and accent count once")
            << QStringLiteral("Jose\u0301") << QStringLiteral("Jose\u0301") << 4 << 0.75;
        QTest::newRow("four characters") << "司马相如"
                                         << "司马相如" << 4 << 0.75;
        QTest::newRow("ten characters") << QString(10, QChar(0x56FD)) << QString(10, QChar(0x56FD))
                                        << 10 << 0.30000001192092896;
        QTest::newRow("input box maximum")
            << QString(32767, QChar(0x9F8D)) << QString(32767, QChar(0x9F8D)) << 32767
            << double(3.0f / 32767);
    }
    void stretchByLength() {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QFETCH(int, characters);
        QFETCH(double, factor);
        Sheet sheet;
        sheet.draw(text);
        QCOMPARE(sheet.form.CardText, stored);
        QCOMPARE(double(sheet.form.ScaleFactor[0]), factor);
        QVERIFY(!sheet.form.Picture3->Visible());
        // 3205 twips per character on the scratch surface.
        QCOMPARE(sheet.form.Picture3->width(),
                 std::min(Screen::pixelsX(9615.0 * characters / 3), PictureBox::MaxPixels));
        const QRect drawn = test::inkBounds(sheet.scratch());
        const QRect shown = test::inkBounds(sheet.face());
        QVERIFY(drawn.isValid() && shown.isValid());
        // Across scaled by the factor, down unscaled from the top-left corner.
        QVERIFY(qAbs(shown.left() - drawn.left() * factor) <= 2);
        const double right = std::min((drawn.right() + 1) * factor, double(sheet.face().width()));
        QVERIFY(qAbs(shown.right() + 1 - right) <= 2);
        QVERIFY(qAbs(shown.bottom() - drawn.bottom()) <= 1);
    }

    // A name fills the face as the same name of ordinary characters does, at the same height,
    // when one of its characters lies beyond U+FFFF or carries a combining accent: it counts
    // what a reader sees, for the stretch as for the blank in front of a two-character name.
    // Drawn in a face that has both spellings, so only the count can tell them apart.
    void nameFillsTheFaceWhateverItsEncoding_data() {
        QTest::addColumn<QString>("font");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("alike");
        QTest::newRow("beyond U+FFFF")
            << "HanaMinA" << QString::fromUcs4(U"𠮷野家") << QStringLiteral("吉野家");
        QTest::newRow("two, one beyond U+FFFF")
            << "HanaMinA" << QString::fromUcs4(U"𠮷田") << QStringLiteral("吉田");
        QTest::newRow("combining accent")
            << "DejaVu Sans" << QStringLiteral("Jose\u0301") << QStringLiteral("Jos\u00E9");
    }
    void nameFillsTheFaceWhateverItsEncoding() {
        QFETCH(QString, font);
        QFETCH(QString, text);
        QFETCH(QString, alike);
        if (!QFontDatabase::hasFamily(font))
            QSKIP("the face that has both spellings is not installed");
        Sheet sheet, reference;
        sheet.form.CardFontName = reference.form.CardFontName = font;
        sheet.draw(text);
        reference.draw(alike);
        const QRect ink = test::inkBounds(sheet.face()),
                    expected = test::inkBounds(reference.face());
        QVERIFY2(qAbs(ink.left() - expected.left()) <= 2 &&
                     qAbs(ink.right() - expected.right()) <= 2 &&
                     qAbs(ink.top() - expected.top()) <= 2 &&
                     qAbs(ink.bottom() - expected.bottom()) <= 2,
                 qPrintable(describe(ink) + QStringLiteral(" against ") + describe(expected)));
    }

    // A character no installed face has is told at 输入, by name; the rest of the name is
    // drawn, with a box for it. A name every face can draw is told nothing.
    void undrawableCharacterTold_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("named"); // in the message; empty: no message
        QTest::newRow("every character drawn") << QStringLiteral("张三丰") << QString();
        QTest::newRow("a hieroglyph no face has")
            << QString::fromUcs4(U"王\U00013000") << QStringLiteral("“\U00013000”（U+13000）");
    }
    void undrawableCharacterTold() {
        QFETCH(QString, name);
        QFETCH(QString, named);
        if (!named.isEmpty() && someFaceHas(name.toUcs4().constLast()))
            QSKIP("an installed face has the character meant to be in none");
        test::MainWindow<Form2> w;
        w.command(QStringLiteral("输入"), name);
        const QStringList told = w.e.dialogs.messages();
        QCOMPARE(told.size(), int(!named.isEmpty()));
        if (!named.isEmpty())
            QVERIFY2(told.first().contains(named), qPrintable(told.first()));
        QVERIFY(test::inkBounds(w.form->Picture1->retainedImage()).isValid());
    }
};

QTEST_MAIN(TestCardText)
#include "test_cardtext.moc"
