#include "TestSupport.h"

#include "card/CardText.h"
#include "runtime/OleColor.h"
#include "runtime/PictureBox.h"
#include "runtime/Screen.h"
#include "system/FontMapping.h"

#include <QFontDatabase>
#include <QPainter>
#include <QTest>

using namespace qv;

namespace {
// A card drawn on faces laid out as the main window lays them out.
struct Card {
    PictureBox picture1, picture3;
    QString text;
    Card(const QString& cardText, const QString& fontName) : text(cardText) {
        picture3.setGeometry(Screen::pixelRect(555, 570, 9615, 3630));
        picture1.setGeometry(Screen::pixelRect(555, 6135, 9615, 3727));
        float scaleFactor[2] = {0, 0};
        card::drawCardText(picture1, picture3, text, fontName, scaleFactor);
    }
    const QImage& face() const { return picture1.retainedImage(); }
    // The ascent of a face at the card's size, at the surface's resolution.
    qreal ascent(const QString& family) const {
        QFont font(family);
        font.setPointSize(160);
        return QFontMetricsF(font, &picture3.retainedImage()).ascent();
    }
};
} // namespace

// The program's font mapping as the card sees it: a card asked in one of the classic face
// names is drawn in the face the mapping names for it.
class TestFonts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontMapping(); }

    void cardDrawnInTheMappedFace_data() {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("face");
        QTest::newRow("隶书") << "隶书"
                              << "AR PL UKai CN";
        QTest::newRow("华文隶书") << "华文隶书"
                                  << "AR PL UKai CN";
        QTest::newRow("楷体") << "楷体"
                              << "AR PL UKai CN";
        QTest::newRow("宋体") << "宋体"
                              << "AR PL UMing CN";
        QTest::newRow("黑体") << "黑体"
                              << "WenQuanYi Zen Hei";
    }
    void cardDrawnInTheMappedFace() {
        QFETCH(QString, asked);
        QFETCH(QString, face);
        if (!QFontDatabase::hasFamily(face))
            QSKIP("the face the font mapping names is not installed");
        const Card card(QStringLiteral("张三"), asked);

        // The padded name drawn straight in the face, at the card's size, on a surface like the
        // scratch one: three characters are painted into the face unstretched.
        QImage expected = card.picture3.retainedImage().copy();
        expected.fill(Qt::white);
        QFont font(face);
        font.setPointSize(160);
        {
            QPainter painter(&expected);
            painter.setFont(font);
            painter.setPen(toQColor(card.picture3.ForeColor()));
            painter.drawText(QPointF(0, card.ascent(face)), card.text);
        }
        const QRect area = expected.rect() & card.face().rect();
        expected = expected.copy(area);
        const QRect ink = test::inkBounds(expected);
        const int differing = test::differingPixels(card.face().copy(area), expected);
        QVERIFY(ink.isValid());
        QVERIFY2(differing < ink.width() * ink.height() / 50,
                 qPrintable(QStringLiteral("%1 pixels differ").arg(differing)));
    }

    // A character the card face lacks comes from the face of the rare characters that the
    // mapping names for 隶书. It keeps its own size and sits on the card face's baseline: its
    // ink is the ink it has on a card drawn all in that face, lowered by the difference of the
    // two faces' ascents.
    void rareCharacterHasTheSizeAndBaselineOfItsNeighbours() {
        const QString cardFace = QStringLiteral("AR PL UKai CN"),
                      rareFace = QStringLiteral("HanaMinA");
        if (!QFontDatabase::hasFamily(rareFace) || !QFontDatabase::hasFamily(cardFace))
            QSKIP("the card face or the face of the rare characters is not installed");
        const QString text = QString::fromUcs4(U"野𠮷家");
        const Card mixed(text, QStringLiteral("隶书")), alone(text, rareFace);
        const int lowered = qRound(mixed.ascent(cardFace) - mixed.ascent(rareFace));
        const int cell = mixed.picture3.width() / 3;
        const QRect middle(cell, 0, cell, mixed.face().height());
        const QRect ink = test::inkBounds(mixed.face(), middle),
                    expected = test::inkBounds(alone.face(), middle).translated(0, lowered);
        QVERIFY(ink.isValid());
        QVERIFY((ink.topLeft() - expected.topLeft()).manhattanLength() <= 3 &&
                (ink.bottomRight() - expected.bottomRight()).manhattanLength() <= 3);
    }
};

QTEST_MAIN(TestFonts)
#include "test_fonts.moc"
