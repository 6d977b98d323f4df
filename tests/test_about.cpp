#include "TestSupport.h"

#include "Form2.h"
#include "about/SystemInformation.h"
#include "about/frmAbout.h"
#include "runtime/Engine.h"
#include "runtime/PictureBox.h"
#include "system/QtDialogs.h"
#include "system/QtShell.h"
#include "system/Startup.h"
#include "system/SystemRegistry.h"
#include "system/Translations.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

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

    // Tab goes from OK to the system-information button to the link, never to the icon; a
    // click on the link, and Enter or Space on it, opens the address once and the dialog stays;
    // an address no program opens is told, with the address to type in elsewhere; Esc still
    // closes the dialog.
    void linkOpensByMouseAndKeyboard() {
        test::MainWindow<Form2> w;
        QPointer<frmAbout> dialog = w.openAbout();
        QVERIFY(dialog);
        frmAbout& d = *dialog;
        QTest::mouseClick(d.Label1, Qt::LeftButton);
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QList<QWidget*> stops;
        for (int i = 0; i < 3; ++i) {
            stops << QApplication::focusWidget();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(stops, (QList<QWidget*>{d.cmdOK, d.cmdSysInfo, d.Label1}));
        QVERIFY(!QAccessible::queryAccessibleInterface(d.picIcon)->state().focusable);
        QTest::keyClick(&d, Qt::Key_Tab, Qt::ShiftModifier);
        QAccessibleInterface* link = QAccessible::queryAccessibleInterface(d.Label1);
        QVERIFY(link->state().focused);
        QVERIFY(link->text(QAccessible::Description).contains("回车"));
        QTest::keyClick(d.Label1, Qt::Key_Return);
        QTest::keyClick(d.Label1, Qt::Key_Space);
        QTest::keyClick(d.Label1, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(w.e.shell.opened, QStringList(4, frmAbout::webAddress()));
        QCOMPARE(w.e.dialogs.messages(), QStringList());
        w.e.shell.opensUrls = false;
        QTest::keyClick(d.Label1, Qt::Key_Return);
        QCOMPARE(w.e.dialogs.messages().filter(frmAbout::webAddress()).size(), 1);
        QVERIFY(dialog);
        QTest::keyClick(d.Label1, Qt::Key_Escape);
        QVERIFY(!d.isVisible());
    }

    // The real desktop starts only programs: a file that is not one (plain text, or text marked
    // executable with no interpreter line) is told as system information being unavailable,
    // and the dialog stays.
    void realShellStartsOnlyPrograms_data() {
        QTest::addColumn<QByteArray>("content"); // of the file location 1 names; null: /bin/true
        QTest::addColumn<bool>("executable");
        QTest::addColumn<QStringList>("told");
        const QStringList unavailable{QStringLiteral("此时系统信息不可用")};
        QTest::newRow("a program") << QByteArray() << true << QStringList();
        QTest::newRow("text") << QByteArray("系统信息\n") << false << unavailable;
        QTest::newRow("text marked executable") << QByteArray("系统信息\n") << true << unavailable;
    }
    void realShellStartsOnlyPrograms() {
        QFETCH(QByteArray, content);
        QFETCH(bool, executable);
        QFETCH(QStringList, told);
        QTemporaryDir dir;
        QString tool = dir.filePath(QStringLiteral("系统信息"));
        QFile file(tool);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner |
                                    (executable ? QFile::ExeOwner : QFile::Permissions())));
        if (content.isNull())
            tool = QStringLiteral("/bin/true");
        test::TestEngine e;
        QtShell shell;
        Engine engine{e.dialogs, e.gdi, e.printer, e.registry, shell};
        e.registry.setValue(about::ToolPathKey, "PATH", Registry::REG_SZ, tool.toUtf8() + '\0');
        frmAbout dialog(engine);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(dialog.cmdSysInfo, Qt::LeftButton);
        QCOMPARE(e.dialogs.messages(), told);
        QVERIFY(dialog.isVisible());
    }

    // A screen reader hears the link as a link, with what it opens, and can follow it; after
    // the real message box of the system-information button closes, the keyboard is back in
    // About, where Esc closes it.
    void screenReaderInAbout() {
        QList<test::Heard>* heard = test::listenAsScreenReader();
        if (!heard)
            QSKIP("the platform has no accessibility to turn on");
        test::MainWindow<Form2> w;
        QtDialogs boxes;
        Engine engine{boxes, w.e.gdi, w.e.printer, w.e.registry, w.e.shell};
        QPointer<frmAbout> dialog = new frmAbout(engine);
        dialog->show();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QAccessibleInterface* link = QAccessible::queryAccessibleInterface(dialog->Label1);
        QCOMPARE(link->role(), QAccessible::Link);
        QCOMPARE(link->text(QAccessible::Name), frmAbout::webAddress());
        QVERIFY(link->text(QAccessible::Description).contains("网页"));
        QVERIFY(link->actionInterface());
        link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(w.e.shell.opened, QStringList(frmAbout::webAddress()));
        QString told;
        // Runs inside the box's own loop.
        QTimer::singleShot(100, dialog, [&told] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            told = box->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog->cmdSysInfo);
        QTest::keyClick(dialog->cmdSysInfo, Qt::Key_Space);
        QCOMPARE(told, QStringLiteral("此时系统信息不可用"));
        QTRY_COMPARE(QApplication::activeWindow(), dialog.data());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!dialog);
    }

    // The system's services: its store looks the tool up when asked for, the newer hardinfo2
    // first, nothing once PATH holds neither; a warning while the application object is made
    // does not end the program, only a display that cannot open does; Qt's own dialog texts are
    // in Chinese. Last, as the translations stay.
    void systemServices() {
        QTemporaryDir dir;
        for (const QString name : {"hardinfo", "hardinfo2"})
            QVERIFY(QFile(dir.filePath(name)).open(QIODevice::WriteOnly) &&
                    QFile::setPermissions(dir.filePath(name), QFile::ReadOwner | QFile::ExeOwner));
        SystemRegistry store;
        const QByteArray path = qgetenv("PATH");
        auto lookUp = [&](const QByteArray& on) {
            qputenv("PATH", on);
            QString found;
            about::GetKeyValue(store, Registry::HKEY_LOCAL_MACHINE, about::ToolPathKey, "PATH",
                               found);
            qputenv("PATH", path);
            return found;
        };
        QCOMPARE(lookUp(dir.path().toLocal8Bit()), dir.filePath("hardinfo2"));
        QCOMPARE(lookUp("/nonexistent"), QString());
        installStartupMessageHandler();
        qWarning("a warning, not a display that cannot open");
        removeStartupMessageHandler();
        if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_zh_CN.qm"))
            QSKIP("Qt's Chinese translations (qt6-translations-l10n) are not installed");
        QVERIFY(installQtTranslations());
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
