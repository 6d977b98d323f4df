#include "TestSupport.h"

#include "Form2.h"
#include "runtime/PictureBox.h"
#include "runtime/Screen.h"
#include "system/QtDialogs.h"

#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QTest>

#include <memory>

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
        QVERIFY2(ink.right() > w.form->Picture1->width() * 0.8,
                 qPrintable(QString::number(ink.right())));
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
        QCOMPARE(w.dialogs.menusShown(), opens ? 1 : 0);
        QCOMPARE(w.form->CardText, opens ? QStringLiteral("李") : QString());
    }

    // A screen reader hears how to open the menu, what each face shows once it is drawn or
    // turned, and a short word after each command; the scratch surface drops out once hidden.
    void screenReaderHearsTheCard_data() {
        QTest::addColumn<QStringList>("steps"); // an item, then the answer if there is one
        QTest::addColumn<QString>("upright");
        QTest::addColumn<QString>("turned");
        QTest::addColumn<QStringList>("spoken");
        const QString blankUpright = "正向的桌签面：空白", blankTurned = "倒置的桌签面：空白";
        const QString upright = "正向的桌签面：张三", turned = "倒置的桌签面：张三（倒置）";
        QTest::newRow("at start") << QStringList() << blankUpright << blankTurned << QStringList();
        QTest::newRow("drawn") << QStringList{"输入 张三"} << upright << blankTurned
                               << QStringList{upright};
        QTest::newRow("empty input keeps it")
            << QStringList{"输入 张三", "输入 "} << upright << blankTurned << QStringList{upright};
        QTest::newRow("blanks show nothing")
            << QStringList{"输入    "} << blankUpright << blankTurned << QStringList{blankUpright};
        QTest::newRow("turned before any text")
            << QStringList{"旋转"} << blankUpright << blankTurned
            << QStringList{"已旋转。" + blankTurned};
        QTest::newRow("one card") << QStringList{"输入 张三", "旋转", "打印"} << upright << turned
                                  << QStringList{upright, "已旋转。" + turned, "正在打印：张三"};
        QTest::newRow("new name, face not turned again")
            << QStringList{"输入 张三", "旋转", "输入 李四", "打印"} << "正向的桌签面：李四"
            << turned
            << QStringList{upright, "已旋转。" + turned, "正向的桌签面：李四",
                           "正在打印：正向 李四，倒置 张三"};
    }
    void screenReaderHearsTheCard() {
        QFETCH(QStringList, steps);
        QFETCH(QString, upright);
        QFETCH(QString, turned);
        QFETCH(QStringList, spoken);
        QList<qv::test::Heard>* heard = qv::test::listenAsScreenReader();
        if (!heard)
            QSKIP("Qt's platform headers were missing at build time: accessibility cannot be on");
        Window w;
        bool drawn = false;
        for (const QString& step : steps) {
            const qsizetype blank = step.indexOf(' ');
            w.command(step.left(blank), blank < 0 ? QString() : step.mid(blank + 1));
            drawn = drawn || (step.startsWith("输入 ") && step.size() > 3); // not empty
        }
        auto reads = [](QObject* o) {
            return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name);
        };
        const QString howTo =
            QAccessible::queryAccessibleInterface(w.form.get())->text(QAccessible::Description);
        QVERIFY2(howTo.contains("菜单键") && howTo.contains("Shift+F10"), qPrintable(howTo));
        QCOMPARE(reads(w.form->Picture1), upright);
        QCOMPARE(reads(w.form->Picture2), turned);
        QCOMPARE(QAccessible::queryAccessibleInterface(w.form->Picture3)->state().invisible, drawn);
        QStringList notifications, renamed;
        for (const qv::test::Heard& event : *heard) {
            if (event.type == QAccessible::ObjectShow && event.role == QAccessible::Notification)
                notifications << event.name;
            if (event.type == QAccessible::NameChanged && event.object == w.form->Picture1)
                renamed << event.name;
        }
        QCOMPARE(notifications, spoken);
        QCOMPARE(renamed.value(renamed.size() - 1), upright);
        QVERIFY(w.dialogs.unexpected().isEmpty());
    }

    // The menu opens on its first item: a screen reader names it, and Enter chooses it.
    void menuOpensOnItsFirstItem() {
        QList<qv::test::Heard>* heard = qv::test::listenAsScreenReader();
        if (!heard)
            QSKIP("Qt's platform headers were missing at build time: accessibility cannot be on");
        Window w;
        QString current;
        // Posted twice, so it runs inside the menu's own loop once the menu has settled.
        auto later = [](auto call) { QMetaObject::invokeMethod(qApp, call, Qt::QueuedConnection); };
        later([&] {
            later([&] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                current = menu->activeAction() ? menu->activeAction()->text() : QString();
                // Without a current item Enter would leave the menu open.
                QTest::keyClick(menu, current.isEmpty() ? Qt::Key_Escape : Qt::Key_Return);
            });
        });
        QCOMPARE(qv::QtDialogs().PopupMenu(w.form.get(), Form2::menuTitle(), Form2::menuItems(),
                                           w.form->mapToGlobal(QPoint(100, 100))),
                 0);
        QCOMPARE(current, QStringLiteral("字体"));
        QVERIFY(heard->contains({QAccessible::Focus, QAccessible::MenuItem, "字体", {}}));
    }

    // An empty answer, which is also what a cancelled box gives, keeps the card.
    void emptyInputKeepsTheCard() {
        Window w;
        w.command(QStringLiteral("输入"), QStringLiteral("张三"));
        const QImage card = w.form->Picture1->retainedImage().copy();
        w.command(QStringLiteral("输入"), QStringLiteral(""));
        QVERIFY(w.form->CardText.isEmpty());
        QCOMPARE(qv::test::differingPixels(card, w.form->Picture1->retainedImage()), 0);
        QVERIFY(w.dialogs.unexpected().isEmpty());
    }

    // The font dialog's choice, even a face the system lacks, is used by the next input; a
    // cancelled dialog changes nothing.
    void fontChoices_data() {
        QTest::addColumn<QString>("face"); // null: cancelled
        QTest::newRow("cancelled") << QString();
        QTest::newRow("unknown face") << "无此字体 NoSuchFace";
    }
    void fontChoices() {
        QFETCH(QString, face);
        Window w;
        w.command(QStringLiteral("输入"), QStringLiteral("李"));
        const QImage before = w.form->Picture1->retainedImage().copy();
        w.dialogs.choose(QStringLiteral("字体"));
        face.isNull() ? void(w.dialogs.cancelFont()) : void(w.dialogs.chooseFont(face));
        QTest::mouseClick(w.form->Picture1, Qt::LeftButton, {}, QPoint(30, 30));
        QCOMPARE(qv::test::differingPixels(before, w.form->Picture1->retainedImage()), 0);
        w.command(QStringLiteral("输入"), QStringLiteral("李"));
        QCOMPARE(w.form->Picture3->FontName(), face.isNull() ? QStringLiteral("隶书") : face);
        QVERIFY(qv::test::inkBounds(w.form->Picture1->retainedImage()).isValid());
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

    // A failing statement of the print job is passed over: nothing shown, the document still
    // ended where it can. A document the print system then refuses is told in a box. Neither
    // ends the program or touches the card.
    void printFailures_data() {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<int>("ended");
        QTest::addColumn<QStringList>("told");
        QTest::newRow("drawing fails") << "drawing" << 1 << QStringList();
        QTest::newRow("ending fails") << "ending" << 0 << QStringList();
        QTest::newRow("print system refuses") << "print system" << 1 << QStringList{"没有打印"};
    }
    void printFailures() {
        QFETCH(QString, failing);
        QFETCH(int, ended);
        QFETCH(QStringList, told);
        Window w;
        w.command(QStringLiteral("输入"), QStringLiteral("张三"));
        const QImage card = w.form->Picture1->retainedImage().copy();
        w.engine.printer.failDrawing = failing == "drawing";
        w.engine.printer.failEnding = failing == "ending";
        w.engine.printer.refusal = told.value(0);
        w.command(QStringLiteral("打印"));
        QCOMPARE(qv::test::takeProgramEnd(), std::nullopt);
        QCOMPARE(w.dialogs.messages(), told);
        QCOMPARE(w.engine.printer.documentsEnded, ended);
        QCOMPARE(qv::test::differingPixels(card, w.form->Picture1->retainedImage()), 0);
    }

    // A run-time error nobody traps: the box with number and text, then the program ends.
    void untrappedErrorReportEndsTheProgram() {
        Window w;
        w.form->Picture2->setHeight(32767.0f * Screen::TwipsPerPixelY());
        w.command(QStringLiteral("旋转"));
        QCOMPARE(w.dialogs.messages(), QStringList{QStringLiteral("运行时错误 '6':\n\n溢出")});
        QCOMPARE(qv::test::takeProgramEnd(), 1);
    }

    void exitClosesTheWindow() {
        Window w;
        w.command(QStringLiteral("退出"));
        QVERIFY(!w.form->isVisible());
    }
};

QTEST_MAIN(TestForm2)
#include "test_form2.moc"
