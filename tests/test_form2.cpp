#include "TestSupport.h"

#include "Form2.h"
#include "runtime/PictureBox.h"
#include "runtime/Screen.h"
#include "system/QtDialogs.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>

using qv::Screen;

using Window = qv::test::MainWindow<Form2>;

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
    // not; so do the menu key and Shift+F10. Each opens it once: a second menu finds no step.
    void menuOpeners_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("key"); // with its modifiers; 0: a click
        QTest::addColumn<bool>("opens");
        QTest::newRow("background") << "Form2" << 0 << true;
        QTest::newRow("upright face") << "Picture1" << 0 << true;
        QTest::newRow("turned face, uncovered strip") << "Picture2" << 0 << true;
        QTest::newRow("scratch surface") << "Picture3" << 0 << false;
        QTest::newRow("menu key") << "Form2" << int(Qt::Key_Menu) << true;
        QTest::newRow("Shift+F10") << "Form2" << (Qt::SHIFT | Qt::Key_F10).toCombined() << true;
    }
    void menuOpeners() {
        QFETCH(QString, target);
        QFETCH(int, key);
        QFETCH(bool, opens);
        Window w;
        w.dialogs.choose(QStringLiteral("输入")).answer(QStringLiteral("李"));
        QWidget* widget = target == "Form2" ? w.form.get() : w.form->findChild<QWidget*>(target);
        if (key)
            QTest::keyClick(widget, Qt::Key(key & ~Qt::KeyboardModifierMask),
                            Qt::KeyboardModifiers(key & Qt::KeyboardModifierMask));
        else
            QTest::mouseClick(widget, Qt::LeftButton, {},
                              target == "Picture2" ? QPoint(100, widget->height() - 1) : QPoint(5, 5));
        QCOMPARE(w.form->CardText, opens ? QStringLiteral("李") : QString());
        QCOMPARE(w.dialogs.unexpected(), 0);
    }

    // A screen reader hears how to open the menu, what each face shows once it is drawn or
    // turned, and a short word after each command; the scratch surface drops out once drawn.
    void screenReaderHearsTheCard_data() {
        QTest::addColumn<QString>("steps"); // items, each with its answer after a blank
        QTest::addColumn<QString>("upright");
        QTest::addColumn<QString>("turned");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("at start") << "" << "空白" << "空白" << "";
        QTest::newRow("drawn") << "输入 张三" << "张三" << "空白" << "正向的桌签面：张三";
        QTest::newRow("empty input keeps it") << "输入 张三|输入 " << "张三" << "空白"
                                              << "正向的桌签面：张三";
        QTest::newRow("blanks show nothing") << "输入    " << "空白" << "空白" << "正向的桌签面：空白";
        QTest::newRow("turned before any text")
            << "旋转" << "空白" << "空白" << "已旋转。倒置的桌签面：空白";
        QTest::newRow("one card") << "输入 张三|旋转|打印" << "张三" << "张三（倒置）"
                                  << "正向的桌签面：张三|已旋转。倒置的桌签面：张三（倒置）|正在打印：张三";
        QTest::newRow("new name, face not turned again")
            << "输入 张三|旋转|输入 李四|打印" << "李四" << "张三（倒置）"
            << "正向的桌签面：张三|已旋转。倒置的桌签面：张三（倒置）|正向的桌签面：李四|"
               "正在打印：正向 李四，倒置 张三";
    }
    void screenReaderHearsTheCard() {
        QFETCH(QString, steps);
        QFETCH(QString, upright);
        QFETCH(QString, turned);
        QFETCH(QString, spoken);
        QList<qv::test::Heard>* heard = qv::test::listenAsScreenReader();
        if (!heard)
            QSKIP("Qt's platform headers were missing at build time: accessibility cannot be on");
        Window w;
        bool drawn = false;
        for (const QString& step : steps.split('|', Qt::SkipEmptyParts)) {
            const qsizetype blank = step.indexOf(' ');
            w.command(step.left(blank), blank < 0 ? QString() : step.mid(blank + 1));
            drawn = drawn || (step.startsWith("输入 ") && step.size() > 3); // not empty
        }
        auto reads = [](QObject* o, QAccessible::Text text = QAccessible::Name) {
            return QAccessible::queryAccessibleInterface(o)->text(text);
        };
        const QString howTo = reads(w.form.get(), QAccessible::Description);
        QVERIFY2(howTo.contains("菜单键") && howTo.contains("Shift+F10"), qPrintable(howTo));
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
        QCOMPARE(w.dialogs.unexpected(), 0);
    }

    // The real boxes: the menu opens on its first item, which a screen reader hears and Enter
    // chooses; Esc leaves the menu, and the input box whatever was typed, with no answer.
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
            QSKIP("Qt's platform headers were missing at build time: accessibility cannot be on");
        QString current;
        // Posted twice, so it runs inside the box's own loop once the box has settled.
        auto later = [](auto call) { QMetaObject::invokeMethod(qApp, call, Qt::QueuedConnection); };
        later([&] {
            later([&] {
                QWidget* box = menu ? QApplication::activePopupWidget()
                                    : QApplication::activeModalWidget();
                if (auto* popup = qobject_cast<QMenu*>(box))
                    current = popup->activeAction() ? popup->activeAction()->text() : QString();
                else
                    box->findChild<QLineEdit*>()->setText(QStringLiteral("张三"));
                // Without a current item Enter would leave the menu open.
                QTest::keyClick(box, menu && current.isEmpty() ? Qt::Key_Escape : Qt::Key(key));
            });
        });
        qv::QtDialogs boxes;
        QCOMPARE(menu ? QString::number(boxes.PopupMenu(nullptr, Form2::menuTitle(),
                                                        Form2::menuItems(), QPoint(100, 100)))
                      : boxes.InputBox(QStringLiteral("姓名")),
                 answer);
        if (menu) {
            QCOMPARE(current, QStringLiteral("字体"));
            QVERIFY(std::any_of(heard->begin(), heard->end(), [](const qv::test::Heard& e) {
                return e.type == QAccessible::Focus && e.role == QAccessible::MenuItem &&
                       e.name == "字体";
            }));
        }
    }

    // The font dialog's choice, even a face the system lacks, is used by the next input; a
    // cancelled one keeps the card's face. A failing statement of the print job is passed over,
    // the document still ended where it can; a document the print system refuses is told in a
    // box; neither ends the program or touches the card. A run-time error nobody traps is told
    // by number and text, then the program ends.
    void commandOutcomes_data() {
        QTest::addColumn<QString>("font"); // chosen before the input; null: cancelled
        QTest::addColumn<QString>("failing"); // in the printer, or "turn": a face too tall
        QTest::addColumn<QStringList>("told");
        QTest::addColumn<int>("ended"); // documents
        QTest::addColumn<int>("exitCode"); // -1: the program goes on
        const QString card = "隶书", none;
        QTest::newRow("font dialog cancelled") << none << none << QStringList() << 1 << -1;
        QTest::newRow("unknown face") << "无此字体 NoSuchFace" << none << QStringList() << 1 << -1;
        QTest::newRow("drawing fails") << card << "drawing" << QStringList() << 1 << -1;
        QTest::newRow("ending fails") << card << "ending" << QStringList() << 0 << -1;
        QTest::newRow("refused") << card << "refusal" << QStringList{"没有打印"} << 1 << -1;
        QTest::newRow("untrapped overflow in the turn")
            << card << "turn" << QStringList{"运行时错误 '6':\n\n溢出"} << 0 << 1;
    }
    void commandOutcomes() {
        QFETCH(QString, font);
        QFETCH(QString, failing);
        QFETCH(QStringList, told);
        QFETCH(int, ended);
        QFETCH(int, exitCode);
        Window w;
        w.command(QStringLiteral("字体"), font);
        w.command(QStringLiteral("输入"), QStringLiteral("张三"));
        QCOMPARE(w.form->Picture3->FontName(), font.isNull() ? QStringLiteral("隶书") : font);
        const QImage card = w.form->Picture1->retainedImage().copy();
        QVERIFY(qv::test::inkBounds(card).isValid());
        w.e.printer.failing = failing;
        w.e.printer.refusal = failing == "refusal" ? told.value(0) : QString();
        if (failing == "turn")
            w.form->Picture2->setHeight(32767.0f * Screen::TwipsPerPixelY());
        w.command(failing == "turn" ? QStringLiteral("旋转") : QStringLiteral("打印"));
        QCOMPARE(qv::test::takeProgramEnd().value_or(-1), exitCode);
        QCOMPARE(w.dialogs.messages(), told);
        QCOMPARE(w.e.printer.documentsEnded, ended);
        QCOMPARE(qv::test::differingPixels(card, w.form->Picture1->retainedImage()), 0);
    }
};

QTEST_MAIN(TestForm2)
#include "test_form2.moc"
