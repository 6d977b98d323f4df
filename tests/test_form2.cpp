#include "TestSupport.h"

#include "Form2.h"
#include "platform/App.h"
#include "platform/PictureBox.h"
#include "platform/Screen.h"

#include <QScreen>
#include <QTest>

#include <memory>

using qv::PictureBox;
using qv::Screen;

namespace {
struct Window {
    qv::test::TestEngine engine;
    qv::ScriptedDialogs& dialogs = engine.dialogs;
    std::unique_ptr<Form2> form = std::make_unique<Form2>(engine.engine);
    Window() {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    // A click on the upright face, then the item, then the answer if one is given.
    void command(const QString& item, const QString& answer = {}) {
        dialogs.choose(item);
        if (!answer.isNull())
            dialogs.answer(answer);
        QTest::mouseClick(form->Picture1, Qt::LeftButton, {}, QPoint(30, 30));
    }
};
} // namespace

class TestForm2 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qv::test::setUpProgramEnvironment(); }

    // Run at 96, 120 and 144 dots per inch: the sheet keeps its size in twips and the card
    // still fills the upright face.
    void layoutFollowsTheScreen() {
        const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
        QCOMPARE(Screen::TwipsPerPixelX(), float(1440 / dpi));
        Window w;
        QVERIFY(qAbs(w.form->width() * 1440 / dpi - 10755) <= 1440 / dpi);
        QVERIFY(qAbs(w.form->Picture1->Width() - 9615) <= Screen::TwipsPerPixelX());
        w.command(QStringLiteral("输入"), QStringLiteral("欧阳锋"));
        const QRect ink = qv::test::inkBounds(w.form->Picture1->retainedImage());
        QVERIFY2(ink.right() > w.form->Picture1->width() * 0.8, qPrintable(QString::number(ink.right())));
    }

    // The background and both faces open the menu; the scratch surface, while it shows, does
    // not; so do the menu key and Shift+F10.
    void menuOpeners_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("key"); // 0: a click
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("opens");
        QTest::newRow("background") << "Form2" << 0 << 0 << true;
        QTest::newRow("upright face") << "Picture1" << 0 << 0 << true;
        QTest::newRow("turned face, uncovered strip") << "Picture2" << 0 << 0 << true;
        QTest::newRow("scratch surface") << "Picture3" << 0 << 0 << false;
        QTest::newRow("menu key") << "Form2" << int(Qt::Key_Menu) << 0 << true;
        QTest::newRow("Shift+F10") << "Form2" << int(Qt::Key_F10) << int(Qt::ShiftModifier) << true;
        QTest::newRow("F10 alone") << "Form2" << int(Qt::Key_F10) << 0 << false;
    }
    void menuOpeners() {
        QFETCH(QString, target);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, opens);
        Window w;
        w.dialogs.choose(QStringLiteral("输入")).answer(QStringLiteral("李"));
        QWidget* widget = target == "Form2" ? w.form.get() : w.form->findChild<QWidget*>(target);
        const QPoint at = target == "Picture2" ? QPoint(100, widget->height() - 1) : QPoint(5, 5);
        if (key)
            QTest::keyClick(widget, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        else
            QTest::mouseClick(widget, Qt::LeftButton, {}, at);
        QCOMPARE(w.dialogs.menus().size(), opens ? 1 : 0);
        QCOMPARE(w.form->CardText, opens ? QStringLiteral("李") : QString());
    }

    void cancelledInputKeepsTheCard_data() {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("cancelled box") << true;
        QTest::newRow("empty answer") << false;
    }
    void cancelledInputKeepsTheCard() {
        QFETCH(bool, cancel);
        Window w;
        w.command(QStringLiteral("输入"), QStringLiteral("张三"));
        const QImage card = w.form->Picture1->retainedImage().copy();
        w.dialogs.choose(QStringLiteral("输入"));
        cancel ? void(w.dialogs.cancelInput()) : void(w.dialogs.answer(QString("")));
        QTest::mouseClick(w.form->Picture1, Qt::LeftButton, {}, QPoint(30, 30));
        QVERIFY(w.form->CardText.isEmpty());
        QCOMPARE(qv::test::differingPixels(card, w.form->Picture1->retainedImage()), 0);
        QVERIFY(w.dialogs.unexpected().isEmpty());
    }

    // The font dialog's choice is used by the next input; a cancelled dialog changes nothing;
    // a face the system lacks still draws.
    void fontChoices_data() {
        QTest::addColumn<QString>("face"); // null: cancelled
        QTest::addColumn<QString>("expected");
        QTest::newRow("chosen") << "WenQuanYi Zen Hei" << "WenQuanYi Zen Hei";
        QTest::newRow("cancelled") << QString() << "隶书";
        QTest::newRow("unknown face") << "无此字体 NoSuchFace" << "无此字体 NoSuchFace";
    }
    void fontChoices() {
        QFETCH(QString, face);
        QFETCH(QString, expected);
        Window w;
        w.command(QStringLiteral("输入"), QStringLiteral("李"));
        const QImage before = w.form->Picture1->retainedImage().copy();
        w.dialogs.choose(QStringLiteral("字体"));
        face.isNull() ? void(w.dialogs.cancelFont()) : void(w.dialogs.chooseFont(face));
        QTest::mouseClick(w.form->Picture1, Qt::LeftButton, {}, QPoint(30, 30));
        QCOMPARE(w.dialogs.fontFlagsShown(), QList<std::int32_t>{5});
        QCOMPARE(w.form->CardFontName, expected);
        QCOMPARE(qv::test::differingPixels(before, w.form->Picture1->retainedImage()), 0);
        w.command(QStringLiteral("输入"), QStringLiteral("李"));
        QCOMPARE(w.form->Picture3->FontName(), expected);
        QVERIFY(qv::test::inkBounds(w.form->Picture1->retainedImage()).isValid());
        QVERIFY(w.dialogs.messages().isEmpty());
    }

    // The turn leaves both faces in pixels; a later card lands at the same place and scale.
    void cardAfterTurnLandsTheSame() {
        Window w;
        w.command(QStringLiteral("输入"), QStringLiteral("李"));
        const QImage before = w.form->Picture1->retainedImage().copy();
        w.command(QStringLiteral("旋转"));
        QVERIFY(qv::test::inkBounds(w.form->Picture2->retainedImage()).isValid());
        w.command(QStringLiteral("输入"), QStringLiteral("李"));
        QCOMPARE(qv::test::differingPixels(before, w.form->Picture1->retainedImage()), 0);
    }

    // One page of the top-left 710 x 685 pixels at the origin; failures show nothing, still
    // end the document where they can, and keep the card.
    void print_data() {
        QTest::addColumn<bool>("failDrawing");
        QTest::addColumn<bool>("failEnding");
        QTest::newRow("prints") << false << false;
        QTest::newRow("drawing fails") << true << false;
        QTest::newRow("ending fails") << false << true;
    }
    void print() {
        QFETCH(bool, failDrawing);
        QFETCH(bool, failEnding);
        Window w;
        w.command(QStringLiteral("输入"), QStringLiteral("张三"));
        w.command(QStringLiteral("旋转"));
        w.engine.printer.failDrawing = failDrawing;
        w.engine.printer.failEnding = failEnding;
        int endedWith = -1;
        auto previous = qv::App::setEndAction([&](int code) { endedWith = code; });
        w.command(QStringLiteral("打印"));
        qv::App::setEndAction(previous);
        QCOMPARE(endedWith, -1);
        QVERIFY(w.dialogs.messages().isEmpty());
        const auto& printer = w.engine.printer;
        QCOMPARE(printer.documentsEnded, failEnding ? 0 : 1);
        QCOMPARE(printer.drawn.size(), failDrawing ? 0 : 1);
        if (!failDrawing) {
            QCOMPARE(QPointF(printer.drawn[0].x, printer.drawn[0].y), QPointF(0, 0));
            const QImage sheet = w.form->grab(QRect(0, 0, 710, 685)).toImage();
            QCOMPARE(qv::test::differingPixels(printer.drawn[0].image, sheet), 0);
        }
    }

    // A run-time error nobody traps: the box with number and text, then the program ends.
    void untrappedErrorReportEndsTheProgram() {
        Window w;
        int endedWith = -1;
        auto previous = qv::App::setEndAction([&](int code) { endedWith = code; });
        w.form->Picture2->setHeight(32767.0f * Screen::TwipsPerPixelY());
        w.command(QStringLiteral("旋转"));
        qv::App::setEndAction(previous);
        QCOMPARE(w.dialogs.messages(), QStringList{QStringLiteral("运行时错误 '6':\n\n溢出")});
        QCOMPARE(endedWith, 1);
    }

    void exitClosesTheWindow() {
        Window w;
        w.command(QStringLiteral("退出"));
        QVERIFY(!w.form->isVisible());
    }
};

QTEST_MAIN(TestForm2)
#include "test_form2.moc"
