#include "TestSupport.h"

#include "card/CardText.h"
#include "runtime/OleColor.h"
#include "runtime/PictureBox.h"
#include "runtime/Screen.h"
#include "system/FontMapping.h"

#include <QFontDatabase>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
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
// The text as HarfBuzz's own viewer draws it in the face's file, or a null image.
QImage drawnByHarfBuzz(const QString& face, const QString& text, const QString& folder) {
    QProcess match;
    match.start(QStringLiteral("fc-match"), {QStringLiteral("-f"), QStringLiteral("%{file}"), face});
    if (!match.waitForFinished() || match.exitCode() != 0)
        return {};
    const QString png = folder + QStringLiteral("/hb.png");
    // 160 points at 96 dots per inch, as on the card.
    if (QProcess::execute(QStringLiteral("hb-view"),
                          {QStringLiteral("--font-file=") + QString::fromLocal8Bit(match.readAll()),
                           QStringLiteral("--font-size=213"), QStringLiteral("--margin=20"),
                           QStringLiteral("--output-format=png"), QStringLiteral("-o"), png,
                           QStringLiteral("--text=") + text}) != 0)
        return {};
    return QImage(png).convertToFormat(QImage::Format_RGB32);
}

// The same text drawn wrongly: each UTF-16 unit on its own, one after the other.
QImage drawnUnitByUnit(const QString& face, const QString& text) {
    QFont font(face);
    font.setPixelSize(213);
    QImage image(400 * int(text.size()) + 40, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    qreal x = 20;
    for (const QChar unit : text) {
        painter.drawText(QPointF(x, 300), QString(unit));
        x += QFontMetricsF(font).horizontalAdvance(QString(unit));
    }
    return image;
}

// How far apart two drawings of a text are in shape: each ink cut to its bounds and brought to
// one size, the share of inked pixels that only one of the two has (0: the same shape).
double shapeDistance(const QImage& a, const QImage& b) {
    const QSize size(480, 120);
    const auto mask = [&](const QImage& image) {
        return image.copy(test::inkBounds(image, {}, 128))
            .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_Grayscale8);
    };
    const QImage x = mask(a), y = mask(b);
    int either = 0, one = 0;
    for (int row = 0; row < size.height(); ++row)
        for (int column = 0; column < size.width(); ++column) {
            const bool inX = x.constScanLine(row)[column] < 128,
                       inY = y.constScanLine(row)[column] < 128;
            either += inX || inY;
            one += inX != inY;
        }
    return either ? double(one) / either : 1.0;
}
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

    // A name in any script is shaped as its readers write it: the upright face matches what
    // HarfBuzz's own viewer draws in the same face (marks on their bases, letters joined,
    // conjuncts formed, right to left where it runs so), better than each UTF-16 unit drawn
    // alone does.
    void nameShapedAsItsReadersWriteIt_data() {
        QTest::addColumn<QString>("face");
        QTest::addColumn<QString>("name");
        // clang-format off
        QTest::newRow("Thai") << "Garuda" << QStringLiteral("สมศักดิ์ ใจดี");
        QTest::newRow("Arabic") << "KacstBook" << QStringLiteral("محمد علي");
        QTest::newRow("Devanagari") << "Lohit Devanagari" << QStringLiteral("अमित शर्मा");
        // Written in its letters (jamo), which the face composes into syllables.
        QTest::newRow("Hangul") << "NanumGothic"
                                << QStringLiteral("김민준").normalized(QString::NormalizationForm_D);
        QTest::newRow("Hebrew") << "DejaVu Sans" << QStringLiteral("דוד לוי");
        QTest::newRow("beyond U+FFFF") << "HanaMinA" << QString::fromUcs4(U"𠮷野家");
        QTest::newRow("combining accent") << "DejaVu Sans" << QStringLiteral("Jose\u0301 Nun\u0303ez");
        // clang-format on
    }
    void nameShapedAsItsReadersWriteIt() {
        QFETCH(QString, face);
        QFETCH(QString, name);
        if (!QFontDatabase::hasFamily(face))
            QSKIP("the face of this script is not installed (debian/control)");
        if (QStandardPaths::findExecutable(QStringLiteral("hb-view")).isEmpty())
            QSKIP("hb-view (libharfbuzz-bin) is not installed");
        QTemporaryDir folder;
        const QImage judge = drawnByHarfBuzz(face, name, folder.path());
        QVERIFY(!judge.isNull());
        const Card card(name, face);
        card.face().save("/tmp/wt25-exp/card_" + QString(QTest::currentDataTag()) + ".png"); judge.save("/tmp/wt25-exp/hb_" + QString(QTest::currentDataTag()) + ".png");
        const double shaped = shapeDistance(card.face(), judge),
                     broken = shapeDistance(drawnUnitByUnit(face, name), judge);
        QVERIFY2(shaped < 0.25 && broken > shaped + 0.1,
                 qPrintable(QStringLiteral("card %1, unit by unit %2").arg(shaped).arg(broken)));
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
