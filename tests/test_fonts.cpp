#include "TestSupport.h"

#include "card/CardText.h"
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
constexpr int CardPixels = 213; // 160 points at 96 dots per inch

// A card drawn on faces laid out as the main window lays them out.
struct Card {
    PictureBox picture1, picture3;
    float scaleFactor[2] = {0, 0};
    Card(QString text, const QString& fontName) {
        picture3.setGeometry(Screen::pixelRect(555, 570, 9615, 3630));
        picture1.setGeometry(Screen::pixelRect(555, 6135, 9615, 3727));
        card::drawCardText(picture1, picture3, text, fontName, scaleFactor);
    }
    QImage face() const { return picture1.retainedImage().convertToFormat(QImage::Format_RGB32); }
    // The ascent of a face at the card's size, at the surface's resolution.
    qreal ascent(const QString& family) const {
        QFont font(family);
        font.setPointSize(160);
        return QFontMetricsF(font, &picture3.retainedImage()).ascent();
    }
    // How far a drawing of the text at the card's size is from the face as the card shows it,
    // squeezed across as the face is and at the height where it matches best (faces disagree on
    // their ascent by a few pixels): the share of inked pixels only one of the two has.
    double match(const QImage& drawing) const {
        QImage wide(picture3.width(), drawing.height(), QImage::Format_Grayscale8);
        wide.fill(Qt::white);
        QPainter(&wide).drawImage(0, 0, drawing);
        const QImage squeezed = wide.scaled(qRound(wide.width() * scaleFactor[0]), wide.height(),
                                            Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QImage reference = face().convertToFormat(QImage::Format_Grayscale8);
        double best = 1;
        for (int down = -CardPixels / 2; down <= CardPixels / 2; ++down) {
            QImage placed(reference.size(), QImage::Format_Grayscale8);
            placed.fill(Qt::white);
            QPainter(&placed).drawImage(0, down, squeezed);
            int either = 0, one = 0;
            for (int y = 0; y < placed.height(); ++y)
                for (int x = 0; x < placed.width(); ++x) {
                    const bool a = reference.constScanLine(y)[x] < 128,
                               b = placed.constScanLine(y)[x] < 128;
                    either += a || b;
                    one += a != b;
                }
            best = std::min(best, either ? double(one) / either : 1.0);
        }
        return best;
    }
};

// The text as HarfBuzz's own viewer draws it in the face's file, at the card's size.
QImage drawnByHarfBuzz(const QString& face, const QString& text, qreal ascent) {
    QTemporaryDir folder;
    QProcess match;
    match.start("fc-match", {"-f", "%{file}", face});
    if (!match.waitForFinished() || match.exitCode() != 0)
        return {};
    const QString png = folder.filePath("hb.png");
    const QStringList options{"--font-file=" + QString::fromLocal8Bit(match.readAll()),
                              QStringLiteral("--font-size=%1").arg(CardPixels),
                              QStringLiteral("--font-extents=%1,%2,0").arg(ascent).arg(CardPixels),
                              "--margin=0",
                              "-o",
                              png,
                              "--text=" + text};
    return QProcess::execute("hb-view", options) == 0 ? QImage(png) : QImage();
}

} // namespace

// The program's font mapping and text shaping as the card face shows them.
class TestFonts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontMapping(); }

    // A card asked in one of the classic face names is the card drawn in the face the mapping
    // names for it.
    void cardDrawnInTheMappedFace_data() {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("face");
        for (const char* asked : {"隶书", "华文隶书", "楷体"})
            QTest::newRow(asked) << asked << "AR PL UKai CN";
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
        const QImage card = Card("张三", asked).face();
        QVERIFY(test::inkBounds(card).isValid());
        QCOMPARE(test::differingPixels(card, Card("张三", face).face()), 0);
    }

    // A name in any script is shaped as its readers write it: the upright face matches what
    // HarfBuzz's own viewer draws in the same face (marks on their bases, letters joined,
    // conjuncts formed, right to left where it runs so).
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
        QTest::newRow("combining accent") << "DejaVu Sans" << QStringLiteral("E\u0301lodie Nun\u0303ez");
        // clang-format on
    }
    void nameShapedAsItsReadersWriteIt() {
        QFETCH(QString, face);
        QFETCH(QString, name);
        if (!QFontDatabase::hasFamily(face))
            QSKIP("the face of this script is not installed (debian/control)");
        if (QStandardPaths::findExecutable("hb-view").isEmpty())
            QSKIP("hb-view (libharfbuzz-bin) is not installed");
        const Card card(name, face);
        const QImage judge = drawnByHarfBuzz(face, name, card.ascent(face));
        QVERIFY(!judge.isNull());
        const double distance = card.match(judge);
        QVERIFY2(distance < 0.1, qPrintable(QString::number(distance)));
    }

    // A character the card face lacks comes from the face of the rare characters that the
    // mapping names for 隶书. It keeps its own size and sits on the card face's baseline: its
    // ink is the ink it has on a card drawn all in that face, lowered by the difference of the
    // two faces' ascents. One for which the card face holds an empty glyph is inked all the same.
    void rareCharacterHasTheSizeAndBaselineOfItsNeighbours() {
        const QString cardFace = "AR PL UKai CN", rareFace = "HanaMinA";
        if (!QFontDatabase::hasFamily(rareFace) || !QFontDatabase::hasFamily(cardFace))
            QSKIP("the card face or the face of the rare characters is not installed");
        QVERIFY(test::inkBounds(Card(QString::fromUcs4(U"\U0000359E"), "隶书").face()).isValid());
        const QString text = QString::fromUcs4(U"野𠮷家");
        const Card mixed(text, "隶书"), alone(text, rareFace);
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
