#include "TestSupport.h"

#include "Form2.h"
#include "runtime/Engine.h"
#include "runtime/PictureBox.h"
#include "runtime/Screen.h"
#include "system/PrintWaitDialog.h"
#include "system/QtDialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>

class TestForm2 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qv::test::setUpProgramEnvironment(); }

    // The background, both faces, the menu key and Shift+F10 open the menu, each once (a second
    // menu would find no step); the scratch surface, while it shows, does not. A screen reader
    // hears how to open it, what each face shows once it is drawn or turned, and a short word
    // after each command; the scratch surface drops out once drawn. How to open the menu is
    // read until it has been opened.
    void menuAndScreenReader_data() {
        QTest::addColumn<QString>("opener"); // of the first menu; a widget or keys
        QTest::addColumn<QString>("steps");  // items, each with its answer after a blank
        QTest::addColumn<QString>("upright");
        QTest::addColumn<QString>("turned");
        QTest::addColumn<QString>("spoken");
        // clang-format off
        QTest::newRow("at start") << "" << "" << "空白" << "空白" << "";
        QTest::newRow("drawn, from the background")
            << "Form2" << "输入 张三" << "张三" << "空白" << "正向的桌签面：张三";
        QTest::newRow("empty input keeps it, menu key")
            << "Menu" << "输入 张三|输入 " << "张三" << "空白" << "正向的桌签面：张三";
        QTest::newRow("blanks show nothing, Shift+F10")
            << "Shift+F10" << "输入    " << "空白" << "空白" << "正向的桌签面：空白";
        QTest::newRow("turned before any text, from the turned face's uncovered strip")
            << "Picture2" << "旋转" << "空白" << "空白" << "已旋转。倒置的桌签面：空白";
        QTest::newRow("scratch surface opens nothing")
            << "Picture3" << "输入 张三" << "空白" << "空白" << "";
        QTest::newRow("one card") << "Picture1" << "输入 张三|旋转|打印" << "张三" << "张三（倒置）"
            << "正向的桌签面：张三|已旋转。倒置的桌签面：张三（倒置）|正在打印：张三";
        QTest::newRow("new name, face not turned again")
            << "Picture1" << "输入 张三|旋转|输入 李四|打印" << "李四" << "张三（倒置）"
            << "正向的桌签面：张三|已旋转。倒置的桌签面：张三（倒置）|正向的桌签面：李四|"
               "正在打印：正向 李四，倒置 张三";
        // clang-format on
    }
    void menuAndScreenReader() {
        QFETCH(QString, opener);
        QFETCH(QString, steps);
        QFETCH(QString, upright);
        QFETCH(QString, turned);
        QFETCH(QString, spoken);
        QList<qv::test::Heard>* heard = qv::test::listenAsScreenReader();
        if (!heard)
            QSKIP("the platform has no accessibility to turn on");
        qv::test::MainWindow<Form2> w;
        bool drawn = false, opened = false;
        for (const QString& step : steps.split('|', Qt::SkipEmptyParts)) {
            const qsizetype blank = step.indexOf(' ');
            w.script(step.left(blank), blank < 0 ? QString() : step.mid(blank + 1));
            auto* on = opener == "Form2" ? w.form.get() : w.form->findChild<QWidget*>(opener);
            if (!on)
                QTest::keySequence(w.form.get(), QKeySequence(opener));
            else
                QTest::mouseClick(on, Qt::LeftButton, {},
                                  QPoint(100, opener == "Picture2" ? on->height() - 1 : 5));
            drawn =
                drawn || (on != w.form->Picture3 && step.startsWith("输入 ") && step.size() > 3);
            opened = opened || on != w.form->Picture3;
            opener = "Picture1";
        }
        auto reads = [](QObject* o, QAccessible::Text text = QAccessible::Name) {
            return QAccessible::queryAccessibleInterface(o)->text(text);
        };
        // The way into the menu is read with the window until the menu has been found.
        const QString howTo = reads(w.form.get(), QAccessible::Description);
        QCOMPARE(howTo.contains("菜单键") && howTo.contains("Shift+F10"), !opened);
        QCOMPARE(reads(w.form->Picture1), "正向的桌签面：" + upright);
        QCOMPARE(reads(w.form->Picture2), "倒置的桌签面：" + turned);
        QCOMPARE(QAccessible::queryAccessibleInterface(w.form->Picture3)->state().invisible, drawn);
        QStringList notifications, renamed;
        for (const qv::test::Heard& event : *heard) {
            if (event.type == QAccessible::ObjectShow && event.role == QAccessible::Notification)
                notifications << event.name;
            if (event.type == QAccessible::NameChanged && event.object == w.form->Picture1)
                renamed << event.name;
        }
        QCOMPARE(notifications.join('|'), spoken);
        QCOMPARE(renamed.value(renamed.size() - 1), "正向的桌签面：" + upright);
        QCOMPARE(w.e.dialogs.unexpected(), 0);
    }

    // The real boxes: the menu asked for from the keyboard opens on its first item, which a
    // screen reader hears and Enter chooses; Esc leaves the menu, and the input box whatever was
    // typed, with no answer.
    void realBoxesAnswer_data() {
        QTest::addColumn<bool>("menu");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("answer"); // the menu's: the chosen item's index
        QTest::newRow("menu, Enter") << true << int(Qt::Key_Return) << "0";
        QTest::newRow("menu, Esc") << true << int(Qt::Key_Escape) << "-1";
        QTest::newRow("input box, Enter") << false << int(Qt::Key_Return) << "张三";
        QTest::newRow("input box, Esc") << false << int(Qt::Key_Escape) << "";
    }
    void realBoxesAnswer() {
        QFETCH(bool, menu);
        QFETCH(int, key);
        QFETCH(QString, answer);
        QList<qv::test::Heard>* heard = qv::test::listenAsScreenReader();
        if (menu && !heard)
            QSKIP("the platform has no accessibility to turn on");
        QString current;
        // Runs inside the box's own loop, once the box has settled.
        QTimer::singleShot(100, qApp, [&] {
            QWidget* box =
                menu ? QApplication::activePopupWidget() : QApplication::activeModalWidget();
            if (auto* popup = qobject_cast<QMenu*>(box))
                current = popup->activeAction() ? popup->activeAction()->text() : QString();
            else
                box->findChild<QLineEdit*>()->setText(QStringLiteral("张三"));
            // Without a current item Enter would leave the menu open.
            QTest::keyClick(box, menu && current.isEmpty() ? Qt::Key_Escape : Qt::Key(key));
        });
        qv::QtDialogs boxes;
        QCOMPARE(menu ? QString::number(boxes.PopupMenu(nullptr, Form2::menuTitle(),
                                                        Form2::menuItems(), QPoint(100, 100)))
                      : boxes.InputBox(QStringLiteral("姓名")),
                 answer);
        if (menu) {
            QCOMPARE(current, QStringLiteral("字体"));
            QVERIFY(heard->contains({QAccessible::Focus, QAccessible::MenuItem, "字体", {}}));
        }
    }

    // The real menu and input box over the main window. A click, left or right, on a face or
    // the background opens the menu with no item current, so Down, Enter is 字体; the menu key
    // and Shift+F10 open it on 字体. Once the menu has gone, a screen reader hears the command's
    // news first (after the input box's field, before the box goes), then the window, which
    // has the focus back, by its name alone: the hint on opening the menu was read at start.
    void realMenuAndNews_data() {
        QTest::addColumn<QString>("opener"); // a widget clicked, or keys
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("current"); // as the menu shows
        QTest::addColumn<int>("downs");       // to the command
        QTest::addColumn<QStringList>("spoken");
        const QString back = "focus Quorvel 桌签";
        const QStringList input{"focus 请输入需要打印的文字", "news 正向的桌签面：张三", "box gone",
                                back};
        const QStringList rotate{"news 已旋转。倒置的桌签面：空白", back};
        // clang-format off
        QTest::newRow("输入, left click") << "Picture1" << int(Qt::LeftButton) << "" << 2 << input;
        QTest::newRow("旋转, right click") << "Picture2" << int(Qt::RightButton) << "" << 3 << rotate;
        QTest::newRow("打印, right click on the background")
            << "Form2" << int(Qt::RightButton) << "" << 4 << QStringList{"news 正在打印：空白", back};
        QTest::newRow("旋转, menu key") << "Menu" << 0 << "字体" << 2 << rotate;
        QTest::newRow("输入, Shift+F10") << "Shift+F10" << 0 << "字体" << 1 << input;
        // clang-format on
    }
    void realMenuAndNews() {
        QFETCH(QString, opener);
        QFETCH(int, button);
        QFETCH(QString, current);
        QFETCH(int, downs);
        QFETCH(QStringList, spoken);
        QList<qv::test::Heard>* heard = qv::test::listenAsScreenReader();
        if (!heard)
            QSKIP("the platform has no accessibility to turn on");
        qv::test::TestEngine e;
        qv::QtDialogs boxes;
        qv::Engine engine{boxes, e.gdi, e.printer, e.registry, e.shell};
        Form2 form(engine);
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QVERIFY(form.accessibleDescription().contains("Shift+F10"));
        QString shown = "(no menu)";
        // Run inside the menu's loop, then the input box's.
        QTimer::singleShot(100, &form, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            shown = menu->activeAction() ? menu->activeAction()->text() : QString();
            QTimer::singleShot(100, &form, [] {
                // Only 输入 has a box; the others are done by now.
                QWidget* box = QApplication::activeModalWidget();
                if (!box)
                    return;
                box->findChild<QLineEdit*>()->setText(QStringLiteral("张三"));
                QTest::keyClick(box, Qt::Key_Return);
            });
            for (int i = 0; i < downs; ++i)
                QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        if (QWidget* on = opener == "Form2" ? &form : form.findChild<QWidget*>(opener))
            QTest::mouseClick(on, Qt::MouseButton(button), {}, QPoint(5, on->height() - 5));
        else
            QTest::keySequence(&form, QKeySequence(opener));
        auto said = [heard] {
            QStringList told;
            for (const qv::test::Heard& event : *heard) {
                if (event.type == QAccessible::PopupMenuEnd)
                    told.clear();
                if (event.type == QAccessible::DialogEnd)
                    told << "box gone";
                if (event.type == QAccessible::Focus)
                    told << "focus " + event.name;
                if (event.type == QAccessible::ObjectShow &&
                    event.role == QAccessible::Notification)
                    told << "news " + event.name;
            }
            return told;
        };
        QCOMPARE(shown, current);
        QTRY_COMPARE(said().value(said().size() - 1), spoken.constLast());
        QCOMPARE(said(), spoken);
        QVERIFY(form.hasFocus());
        QCOMPARE(form.accessibleDescription(), QString());
    }

    // What a screen reader finds in the real font dialog and in the dialog that waits for the
    // print service at the end: the font dialog's three lists by the names of their columns,
    // the waiting dialog's text once only.
    void realBoxesNamed() {
        if (!QAccessible::queryAccessibleInterface(qApp))
            QSKIP("the platform has no accessibility");
        QStringList lists;
        QString sizes;
        // Runs inside the font dialog's loop.
        QTimer::singleShot(100, qApp, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            QList<QListView*> views = dialog->findChildren<QListView*>();
            std::sort(views.begin(), views.end(),
                      [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
            for (QListView* view : views)
                lists << view->accessibleName();
            sizes = views.value(2)->model()->index(0, 0).data().toString();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        qv::QtDialogs().createFontDialog()->ShowFont();
        QCOMPARE(lists, (QStringList{"字体", "字形", "大小"}));
        QVERIFY(sizes.toInt() > 0);

        qv::PrintWaitDialog waiting([] { return 2; });
        QStringList heard;
        std::function<void(QAccessibleInterface*)> read = [&](QAccessibleInterface* node) {
            heard << node->text(QAccessible::Name) << node->text(QAccessible::Description);
            for (int i = 0; i < node->childCount(); ++i)
                read(node->child(i));
        };
        read(QAccessible::queryAccessibleInterface(&waiting));
        QCOMPARE(heard.filter(QStringLiteral("还有 2 张桌签")).size(), 1);
    }

    // Run at 96, 120 and 144 dots per inch: the sheet keeps its size in twips, and the card
    // fills the upright face in the font dialog's choice, even a face the system lacks; a
    // cancelled dialog keeps the card's face. A document the print system refuses is told in
    // a box, and neither ends the program nor touches the card. A run-time error nobody traps
    // is told by number and text, then the program ends.
    void cardCommands_data() {
        QTest::addColumn<QString>("font"); // chosen before the input; null: cancelled
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("told");
        QTest::addColumn<int>("exitCode"); // -1: the program goes on
        // clang-format off
        QTest::newRow("font dialog cancelled") << QString() << "打印" << QStringList() << -1;
        QTest::newRow("unknown face") << "无此字体 NoSuchFace" << "打印" << QStringList() << -1;
        QTest::newRow("refused") << "隶书" << "打印" << QStringList{
            "这张桌签没有打印：打印机“Quorvel”拒绝了这份打印任务。\n\n打印系统给出的原因：纸盒空了"} << -1;
        // The turned face is made too tall for the half-turn.
        QTest::newRow("untrapped overflow in the turn")
            << "隶书" << "旋转" << QStringList{"运行时错误 '6':\n\n溢出"} << 1;
        // clang-format on
    }
    void cardCommands() {
        QFETCH(QString, font);
        QFETCH(QString, command);
        QFETCH(QStringList, told);
        QFETCH(int, exitCode);
        const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
        QCOMPARE(qv::Screen::TwipsPerPixelX(), float(1440 / dpi));
        qv::test::MainWindow<Form2> w;
        QVERIFY(qAbs(w.form->width() * 1440 / dpi - 10755) <= 1440 / dpi);
        QVERIFY(qAbs(w.form->Picture1->Width() - 9615) <= qv::Screen::TwipsPerPixelX());
        // The fold runs across the middle: upright face below it, turned face above, aligned.
        const QRect upright = w.form->Picture1->geometry(), turned = w.form->Picture2->geometry();
        QVERIFY(upright.top() > w.form->height() / 2 && turned.bottom() < w.form->height() / 2);
        QCOMPARE(upright.left(), turned.left());
        w.command(QStringLiteral("字体"), font);
        w.command(QStringLiteral("输入"), QStringLiteral("李"));
        QCOMPARE(w.form->Picture3->FontName(), font.isNull() ? QStringLiteral("隶书") : font);
        const QImage card = w.form->Picture1->retainedImage().copy();
        const QRect ink = qv::test::inkBounds(card);
        QVERIFY(ink.left() < card.width() / 5 && ink.right() > card.width() * 4 / 5);
        if (exitCode > 0)
            w.form->Picture2->setHeight(32767.0f * qv::Screen::TwipsPerPixelY());
        if (command == "打印" && !told.isEmpty())
            w.e.printer.refusal = {qv::PrintFailure::Reason::Refused, "Quorvel", "纸盒空了"};
        w.command(command);
        QCOMPARE(qv::test::takeProgramEnd().value_or(-1), exitCode);
        QCOMPARE(w.e.dialogs.messages(), told);
        QCOMPARE(qv::test::differingPixels(card, w.form->Picture1->retainedImage()), 0);
    }

    // A card the print system did not take, told while a box has the keyboard, waits: the
    // name being typed goes whole into the box, and Return closes the box, not the news. Back
    // at the window, the news is told, once.
    void printFailureWaitsForTheKeyboard() {
        qv::test::MainWindow<Form2> w;
        w.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        QInputDialog box(w.form.get());
        box.setLabelText(QStringLiteral("请输入需要打印的文字"));
        QTimer::singleShot(0, &box, [&] {
            // A check that fails here must not leave the box open.
            auto closeBox = qScopeGuard([&box] { box.done(QDialog::Rejected); });
            QVERIFY(QTest::qWaitForWindowActive(&box));
            QTRY_VERIFY(box.isAncestorOf(QApplication::focusWidget()));
            emit w.e.printer.notPrinted({qv::PrintFailure::Reason::NotAnswering, {}, {}});
            for (const QChar typed : QStringLiteral("许四海林"))
                QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown,
                                    QString(typed), Qt::NoModifier);
            QVERIFY(w.e.dialogs.messages().isEmpty());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QVERIFY(!box.isVisible());
            closeBox.dismiss();
        });
        QCOMPARE(box.exec(), int(QDialog::Accepted));
        QCOMPARE(box.textValue(), QStringLiteral("许四海林"));
        QTRY_COMPARE(w.e.dialogs.messages().size(), 1);
        QVERIFY(w.e.dialogs.messages().front().startsWith("这张桌签没有打印：打印服务没有响应"));
    }
};

QTEST_MAIN(TestForm2)
#include "test_form2.moc"
