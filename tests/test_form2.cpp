#include "TestSupport.h"

#include "Form2.h"
#include "platform/App.h"
#include "platform/PictureBox.h"

#include <QTest>

#include <memory>

using qv::PictureBox;
using qv::ScriptedDialogs;

namespace {
struct Window {
    qv::test::TestEngine engine;
    ScriptedDialogs& dialogs = engine.dialogs;
    std::unique_ptr<Form2> form;
    Window() : form(std::make_unique<Form2>(engine.engine)) {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    // Chooses a menu item the way a user does: a click on the upright face, then the item;
    // then answers what the command asks with the given script steps.
    template <typename Steps> void command(const QString& item, Steps steps) {
        steps(dialogs.choose(item));
        QTest::mouseClick(form->Picture1, Qt::LeftButton, {}, QPoint(300, 100));
    }
    void command(const QString& item) {
        command(item, [](ScriptedDialogs&) {});
    }
};
} // namespace

class TestForm2 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qv::test::setUpProgramEnvironment(); }

    void layoutInPixels_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("Picture2") << "Picture2" << QRect(37, 46, 641, 236);
        QTest::newRow("Picture3") << "Picture3" << QRect(37, 38, 641, 242);
        QTest::newRow("Picture1") << "Picture1" << QRect(37, 409, 641, 248);
    }
    void layoutInPixels() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        Window w;
        QCOMPARE(w.form->size(), QSize(717, 698));
        QCOMPARE(w.form->minimumSize(), w.form->maximumSize());
        QCOMPARE(w.form->windowTitle(), QStringLiteral("Quorvel"));
        QVERIFY(!(w.form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!w.form->windowIcon().isNull());
        auto* face = w.form->findChild<PictureBox*>(name);
        QVERIFY(face);
        QCOMPARE(face->geometry(), geometry);
        // The sheet is white, as paper is.
        QCOMPARE(face->retainedImage().pixel(5, 5) & 0xFFFFFF, 0xFFFFFFu);
    }

    void startState() {
        Window w;
        QCOMPARE(w.form->CardFontName, QStringLiteral("隶书"));
        QVERIFY(w.form->CardText.isEmpty());
    }

    // Clicks on the background and on both faces open the one menu; the scratch surface,
    // while it shows, opens none.
    void clickTargets_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("opens");
        QTest::newRow("background") << "Form2" << QPoint(5, 5) << true;
        QTest::newRow("background between faces") << "Form2" << QPoint(300, 340) << true;
        QTest::newRow("upright face") << "Picture1" << QPoint(10, 200) << true;
        QTest::newRow("turned face, uncovered strip") << "Picture2" << QPoint(100, 235) << true;
        QTest::newRow("scratch surface") << "Picture3" << QPoint(100, 100) << false;
    }
    void clickTargets() {
        QFETCH(QString, target);
        QFETCH(QPoint, at);
        QFETCH(bool, opens);
        Window w;
        w.dialogs.dismissMenu();
        QWidget* widget =
            target == QLatin1String("Form2") ? w.form.get() : w.form->findChild<QWidget*>(target);
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
        QCOMPARE(w.dialogs.menus().size(), opens ? 1 : 0);
        if (opens) {
            const auto& menu = w.dialogs.menus().first();
            QCOMPARE(menu.items, QStringList({"字体", "输入", "旋转", "打印", "关于", "退出"}));
        }
        // A dismissed menu runs nothing.
        QVERIFY(w.form->isVisible());
        QVERIFY(w.form->CardText.isEmpty());
    }

    void keyboardOpensTheSameMenu_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("opens");
        QTest::newRow("menu key") << int(Qt::Key_Menu) << int(Qt::NoModifier) << true;
        QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier) << true;
        QTest::newRow("F10 alone") << int(Qt::Key_F10) << int(Qt::NoModifier) << false;
    }
    void keyboardOpensTheSameMenu() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, opens);
        Window w;
        w.dialogs.choose(QStringLiteral("输入")).answer(QStringLiteral("李"));
        QTest::keyClick(w.form.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(w.dialogs.menus().size(), opens ? 1 : 0);
        if (opens) {
            QCOMPARE(w.dialogs.menus().first().items.size(), 6);
            QVERIFY(w.dialogs.menus().first().at.has_value());
            QCOMPARE(w.form->CardText, QStringLiteral("李"));
        }
    }

    void turnedFaceOpensMenuOnceScratchIsHidden() {
        Window w;
        w.command(QStringLiteral("输入"),
                  [&](ScriptedDialogs& d) { d.answer(QStringLiteral("张三")); });
        QVERIFY(!w.form->Picture3->Visible());
        w.dialogs.dismissMenu();
        QTest::mouseClick(w.form->Picture2, Qt::RightButton, {}, QPoint(100, 100));
        QCOMPARE(w.dialogs.menus().size(), 2);
    }

    void inputDrawsAndCancelKeepsTheCard_data() {
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("second");
        QTest::newRow("cancelled box") << true << QString();
        QTest::newRow("empty answer") << false << QString();
    }
    void inputDrawsAndCancelKeepsTheCard() {
        QFETCH(bool, cancel);
        QFETCH(QString, second);
        Window w;
        w.command(QStringLiteral("输入"),
                  [&](ScriptedDialogs& d) { d.answer(QStringLiteral("张三")); });
        QCOMPARE(w.dialogs.prompts(), QStringList{QStringLiteral("请输入需要打印的文字")});
        QCOMPARE(w.form->CardText, QStringLiteral(" 张三"));
        const QImage card = w.form->Picture1->retainedImage().copy();
        QVERIFY(qv::test::inkBounds(card).isValid());

        w.command(QStringLiteral("输入"), [&](ScriptedDialogs& d) {
            cancel ? void(d.cancelInput()) : void(d.answer(second));
        });
        QVERIFY(w.form->CardText.isEmpty());
        QCOMPARE(qv::test::differingPixels(card, w.form->Picture1->retainedImage()), 0);
        QVERIFY(w.dialogs.unexpected().isEmpty());
    }

    void fontTakesEffectAtNextInput() {
        Window w;
        w.command(QStringLiteral("输入"),
                  [&](ScriptedDialogs& d) { d.answer(QStringLiteral("李")); });
        const QImage kai = w.form->Picture1->retainedImage().copy();

        w.command(QStringLiteral("字体"),
                  [&](ScriptedDialogs& d) { d.chooseFont(QStringLiteral("WenQuanYi Zen Hei")); });
        QCOMPARE(w.dialogs.fontFlagsShown(), QList<std::int32_t>{5});
        QCOMPARE(w.form->CardFontName, QStringLiteral("WenQuanYi Zen Hei"));
        QCOMPARE(qv::test::differingPixels(kai, w.form->Picture1->retainedImage()), 0);

        w.command(QStringLiteral("输入"),
                  [&](ScriptedDialogs& d) { d.answer(QStringLiteral("李")); });
        QCOMPARE(w.form->Picture3->FontName(), QStringLiteral("WenQuanYi Zen Hei"));
        QVERIFY(qv::test::differingPixels(kai, w.form->Picture1->retainedImage()) > 100);
    }

    void cancelledFontDialogKeepsTheFont() {
        Window w;
        w.command(QStringLiteral("字体"), [&](ScriptedDialogs& d) { d.cancelFont(); });
        QCOMPARE(w.form->CardFontName, QStringLiteral("隶书"));
        w.command(QStringLiteral("字体"),
                  [&](ScriptedDialogs& d) { d.chooseFont(QStringLiteral("AR PL UMing CN")); });
        w.command(QStringLiteral("字体"), [&](ScriptedDialogs& d) { d.cancelFont(); });
        QCOMPARE(w.form->CardFontName, QStringLiteral("AR PL UMing CN"));
    }

    // A face the system lacks still draws, in the platform's fallback face.
    void unknownFontStillDraws() {
        Window w;
        w.command(QStringLiteral("字体"),
                  [&](ScriptedDialogs& d) { d.chooseFont(QStringLiteral("无此字体 NoSuchFace")); });
        w.command(QStringLiteral("输入"),
                  [&](ScriptedDialogs& d) { d.answer(QStringLiteral("张三")); });
        QVERIFY(qv::test::inkBounds(w.form->Picture1->retainedImage()).isValid());
        QVERIFY(w.dialogs.messages().isEmpty());
    }

    void commandsBeforeAnyTextDoNotFail() {
        Window w;
        w.command(QStringLiteral("旋转"));
        w.command(QStringLiteral("关于"));
        QVERIFY(w.dialogs.messages().isEmpty());
        QVERIFY(w.form->isVisible());
    }

    // The turn leaves both faces counting in pixels; a later card still lands at the same
    // place and scale.
    void cardAfterTurnLandsTheSame() {
        Window w;
        w.command(QStringLiteral("输入"),
                  [&](ScriptedDialogs& d) { d.answer(QStringLiteral("李")); });
        const QImage before = w.form->Picture1->retainedImage().copy();
        w.command(QStringLiteral("旋转"));
        QCOMPARE(w.form->Picture1->ScaleMode(), std::int16_t(PictureBox::Pixels));
        QVERIFY(qv::test::inkBounds(w.form->Picture2->retainedImage()).isValid());
        w.command(QStringLiteral("输入"),
                  [&](ScriptedDialogs& d) { d.answer(QStringLiteral("李")); });
        QCOMPARE(qv::test::differingPixels(before, w.form->Picture1->retainedImage()), 0);
    }

    // 打印: one page of the top-left 710 x 685 pixels at the origin; twice is two documents.
    void printsTheClientArea() {
        Window w;
        w.command(QStringLiteral("输入"),
                  [&](ScriptedDialogs& d) { d.answer(QStringLiteral("张三")); });
        w.command(QStringLiteral("旋转"));
        w.command(QStringLiteral("打印"));
        w.command(QStringLiteral("打印"));
        const auto& printer = w.engine.printer;
        QCOMPARE(printer.drawn.size(), 2);
        QCOMPARE(printer.documentsEnded, 2);
        QCOMPARE(printer.drawn[0].x, 0.0f);
        QCOMPARE(printer.drawn[0].y, 0.0f);
        const QImage sheet = w.form->grab(QRect(0, 0, 710, 685)).toImage();
        QCOMPARE(qv::test::differingPixels(printer.drawn[0].image, sheet), 0);
        QVERIFY(qv::test::inkBounds(printer.drawn[0].image, QRect(0, 0, 717, 300)).isValid());
        QVERIFY(w.dialogs.messages().isEmpty());
    }

    // Failures while printing show nothing, still end the document, and keep the card.
    void printFailuresAreQuiet_data() {
        QTest::addColumn<bool>("failDrawing");
        QTest::addColumn<bool>("failEnding");
        QTest::addColumn<int>("ended");
        QTest::newRow("drawing fails") << true << false << 1;
        QTest::newRow("ending fails") << false << true << 0;
        QTest::newRow("both fail") << true << true << 0;
    }
    void printFailuresAreQuiet() {
        QFETCH(bool, failDrawing);
        QFETCH(bool, failEnding);
        QFETCH(int, ended);
        Window w;
        w.command(QStringLiteral("输入"),
                  [&](ScriptedDialogs& d) { d.answer(QStringLiteral("李")); });
        const QImage card = w.form->Picture1->retainedImage().copy();
        w.engine.printer.failDrawing = failDrawing;
        w.engine.printer.failEnding = failEnding;
        int endedWith = -1;
        auto previous = qv::App::setEndAction([&](int code) { endedWith = code; });
        w.command(QStringLiteral("打印"));
        qv::App::setEndAction(previous);
        QCOMPARE(endedWith, -1);
        QCOMPARE(w.engine.printer.documentsEnded, ended);
        QVERIFY(w.dialogs.messages().isEmpty());
        QCOMPARE(qv::test::differingPixels(card, w.form->Picture1->retainedImage()), 0);
    }

    void exitClosesTheWindow() {
        Window w;
        w.command(QStringLiteral("退出"));
        QVERIFY(!w.form->isVisible());
    }

    // A run-time error nobody traps: the box with number and text, then the program ends.
    void untrappedErrorReportEndsTheProgram() {
        Window w;
        int endedWith = -1;
        auto previous = qv::App::setEndAction([&](int code) { endedWith = code; });
        // A turned face too tall for the 16-bit loop counters overflows.
        w.form->Picture2->setHeight(32767.0f * 15);
        w.command(QStringLiteral("旋转"));
        qv::App::setEndAction(previous);
        QCOMPARE(w.dialogs.messages(), QStringList{QStringLiteral("运行时错误 '6':\n\n溢出")});
        QCOMPARE(endedWith, 1);
    }
};

QTEST_MAIN(TestForm2)
#include "test_form2.moc"
