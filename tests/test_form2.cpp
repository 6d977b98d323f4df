#include "TestSupport.h"

#include "Form2.h"
#include "runtime/Engine.h"
#include "runtime/PictureBox.h"
#include "runtime/Screen.h"

#include <QApplication>
#include <QInputDialog>
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

    // On any screen the window opens with its title bar on it, showing as much of the sheet as
    // the screen has room for (also run on a 1280 x 1024 screen at 192 dots per inch, and
    // scaled by 1.5, where the sheet is taller than the screen).
    void windowOnScreen() {
        qv::test::MainWindow<Form2> w;
        const QRect free = w.form->screen()->availableGeometry(), frame = w.form->frameGeometry(),
                    shown = frame & free;
        QVERIFY(free.contains(frame.topLeft()));
        QCOMPARE(shown.width(), std::min(frame.width(), free.width()));
        QCOMPARE(shown.height(), std::min(frame.height(), free.height()));
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
        // As the desktop, or the program's own boxes, hand the keyboard back.
        w.form->activateWindow();
        QTRY_COMPARE(w.e.dialogs.messages().size(), 1);
        QVERIFY(w.e.dialogs.messages().front().startsWith("这张桌签没有打印：打印服务没有响应"));
    }

    // News that waits while About has the keyboard is told when the window closes, once.
    void printFailureToldWhenTheWindowCloses() {
        qv::test::MainWindow<Form2> w;
        QWidget* about = w.openAbout();
        QVERIFY(about);
        about->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(about));
        emit w.e.printer.notPrinted({qv::PrintFailure::Reason::Unreachable, {}, {}});
        QVERIFY(w.e.dialogs.messages().isEmpty());
        w.form->close();
        QCOMPARE(w.e.dialogs.messages().size(), 1);
        QVERIFY(w.e.dialogs.messages().front().contains("连接不上打印服务"));
    }
};

QTEST_MAIN(TestForm2)
#include "test_form2.moc"
