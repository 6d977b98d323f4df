#include "TestSupport.h"

#include "Form2.h"
#include "about/SystemInformation.h"
#include "about/frmAbout.h"
#include "runtime/Engine.h"
#include "runtime/PictureBox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

using namespace qv;
class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::setUpProgramEnvironment(); }

    // The system-information button starts the tool named by location 1 (a text less its
    // zero, a number as hexadecimal digits), else MSINFO32.EXE in location 2's folder C:\Win,
    // else says it cannot. No key stays open, the dialog stays.
    void systemInformationButton_data() {
        QTest::addColumn<uint>("type"); // of location 1's value; 0: none
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("file"); // the one file there is
        QTest::addColumn<QString>("started");
        const QString tool = "C:\\Win\\MSINFO32.EXE", none;
        // clang-format off
        QTest::newRow("location 1") << 1u << QByteArray("/bin/x\0", 7) << "/bin/x" << "/bin/x";
        QTest::newRow("1024 bytes, no zero, missing file still started")
            << 1u << QByteArray(1024, 'b') << none << QString(1024, 'b');
        QTest::newRow("more than 1024 bytes") << 1u << QByteArray(1025, 'c') << tool << tool;
        // An error stops the search before location 2.
        QTest::newRow("0 bytes") << 1u << QByteArray("") << tool << none;
        QTest::newRow("number") << 4u << QByteArray("\x12\x34\x56\x78") << none << "&h78563412";
        // The top byte's zero sits at position 4 and is dropped like a text's zero.
        QTest::newRow("small number") << 4u << QByteArray("\1\2\3", 4) << none << "&h321";
        QTest::newRow("location 2") << 0u << QByteArray() << tool << tool;
        QTest::newRow("location 2 without the file") << 0u << QByteArray() << none << none;
        // clang-format on
    }
    void systemInformationButton() {
        QFETCH(uint, type);
        QFETCH(QByteArray, data);
        QFETCH(QString, file);
        QFETCH(QString, started);
        test::MainWindow<Form2> w;
        QPointer<frmAbout> dialog = w.openAbout();
        QVERIFY(dialog);
        if (type)
            w.e.registry.setValue(about::ToolPathKey, "PATH", type, data);
        w.e.registry.setValue(about::ToolFolderKey, "MSINFO", Registry::REG_SZ, "C:\\Win");
        w.e.shell.files = QStringList(file);
        QTest::mouseClick(dialog->cmdSysInfo, Qt::LeftButton);
        QCOMPARE(w.e.shell.started, started.isNull() ? QStringList() : QStringList(started));
        QCOMPARE(w.e.dialogs.messages().size(), int(started.isNull() || file != started));
        QCOMPARE(w.e.registry.openKeys(), std::size_t(0));
        QVERIFY(dialog && dialog->isVisible());
    }

    // A click on the link, Enter or Space on it, and a screen reader's press, open the address
    // once each (a key held down opens it once) and the dialog stays; an address no program
    // opens is told, with the address to type in elsewhere. The icon takes no focus.
    void linkOpensByMouseAndKeyboard() {
        test::MainWindow<Form2> w;
        QPointer<frmAbout> dialog = w.openAbout();
        QVERIFY(dialog);
        frmAbout& d = *dialog;
        QCOMPARE(d.lblVersion->text(), "版本 1.1.1");
        QVERIFY(!QAccessible::queryAccessibleInterface(d.picIcon)->state().focusable);
        QAccessibleInterface* link = QAccessible::queryAccessibleInterface(d.Label1);
        QCOMPARE(link->role(), QAccessible::Link);
        QCOMPARE(link->text(QAccessible::Name), frmAbout::webAddress());
        QVERIFY(link->text(QAccessible::Description).contains("回车"));
        QTest::mouseClick(d.Label1, Qt::LeftButton);
        link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTest::keyClick(d.Label1, Qt::Key_Return);
        QTest::keyClick(d.Label1, Qt::Key_Space);
        QTest::keyClick(d.Label1, Qt::Key_Enter, Qt::KeypadModifier);
        QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(d.Label1, &held);
        QCOMPARE(w.e.shell.opened, QStringList(5, frmAbout::webAddress()));
        QCOMPARE(w.e.dialogs.messages(), QStringList());
        w.e.shell.opensUrls = false;
        QTest::keyClick(d.Label1, Qt::Key_Return);
        QCOMPARE(w.e.dialogs.messages().filter(frmAbout::webAddress()).size(), 1);
        QVERIFY(dialog && dialog->isVisible());
    }

    // Whatever the desktop's font size, each text shows whole: a wrapped label is as tall as
    // its lines, the address and the buttons as wide as their text, all inside the dialog.
    void textsShowWhole_data() {
        QTest::addColumn<int>("points"); // the desktop font's size; 0: as it is
        QTest::newRow("usual font") << 0;
        QTest::newRow("large desktop font") << 20;
    }
    void textsShowWhole() {
        QFETCH(int, points);
        const QFont usual = QApplication::font();
        QFont font = usual;
        if (points)
            font.setPointSize(points);
        QApplication::setFont(font);
        test::MainWindow<Form2> w;
        QPointer<frmAbout> dialog = w.openAbout();
        QApplication::setFont(usual);
        QVERIFY(dialog);
        for (QWidget* text : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const auto* label = qobject_cast<QLabel*>(text);
            if (label && !label->pixmap().isNull())
                continue;
            QVERIFY2(label && label->wordWrap()
                         ? label->height() >= label->heightForWidth(label->width())
                         : text->width() >= text->sizeHint().width(),
                     qPrintable(text->objectName()));
            QVERIFY(dialog->rect().contains(text->geometry()));
        }
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
