#include "SystemTestSupport.h"

#include "Form2.h"
#include "about/SystemInformation.h"
#include "system/QtDialogs.h"
#include "system/Startup.h"
#include "system/SystemRegistry.h"
#include "system/Translations.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>

using namespace qv;

// The runtime's interfaces as system/ implements them, and what main() sets up with it.
class TestSystem : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::setUpSystemEnvironment(); }

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
        QList<test::Heard>* heard = test::listenAsScreenReader();
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
        QtDialogs boxes;
        QCOMPARE(menu ? QString::number(boxes.PopupMenu(nullptr, Form2::menuTitle(),
                                                        Form2::menuItems(), QPoint(100, 100)))
                      : boxes.InputBox(QStringLiteral("姓名")),
                 answer);
        if (menu) {
            QCOMPARE(current, QStringLiteral("字体"));
            QVERIFY(heard->contains({QAccessible::Focus, QAccessible::MenuItem, "字体", {}}));
        }
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
        SystemRegistry store(about::ToolPathKey, about::ToolPathValue);
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

QTEST_MAIN(TestSystem)
#include "test_system.moc"
