#include "TestSupport.h"

#include "Form2.h"
#include "runtime/PictureBox.h"
#include "runtime/Screen.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPainterPath>
#include <QRawFont>
#include <QTest>

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

// Whether a face other than the one named has an outline for the character.
bool inkedElsewhere(const QString& character, const QString& besides) {
    for (const QString& family : QFontDatabase::families()) {
        const QRawFont face = QRawFont::fromFont(QFont(family));
        const QList<quint32> glyphs = face.glyphIndexesForString(character);
        if (face.familyName() != besides && glyphs.size() == 1 && glyphs[0] != 0 &&
            !face.pathForGlyph(glyphs[0]).isEmpty())
            return true;
    }
    return false;
}

// A Han character that the card font maps to an empty glyph and another face draws; empty
// when the installed fonts have none.
QString emptyInCardFont() {
    const QRawFont card = QRawFont::fromFont(QFont(QStringLiteral("隶书")));
    QString han;
    for (char16_t c = 0x3400; c < 0xA000; ++c)
        han += QChar(c);
    const QList<quint32> glyphs = card.glyphIndexesForString(han);
    for (qsizetype i = 0; i < glyphs.size(); ++i)
        if (glyphs[i] != 0 && card.pathForGlyph(glyphs[i]).isEmpty() &&
            inkedElsewhere(han.mid(i, 1), card.familyName()))
            return han.mid(i, 1);
    return {};
}
} // namespace

class TestCardText : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::setUpProgramEnvironment(); }

    // Without a real 隶书, the mapping must land on a CJK face, never a Latin fallback.
    void defaultFaceIsChinese() {
        const QString family = QFontInfo(QFont(QStringLiteral("隶书"))).family();
        QVERIFY2(family.contains(QLatin1String("UKai")) || family.contains(QLatin1String("UMing")) ||
                     family.contains(QLatin1String("WenQuanYi")),
                 qPrintable(family));
    }

    // The scratch width and the stretch by text length, and where the ink lands in the face.
    void stretchByLength_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<double>("factor");
        QTest::newRow("one character") << "王" << "王" << 3.0;
        QTest::newRow("two characters, padded") << "张三" << " 张三" << 1.0;
        QTest::newRow("beyond U+FFFF counts two") << QString::fromUcs4(U"𠀋")
                                                  << QString::fromUcs4(U" 𠀋") << 1.0;
        QTest::newRow("four characters") << "司马相如" << "司马相如" << 0.75;
        QTest::newRow("ten characters") << QString(10, QChar(0x56FD)) << QString(10, QChar(0x56FD))
                                        << 0.30000001192092896;
    }
    void stretchByLength() {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QFETCH(double, factor);
        Sheet sheet;
        sheet.draw(text);
        QCOMPARE(sheet.form.CardText, stored);
        QCOMPARE(double(sheet.form.ScaleFactor[0]), factor);
        QVERIFY(!sheet.form.Picture3->Visible());
        // 3205 twips per character on the scratch surface.
        QCOMPARE(sheet.form.Picture3->width(), Screen::pixelsX(9615.0 * stored.size() / 3));
        const QRect drawn = test::inkBounds(sheet.scratch());
        const QRect shown = test::inkBounds(sheet.face());
        QVERIFY(drawn.isValid() && shown.isValid());
        // Across scaled by the factor, down unscaled from the top-left corner.
        QVERIFY(qAbs(shown.left() - drawn.left() * factor) <= 2);
        const double right = std::min((drawn.right() + 1) * factor, double(sheet.face().width()));
        QVERIFY(qAbs(shown.right() + 1 - right) <= 2);
        QVERIFY(qAbs(shown.bottom() - drawn.bottom()) <= 1);
    }

    // Texts far past the surface's bound: no crash, no runaway memory, the drawing is cut.
    void veryLongText_data() {
        QTest::addColumn<int>("length");
        QTest::newRow("five thousand") << 5000;
        QTest::newRow("input box maximum") << 32767;
    }
    void veryLongText() {
        QFETCH(int, length);
        Sheet sheet;
        sheet.draw(QString(length, QChar(0x9F8D)));
        QCOMPARE(sheet.form.Picture3->width(), PictureBox::MaxPixels);
        const QRect shown = test::inkBounds(sheet.face());
        QVERIFY(shown.isValid() && shown.right() < 32767.0 * 3 / length + 2);
    }

    // A character the card font draws blank, or lacks, comes out in a face that has it: inked
    // right of the one before, on the same line, and not as the box of a code point that no
    // face has.
    void everyCharacterSomeFaceHasIsInked_data() {
        QTest::addColumn<QString>("character");
        QTest::newRow("empty glyph in the card font") << emptyInCardFont();
        QTest::newRow("beyond U+FFFF") << QString::fromUcs4(U"𠮷");
    }
    void everyCharacterSomeFaceHasIsInked() {
        QFETCH(QString, character);
        if (character.isEmpty() || !inkedElsewhere(character, {}))
            QSKIP("no installed face draws such a character");
        // Drawn after 王, padded to three cells when the character is one UTF-16 unit.
        Sheet sheet, missing;
        sheet.draw(QStringLiteral("王") + character);
        const char32_t unassigned = character.size() == 2 ? 0x2FFFD : 0x0378;
        missing.draw(QStringLiteral("王") + QString::fromUcs4(&unassigned, 1));
        const QImage& face = sheet.face();
        const int cell = sheet.form.Picture3->width() / 3, at = 3 - int(character.size());
        const QRect before = test::inkBounds(face, QRect((at - 1) * cell, 0, cell, face.height()));
        const QRect inked = test::inkBounds(face, QRect(at * cell, 0, face.width(), face.height()));
        QVERIFY(before.isValid() && inked.isValid());
        QVERIFY(qAbs(inked.bottom() - before.bottom()) < cell / 6); // on the same baseline
        QVERIFY(test::differingPixels(face, missing.face()) > cell * cell / 20);
    }

    void secondTextLeavesNoTrace() {
        Sheet once, twice;
        once.draw(QStringLiteral("李"));
        twice.draw(QStringLiteral("欧阳锋"));
        twice.draw(QStringLiteral("李"));
        QCOMPARE(test::differingPixels(once.face(), twice.face()), 0);
    }
};

QTEST_MAIN(TestCardText)
#include "test_cardtext.moc"
