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
        // The faces as the main window lays them out.
        PictureBox picture1, picture3;
        picture3.setGeometry(Screen::pixelRect(555, 570, 9615, 3630));
        picture1.setGeometry(Screen::pixelRect(555, 6135, 9615, 3727));
        QString text = QStringLiteral("张三");
        float scaleFactor[2] = {0, 0};
        card::drawCardText(picture1, picture3, text, asked, scaleFactor);

        // The padded name drawn straight in the face, at the card's size, on a surface like the
        // scratch one: three characters are painted into the face unstretched.
        QImage expected = picture3.retainedImage().copy();
        expected.fill(Qt::white);
        QFont font(face);
        font.setPointSize(160);
        {
            QPainter painter(&expected);
            painter.setFont(font);
            painter.setPen(toQColor(picture3.ForeColor()));
            painter.drawText(QPointF(0, QFontMetricsF(font, &expected).ascent()), text);
        }
        const QRect area = expected.rect() & picture1.retainedImage().rect();
        const QImage shown = picture1.retainedImage().copy(area);
        const QRect ink = test::inkBounds(expected.copy(area));
        QVERIFY(ink.isValid());
        QVERIFY2(test::differingPixels(shown, expected.copy(area)) <
                     ink.width() * ink.height() / 50,
                 qPrintable(QStringLiteral("%1 pixels differ")
                                .arg(test::differingPixels(shown, expected.copy(area)))));
    }
};

QTEST_MAIN(TestFonts)
#include "test_fonts.moc"
