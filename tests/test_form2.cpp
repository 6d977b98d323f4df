#include "TestSupport.h"

#include "Form2.h"
#include "NewsPresenter.h"
#include "PrintWaitDialog.h"
#include "runtime/Engine.h"
#include "runtime/PictureBox.h"
#include "runtime/Screen.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>

using Window = qv::test::MainWindow<Form2>;

class TestForm2 : public QObject {
    Q_OBJECT
    QStringList* heard = nullptr;
private slots:
    void initTestCase() {
        qv::test::setUpProgramEnvironment();
        heard = qv::test::listenAsScreenReader();
    }
    void init() {
        if (heard)
            heard->clear();
    }

    // A screen reader hears what each face shows once it is drawn or turned, and a short word
    // after each command; how to open the menu is read with the window until it has been
    // opened. The scratch surface opens nothing.
    void facesAndNews_data() {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QStringList>("answers"); // to each item, null for none
        QTest::addColumn<QString>("upright");
        QTest::addColumn<QString>("turned");
        QTest::addColumn<QStringList>("news");
        const QString none;
        // clang-format off
        QTest::newRow("at start") << QStringList() << QStringList() << "空白" << "空白" << QStringList();
        QTest::newRow("empty input keeps the card") << QStringList{"输入", "输入"}
            << QStringList{"张三", ""} << "张三" << "空白" << QStringList{"正向的桌签面：张三"};
        QTest::newRow("blanks show nothing") << QStringList{"输入"} << QStringList{"    "}
            << "空白" << "空白" << QStringList{"正向的桌签面：空白"};
        QTest::newRow("new name, face not turned again")
            << QStringList{"输入", "旋转", "输入", "打印"} << QStringList{"张三", none, "李四", none}
            << "李四" << "张三（倒置）" << QStringList{"正向的桌签面：张三",
               "已旋转。倒置的桌签面：张三（倒置）", "正向的桌签面：李四", "正在打印：正向 李四，倒置 张三"};
        // clang-format on
    }
    void facesAndNews() {
        QFETCH(QStringList, items);
        QFETCH(QStringList, answers);
        QFETCH(QString, upright);
        QFETCH(QString, turned);
        QFETCH(QStringList, news);
        if (!heard)
            QSKIP("the platform has no accessibility to turn on");
        Window w;
        QTest::mouseClick(w.form->Picture3, Qt::LeftButton);
        for (qsizetype i = 0; i < items.size(); ++i)
            w.command(items[i], answers[i]);
        QCOMPARE(w.form->accessibleDescription().contains("Shift+F10"), items.isEmpty());
        QCOMPARE(w.form->Picture2->accessibleName(), "倒置的桌签面：" + turned);
        QCOMPARE(heard->filter(QRegularExpression("^news ")).replaceInStrings("news ", ""), news);
        QCOMPARE(heard->filter("name 正向").constLast(), "name 正向的桌签面：" + upright);
        QCOMPARE(w.e.dialogs.unexpected(), 0);
    }

    // Run at 96, 120 and 144 dots per inch: the sheet keeps its size in twips, the fold runs
    // across the middle, and the card fills the upright face in the font dialog's choice, even
    // a face the system lacks; a cancelled dialog keeps the card's face. A document the print
    // system refuses is told in a box, and neither ends the program nor touches the card. A
    // run-time error nobody traps is told by number and text, then the program ends.
    void cardCommands_data() {
        QTest::addColumn<QString>("font"); // chosen before the input; null: cancelled
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("told");
        QTest::addColumn<int>("exitCode");       // -1: the program goes on
        QTest::addColumn<float>("turnedHeight"); // in twips, set before the command
        // clang-format off
        QTest::newRow("font dialog cancelled") << QString() << "打印" << QStringList() << -1 << 3540.f;
        QTest::newRow("unknown face") << "无此字体 NoSuchFace" << "打印" << QStringList() << -1 << 3540.f;
        QTest::newRow("refused") << "隶书" << "打印" << QStringList{
            "这张桌签没有打印：打印机“Quorvel”拒绝了这份打印任务。\n\n打印系统给出的原因：纸盒空了"} << -1 << 3540.f;
        QTest::newRow("untrapped overflow in the turn")
            << "隶书" << "旋转" << QStringList{"运行时错误 '6':\n\n溢出"} << 1 << 491505.f; // too tall for the half-turn
        // clang-format on
    }
    void cardCommands() {
        QFETCH(QString, font);
        QFETCH(QString, command);
        QFETCH(QStringList, told);
        QFETCH(int, exitCode);
        QFETCH(float, turnedHeight);
        const float twips = 1440 / QGuiApplication::primaryScreen()->logicalDotsPerInchX();
        QCOMPARE(qv::Screen::TwipsPerPixelX(), twips);
        Window w;
        QVERIFY(qAbs(w.form->width() * twips - 10755) <= twips);
        QVERIFY(qAbs(w.form->Picture1->Width() - 9615) <= twips);
        const QRect upright = w.form->Picture1->geometry(), turned = w.form->Picture2->geometry();
        QVERIFY(upright.top() > w.form->height() / 2 && turned.bottom() < w.form->height() / 2);
        QCOMPARE(upright.left(), turned.left());
        w.command("字体", font);
        w.command("输入", "李");
        QCOMPARE(w.form->Picture3->FontName(), font.isNull() ? "隶书" : font);
        const QImage card = w.form->Picture1->retainedImage().copy();
        const QRect ink = qv::test::inkBounds(card);
        QVERIFY(ink.left() < card.width() / 5 && ink.right() > card.width() * 4 / 5);
        w.form->Picture2->setHeight(turnedHeight);
        if (!told.isEmpty())
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
        Window w;
        const QRect free = w.form->screen()->availableGeometry(), frame = w.form->frameGeometry(),
                    shown = frame & free;
        QVERIFY(free.contains(frame.topLeft()));
        QCOMPARE(shown.width(), std::min(frame.width(), free.width()));
        QCOMPARE(shown.height(), std::min(frame.height(), free.height()));
    }

    // A card the print system did not take, told while a box has the keyboard, waits: the
    // name being typed goes whole into the box, and Return closes the box, not the news. Back
    // at the window, the news is told, once. News that waits while About has the keyboard is
    // told when the window closes, once; with the window gone (main() keeps the presenter while
    // it waits for the print service), news is told at once.
    void newsWaitsForTheKeyboard() {
        qv::test::TestEngine e;
        qv::NewsPresenter news(e.dialogs, e.printer);
        QPointer<Form2> form = new Form2(e.engine, &news);
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        auto* box = new QInputDialog(form);
        QTimer::singleShot(0, box, [&] {
            QTRY_VERIFY(box->isAncestorOf(QApplication::focusWidget()));
            emit e.printer.notPrinted({qv::PrintFailure::Reason::NotAnswering, {}, {}});
            for (const QChar typed : QStringLiteral("许四海林"))
                QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown,
                                    QString(typed), Qt::NoModifier);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            if (box->isVisible()) // Return did not close it
                box->reject();
        });
        QCOMPARE(box->exec(), int(QDialog::Accepted));
        QCOMPARE(box->textValue(), "许四海林");
        QVERIFY(e.dialogs.messages().isEmpty());
        form->activateWindow();
        QTRY_COMPARE(e.dialogs.messages().size(), 1);
        QVERIFY(e.dialogs.messages().front().startsWith("这张桌签没有打印：打印服务没有响应"));
        form->关于_Click();
        QVERIFY(QTest::qWaitForWindowActive(form->aboutDialog()));
        emit e.printer.notPrinted({qv::PrintFailure::Reason::Unreachable, {}, {}});
        QCOMPARE(e.dialogs.messages().size(), 1);
        form->close();
        QCOMPARE(e.dialogs.messages().size(), 2);
        QVERIFY(e.dialogs.messages().back().contains("连接不上打印服务"));
        QTRY_VERIFY(!form);
        emit e.printer.notPrinted({qv::PrintFailure::Reason::Refused, "Quorvel", {}});
        QCOMPARE(e.dialogs.messages().size(), 3);
    }

    // At the end, the dialog that waits for the print service counts even the last card.
    void waitingDialogCounts() {
        qv::test::RecordingPrinter printer;
        printer.waitingCards = 1;
        qv::PrintWaitDialog waiting(printer);
        QVERIFY(waiting.findChild<QLabel*>()->text().startsWith("还有 1 张桌签"));
    }
};

QTEST_MAIN(TestForm2)
#include "test_form2.moc"
