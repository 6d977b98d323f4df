#include "TestSupport.h"

#include "Form2.h"
#include "about/SystemInformation.h"
#include "about/frmAbout.h"
#include "runtime/AnsiCodePage.h"
#include "runtime/RuntimeError.h"
#include "system/QtShell.h"
#include "system/SystemRegistry.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>

using namespace qv;
using about::GetKeyValue;
constexpr auto Machine = Registry::HKEY_LOCAL_MACHINE;

namespace {
// The main window with its About dialog open.
struct OpenAbout {
    test::TestEngine e;
    Form2 form{e.engine};
    QPointer<frmAbout> dialog;
    bool open() {
        form.show();
        form.关于_Click();
        dialog = form.aboutDialog();
        return QTest::qWaitForWindowExposed(dialog);
    }
};
} // namespace

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::setUpProgramEnvironment(); }

    void reader_data() {
        QTest::addColumn<uint>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("value");
        QTest::newRow("text with its zero") << 1u << QByteArray("C:\\a.exe", 9) << true << "C:\\a.exe";
        QTest::newRow("empty text") << 1u << QByteArray(1, '\0') << true << QString();
        QTest::newRow("1024, no zero") << 1u << QByteArray(1024, 'b') << true << QString(1024, 'b');
        QTest::newRow("more than 1024") << 1u << QByteArray(1025, 'c') << false << QString();
        QTest::newRow("number") << 4u << QByteArray("\x12\x34\x56\x78") << true << "&h78563412";
        // The top byte's zero sits at position 4 and is dropped like a text's zero.
        QTest::newRow("small number") << 4u << QByteArray("\1\2\3", 4) << true << "&h321";
        QTest::newRow("no such value") << 0u << QByteArray() << false << QString();
        QTest::newRow("other type keeps the value") << 3u << QByteArray("xyz") << true << "before";
    }
    void reader() {
        QFETCH(uint, type);
        QFETCH(QByteArray, data);
        QFETCH(bool, found);
        QFETCH(QString, value);
        MemoryRegistry registry;
        registry.setValue("K", type ? "PATH" : "OTHER", type, data);
        // Numbers are appended to what the variable holds; the launcher always passes it empty.
        QString keyVal = type == 3 ? QStringLiteral("before") : QString();
        QCOMPARE(GetKeyValue(registry, Machine, "k", "path", keyVal), found);
        QCOMPARE(keyVal, value);
        QCOMPARE(registry.openKeys(), std::size_t(0));
    }

    void launcher_data() {
        QTest::addColumn<QByteArray>("toolPath");   // location 1, null for none
        QTest::addColumn<QByteArray>("toolFolder"); // location 2, null for none
        QTest::addColumn<QString>("file");          // the one file there is
        QTest::addColumn<QString>("started");
        QTest::addColumn<bool>("message");
        const QString tool = "C:\\Win\\MSINFO32.EXE";
        QTest::newRow("location 1") << QByteArray("/bin/x\0", 7) << QByteArray() << "/bin/x"
                                    << "/bin/x" << false;
        QTest::newRow("location 1, missing file still started")
            << QByteArray("/bin/x") << QByteArray() << QString() << "/bin/x" << true;
        // Its error stops the search before location 2.
        QTest::newRow("location 1 of 0 bytes")
            << QByteArray("") << QByteArray("C:\\Win") << tool << QString() << true;
        QTest::newRow("location 2") << QByteArray() << QByteArray("C:\\Win") << tool << tool << false;
        QTest::newRow("location 2 without the file")
            << QByteArray() << QByteArray("C:\\Win") << QString() << QString() << true;
    }
    void launcher() {
        QFETCH(QByteArray, toolPath);
        QFETCH(QByteArray, toolFolder);
        QFETCH(QString, file);
        QFETCH(QString, started);
        QFETCH(bool, message);
        test::TestEngine e;
        if (!toolPath.isNull())
            e.registry.setValue(about::ToolPathKey, "PATH", Registry::REG_SZ, toolPath);
        if (!toolFolder.isNull())
            e.registry.setValue(about::ToolFolderKey, "MSINFO", Registry::REG_SZ, toolFolder);
        e.shell.files = QStringList(file);
        about::StartSysInfo(e.registry, e.shell, e.dialogs);
        QCOMPARE(e.shell.started, started.isNull() ? QStringList() : QStringList(started));
        QCOMPARE(e.dialogs.messages().size(), int(message));
    }

    // A path with blanks is one program: nothing named by its first word may start instead.
    void pathWithBlanksStartsNothingElse() {
        QTemporaryDir dir;
        QFile decoy(dir.filePath("my"));
        QVERIFY(decoy.open(QIODevice::WriteOnly));
        decoy.write(QString("#!/bin/sh\ntouch '%1'\n").arg(dir.filePath("started")).toUtf8());
        decoy.close();
        decoy.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        QtShell shell;
        QVERIFY_THROWS_EXCEPTION(RuntimeError, shell.StartProgram(dir.filePath("my tool")));
        QTest::qWait(300);
        QVERIFY(!QFile::exists(dir.filePath("started")));
        QCOMPARE(shell.Dir(decoy.fileName()), QStringLiteral("my"));
        QVERIFY(shell.Dir(dir.path()).isEmpty()); // a folder is not an ordinary file
    }

    void systemStoreFindsTheInstalledTool() {
        QTemporaryDir dir;
        QFile tool(dir.filePath("kinfocenter"));
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.close();
        tool.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        // Looked up when asked for: the tool is found while it is on PATH, and not after.
        const QByteArray path = qgetenv("PATH");
        const QString key = QString::fromLatin1(about::ToolPathKey);
        SystemRegistry store;
        QString found, after;
        qputenv("PATH", dir.path().toLocal8Bit());
        const bool foundIt = GetKeyValue(store, Machine, key, "PATH", found);
        qputenv("PATH", "/nonexistent");
        const bool foundAfter = GetKeyValue(store, Machine, key, "PATH", after);
        qputenv("PATH", path);
        QVERIFY(foundIt && !foundAfter);
        QCOMPARE(found, tool.fileName());
    }

    // A zh_CN locale's GB2312 is read as GBK, the code page 936 registry text is in: 镕 is in
    // GBK only.
    void ansiIsGbkUnderAChineseLocale() {
        // Debian's locales package holds the sources; scripts/test.sh installs it.
        if (!QFile::exists("/usr/share/i18n/locales/zh_CN"))
            QSKIP("no locale sources to make a zh_CN locale from");
        QTemporaryDir dir;
        QProcess localedef;
        localedef.start("localedef", {"-i", "zh_CN", "-f", "GB2312", dir.filePath("zh_CN")});
        QVERIFY(localedef.waitForFinished(120000) && localedef.exitCode() <= 1);
        qputenv("LOCPATH", dir.path().toLocal8Bit());
        QVERIFY(setlocale(LC_CTYPE, "zh_CN"));
        const QByteArray ansi = toAnsi(QStringLiteral("朱镕基"));
        const QString back = fromAnsi("\xd6\xec\xe9\x46\xbb\xf9");
        setlocale(LC_CTYPE, "C.UTF-8");
        qunsetenv("LOCPATH");
        QCOMPARE(ansi, QByteArray("\xd6\xec\xe9\x46\xbb\xf9"));
        QCOMPARE(back, QStringLiteral("朱镕基"));
    }

    // Tab goes from OK to the system-information button to the link, never to the icon; each
    // click on the link, and Enter or Space on it, opens the address once and the dialog stays;
    // Esc still closes it.
    void linkOpensByMouseAndKeyboard() {
        OpenAbout about;
        QVERIFY(about.open());
        frmAbout& d = *about.dialog;
        QTest::mouseClick(d.Label1, Qt::LeftButton);
        QTest::mouseClick(d.Label1, Qt::LeftButton, {}, QPoint(5, 5), 600);
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
        QCOMPARE(about.e.shell.opened, QStringList(5, frmAbout::webAddress()));
        QVERIFY(about.dialog);
        QTest::keyClick(d.Label1, Qt::Key_Escape);
        QVERIFY(!d.isVisible());
    }

    void closingTheMainWindowClosesTheDialog() {
        OpenAbout about;
        QVERIFY(about.open());
        about.form.close();
        QVERIFY(!about.dialog);
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
