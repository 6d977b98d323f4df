#include "TestSupport.h"

#include "card/CardText.h"
#include "platform/PictureBox.h"
#include "platform/RuntimeError.h"

#include <QFontInfo>
#include <QTest>

using namespace qv;

namespace {
// The card faces of the main window's layout, in pixels.
struct Faces {
    QWidget window;
    PictureBox* picture1;
    PictureBox* picture3;
    QString text;
    QString font = QStringLiteral("隶书");
    float scale[2] = {0, 0};

    Faces() {
        window.resize(717, 698);
        picture3 = new PictureBox(&window);
        picture3->setGeometry(37, 38, 641, 242);
        picture1 = new PictureBox(&window);
        picture1->setGeometry(37, 409, 641, 248);
    }
    void draw(const QString& cardText) {
        text = cardText;
        card::drawCardText(*picture1, *picture3, text, font, scale);
    }
    const QImage& face() const { return picture1->retainedImage(); }
    const QImage& scratch() const { return picture3->retainedImage(); }
};

QString repeat(const QString& character, int count) {
    QString text;
    for (int i = 0; i < count; ++i)
        text += character;
    return text;
}
} // namespace

class TestCardText : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::setUpProgramEnvironment(); }

    void defaultFaceIsChinese() {
        // Without a real 隶书, the mapping must land on a CJK face, never a Latin fallback.
        const QString family = QFontInfo(QFont(QStringLiteral("隶书"))).family();
        QVERIFY2(
            family.contains(QLatin1String("UKai")) || family.contains(QLatin1String("UMing")) ||
                family.contains(QLatin1String("WenQuanYi")) || family == QStringLiteral("隶书"),
            qPrintable(family));
    }

    // How the snapshot lands in the face, by text length: its width on the scratch surface,
    // the stretch factor, and where its ink ends up.
    void stretchBylength_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("scratchWidth");
        QTest::addColumn<double>("factor");
        QTest::newRow("one character") << "王"
                                       << "王" << 214 << 3.0;
        QTest::newRow("two characters, padded") << "张三"
                                                << " 张三" << 641 << 1.0;
        QTest::newRow("three characters") << "欧阳锋"
                                          << "欧阳锋" << 641 << 1.0;
        QTest::newRow("four characters") << "司马相如"
                                         << "司马相如" << 855 << 0.75;
        QTest::newRow("ten characters")
            << repeat("国", 10) << repeat("国", 10) << 2137 << 0.30000001192092896;
    }
    void stretchBylength() {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QFETCH(int, scratchWidth);
        QFETCH(double, factor);
        Faces faces;
        faces.draw(text);
        QCOMPARE(faces.text, stored);
        QCOMPARE(faces.picture3->width(), scratchWidth);
        QCOMPARE(double(faces.scale[0]), factor);
        QCOMPARE(faces.scale[1], 1.0f);
        QVERIFY(!faces.picture3->Visible());

        const QRect drawn = test::inkBounds(faces.scratch());
        const QRect shown = test::inkBounds(faces.face());
        QVERIFY(drawn.isValid() && shown.isValid());
        // Across: scaled by the factor (within the pixel the scaling may round off);
        // down: unscaled, from the top-left corner.
        QVERIFY2(qAbs(shown.left() - drawn.left() * factor) <= 2,
                 qPrintable(QString::number(shown.left())));
        const double right = std::min((drawn.right() + 1) * factor, 641.0);
        QVERIFY2(qAbs(shown.right() + 1 - right) <= 2, qPrintable(QString::number(shown.right())));
        QVERIFY(qAbs(shown.top() - drawn.top()) <= 1);
        QVERIFY(qAbs(shown.bottom() - drawn.bottom()) <= 1);
        // The snapshot is 242 pixels high; the lowest strip of the 248-pixel face stays blank.
        QVERIFY(test::inkBounds(faces.face(), QRect(0, 242, 641, 6)).isNull());
        if (factor == 1.0) {
            QCOMPARE(test::differingPixels(faces.face().copy(0, 0, 641, 242), faces.scratch()), 0);
        }
    }

    void twoCharactersShiftRightByABlank() {
        Faces padded, plain;
        padded.draw(QStringLiteral("张三"));
        plain.draw(QStringLiteral("张三李"));
        // Same first glyph cell width: the padded name starts one blank further right.
        QVERIFY(test::inkBounds(padded.face()).left() > test::inkBounds(plain.face()).left() + 20);
    }

    void blanksOnlyAndWideCharacters() {
        Faces faces;
        faces.draw(QStringLiteral("   "));
        QVERIFY(test::inkBounds(faces.face()).isNull());
        QVERIFY(!faces.picture3->Visible());
        // A character beyond U+FFFF counts as two, so it is padded like a two-character name.
        faces.draw(QString::fromUcs4(U"𠀋"));
        QCOMPARE(faces.text.size(), 3);
        QCOMPARE(faces.picture3->width(), 641);
    }

    void secondTextLeavesNoTrace() {
        Faces once, twice;
        once.draw(QStringLiteral("李"));
        twice.draw(QStringLiteral("欧阳锋"));
        twice.draw(QStringLiteral("李"));
        QCOMPARE(test::differingPixels(once.face(), twice.face()), 0);
    }

    // Texts far beyond the surface's bound draw without crash or runaway memory: the scratch
    // surface stops at its bound and the drawing is cut at its right edge.
    void veryLongText_data() {
        QTest::addColumn<int>("length");
        QTest::newRow("just past the bound") << 154;
        QTest::newRow("five thousand") << 5000;
        QTest::newRow("input box maximum") << 32767;
    }
    void veryLongText() {
        QFETCH(int, length);
        Faces faces;
        faces.draw(repeat(QStringLiteral("龍"), length));
        QCOMPARE(faces.picture3->width(), PictureBox::MaxPixels);
        QCOMPARE(faces.text.size(), length);
        const QRect shown = test::inkBounds(faces.face());
        QVERIFY(shown.isValid());
        // The bounded surface squeezed by 3 / n: 32767 * 3 / n pixels wide at most.
        QVERIFY(shown.right() < 32767.0 * 3 / length + 2);
    }

    void emptyTextRaisesDivisionByZero() {
        Faces faces;
        try {
            faces.draw(QString());
            QFAIL("no error");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), ErrorNumber::DivisionByZero);
        }
        QVERIFY(faces.picture3->Visible());
    }
};

QTEST_MAIN(TestCardText)
#include "test_cardtext.moc"
