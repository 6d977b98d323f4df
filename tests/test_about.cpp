#include "TestSupport.h"

#include "Form2.h"
#include "about/SystemInformation.h"
#include "about/frmAbout.h"
#include "platform/AnsiCodePage.h"
#include "platform/RuntimeError.h"
#include "platform/SystemRegistry.h"

#include <QFile>
#include <QProcess>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>

using namespace qv;
using about::GetKeyValue;

namespace {
const QByteArray ToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const QByteArray FolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

QByteArray bytes(std::initializer_list<char> values) {
    return QByteArray(values.begin(), qsizetype(values.size()));
}
// The main window with its About dialog open and, when asked, active.
struct OpenAbout {
    test::TestEngine e;
    Form2 form{e.engine};
    frmAbout* dialog = nullptr;
    bool open(bool active) {
        form.关于_Click();
        dialog = form.aboutDialog();
        if (!QTest::qWaitForWindowExposed(dialog))
            return false;
        if (!active)
            return true;
        dialog->activateWindow();
        return QTest::qWaitForWindowActive(dialog);
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
        const QByteArray path = "C:\\Tools\\msinfo.exe";
        QTest::newRow("text with its zero") << 1u << path + '\0' << true << QString(path);
        QTest::newRow("text without zero") << 1u << path << true << QString(path);
        QTest::newRow("empty text") << 1u << QByteArray(1, '\0') << true << QString();
        QTest::newRow("1024 bytes, no zero")
            << 1u << QByteArray(1024, 'b') << true << QString(1024, 'b');
        QTest::newRow("more than 1024") << 1u << QByteArray(1025, 'c') << false << QString();
        QTest::newRow("number") << 4u << bytes({0x12, 0x34, 0x56, 0x78}) << true
                                << QStringLiteral("&h78563412");
        // The top byte's zero sits at position 4 and is dropped like a text's zero.
        QTest::newRow("small number")
            << 4u << bytes({0x01, 0x02, 0x03, 0x00}) << true << QStringLiteral("&h321");
        QTest::newRow("no such value") << 0u << QByteArray() << false << QString();
        QTest::newRow("other type keeps the value")
            << 3u << QByteArray("xyz") << true << QStringLiteral("before");
    }
    void reader() {
        QFETCH(uint, type);
        QFETCH(QByteArray, data);
        QFETCH(bool, found);
        QFETCH(QString, value);
        MemoryRegistry registry;
        registry.setValue(ToolKey, type ? "PATH" : "OTHER", type, data);
        // Numbers are appended to what the variable holds; the launcher always passes it empty.
        QString keyVal = type == 3 ? QStringLiteral("before") : QString();
        QCOMPARE(GetKeyValue(registry, Registry::HKEY_LOCAL_MACHINE, QString(ToolKey),
                             QStringLiteral("path"), keyVal),
                 found);
        QCOMPARE(keyVal, value);
        QCOMPARE(registry.openKeys(), std::size_t(0));
    }

    void launcher_data() {
        QTest::addColumn<QByteArray>("toolPath");   // location 1, null for none
        QTest::addColumn<QByteArray>("toolFolder"); // location 2, null for none
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("started");
        QTest::addColumn<bool>("message");
        QTest::newRow("location 1")
            << QByteArray("/usr/bin/hardinfo\0", 18) << QByteArray()
            << QStringList{"/usr/bin/hardinfo"} << QStringList{"/usr/bin/hardinfo"} << false;
        QTest::newRow("location 1 missing file is still started")
            << QByteArray("/no/such/tool") << QByteArray() << QStringList()
            << QStringList{"/no/such/tool"} << true;
        QTest::newRow("location 1 empty text")
            << QByteArray(1, '\0') << QByteArray() << QStringList() << QStringList{""} << true;
        QTest::newRow("location 1 of 0 bytes")
            << QByteArray("") << QByteArray("C:\\Win") << QStringList{"C:\\Win\\MSINFO32.EXE"}
            << QStringList() << true;
        QTest::newRow("location 2 with the file")
            << QByteArray() << QByteArray("C:\\Win") << QStringList{"C:\\Win\\MSINFO32.EXE"}
            << QStringList{"C:\\Win\\MSINFO32.EXE"} << false;
        QTest::newRow("location 2 ending in a backslash")
            << QByteArray() << QByteArray("C:\\Win\\") << QStringList{"C:\\Win\\\\MSINFO32.EXE"}
            << QStringList{"C:\\Win\\\\MSINFO32.EXE"} << false;
        QTest::newRow("location 2 without the file")
            << QByteArray() << QByteArray("C:\\Win") << QStringList() << QStringList() << true;
        QTest::newRow("nothing registered")
            << QByteArray() << QByteArray() << QStringList() << QStringList() << true;
    }
    void launcher() {
        QFETCH(QByteArray, toolPath);
        QFETCH(QByteArray, toolFolder);
        QFETCH(QStringList, files);
        QFETCH(QStringList, started);
        QFETCH(bool, message);
        test::TestEngine e;
        if (!toolPath.isNull())
            e.registry.setValue(ToolKey, "PATH", Registry::REG_SZ, toolPath);
        if (!toolFolder.isNull())
            e.registry.setValue(FolderKey, "MSINFO", Registry::REG_SZ, toolFolder);
        e.shell.files = files;
        about::StartSysInfo(e.registry, e.shell, e.dialogs);
        QCOMPARE(e.shell.started, started);
        QCOMPARE(e.dialogs.messages(),
                 message ? QStringList{QStringLiteral("此时系统信息不可用")} : QStringList());
    }

    // A path with blanks is one program: nothing named by its first word may start instead.
    void pathWithBlanksStartsNothingElse() {
        QTemporaryDir dir;
        const QString decoy = dir.filePath("my");
        const QString marker = dir.filePath("started");
        QFile script(decoy);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QString("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QtShell shell;
        QVERIFY_THROWS_EXCEPTION(RuntimeError, shell.StartProgram(dir.filePath("my tool")));
        QTest::qWait(300);
        QVERIFY(!QFile::exists(marker));
        QCOMPARE(shell.Dir(decoy), QStringLiteral("my"));
        QVERIFY(shell.Dir(dir.path()).isEmpty()); // a folder is not an ordinary file
    }

    void systemStoreHoldsTheInstalledTool() {
        QTemporaryDir dir;
        const QString tool = dir.filePath("kinfocenter");
        QFile file(tool);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", dir.path().toLocal8Bit());
        SystemRegistry withTool;
        qputenv("PATH", "/nonexistent");
        SystemRegistry without;
        qputenv("PATH", path);
        QString value;
        QVERIFY(
            GetKeyValue(withTool, Registry::HKEY_LOCAL_MACHINE, QString(ToolKey), "PATH", value));
        QCOMPARE(value, tool);
        QVERIFY(
            !GetKeyValue(without, Registry::HKEY_LOCAL_MACHINE, QString(ToolKey), "PATH", value));
    }

    // A zh_CN locale's GB2312 is read as GBK, the code page 936 registry text is in: 镕 is in
    // GBK only.
    void ansiIsGbkUnderAChineseLocale() {
        QTemporaryDir dir;
        QProcess localedef;
        localedef.start("localedef", {"-i", "zh_CN", "-f", "GB2312", dir.filePath("zh_CN")});
        if (!localedef.waitForFinished(120000) || localedef.exitCode() > 1)
            QSKIP("localedef cannot make a zh_CN locale here");
        qputenv("LOCPATH", dir.path().toLocal8Bit());
        QVERIFY(setlocale(LC_CTYPE, "zh_CN"));
        const QByteArray ansi = toAnsi(QStringLiteral("朱镕基"));
        const QString back = fromAnsi("\xd6\xec\xe9\x46\xbb\xf9");
        setlocale(LC_CTYPE, "C.UTF-8");
        qunsetenv("LOCPATH");
        QCOMPARE(ansi, QByteArray("\xd6\xec\xe9\x46\xbb\xf9"));
        QCOMPARE(back, QStringLiteral("朱镕基"));
    }

    void keyboard_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("focusOnSysInfo");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("sysInfo");
        QTest::newRow("Enter on OK") << int(Qt::Key_Return) << false << true << false;
        QTest::newRow("Enter on system information")
            << int(Qt::Key_Return) << true << false << true;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << true << true << false;
    }
    void keyboard() {
        QFETCH(int, key);
        QFETCH(bool, focusOnSysInfo);
        QFETCH(bool, closes);
        QFETCH(bool, sysInfo);
        OpenAbout about;
        QVERIFY(about.open(true));
        auto& [e, form, dialog] = about;
        (focusOnSysInfo ? dialog->cmdSysInfo : dialog->cmdOK)->setFocus();
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : dialog,
                        Qt::Key(key));
        QTRY_COMPARE(form.aboutDialog() == nullptr, closes);
        QCOMPARE(e.dialogs.messages().size(), sysInfo ? 1 : 0);
    }

    void linkOpensOncePerClick() {
        OpenAbout about;
        QVERIFY(about.open(false));
        auto& [e, form, dialog] = about;
        QTest::mouseClick(dialog->Label1, Qt::LeftButton);
        QTest::mouseClick(dialog->Label1, Qt::LeftButton, {}, QPoint(5, 5), 600);
        QCOMPARE(e.shell.opened, QStringList({frmAbout::webAddress(), frmAbout::webAddress()}));
        QVERIFY(form.aboutDialog());
    }

    void closingTheMainWindowClosesTheDialog() {
        test::TestEngine e;
        Form2 form(e.engine);
        form.show();
        form.关于_Click();
        QPointer<frmAbout> dialog = form.aboutDialog();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        form.close();
        QVERIFY(!dialog);
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
