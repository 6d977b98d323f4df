#include "SystemTestSupport.h"

#include "Form2.h"
#include "about/SystemInformation.h"
#include "about/frmAbout.h"
#include "print/Module1.h"
#include "runtime/Engine.h"
#include "runtime/PictureBox.h"
#include "system/QtDialogs.h"
#include "system/QtGdi.h"
#include "system/QtShell.h"
#include "system/QuitSignals.h"
#include "system/Startup.h"
#include "system/SystemRegistry.h"
#include "system/Translations.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>

using namespace qv;

namespace {
// Runs action inside whatever loop is running (a menu's, a box's) once ready() holds. It polls,
// so a loaded machine only makes it later, never early.
template <typename Ready, typename Action> void when(QObject* owner, Ready ready, Action action) {
    auto* poll = new QTimer(owner);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        if (!ready())
            return;
        poll->deleteLater();
        poll->stop();
        action();
    });
    poll->start(10);
}
QWidget* boxWithKeyboard() {
    QWidget* box = QApplication::activeModalWidget();
    return box && box->isAncestorOf(QApplication::focusWidget()) ? box : nullptr;
}
} // namespace

// The runtime's interfaces as system/ implements them, and what main() sets up with it.
class TestSystem : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::setUpSystemEnvironment(); }

    // The real menu and input box over the main window. A click, left or right, on a face or
    // the background opens the menu with no item current, so Down, Enter is 字体; the menu key
    // and Shift+F10 open it on 字体. Once the menu has gone, a screen reader hears the command's
    // news first (after the input box's field, before the box goes), then the window, which
    // has the focus back. A cancelled box empties the card's text, whatever was typed.
    void realMenuAndNews_data() {
        QTest::addColumn<QString>("opener"); // a widget clicked, or keys
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("downs");    // to the command
        QTest::addColumn<int>("key");      // that closes the input box, if one comes
        QTest::addColumn<QString>("text"); // of the card afterwards
        QTest::addColumn<QStringList>("heard");
        const QString box = "focus 请输入需要打印的文字", back = "focus Quorvel 桌签";
        const QStringList rotated{"news 已旋转。倒置的桌签面：空白", back};
        // clang-format off
        QTest::newRow("输入, left click") << "Picture1" << int(Qt::LeftButton) << 2
            << int(Qt::Key_Return) << " 张三"
            << QStringList{box, "name 正向的桌签面：张三", "news 正向的桌签面：张三", "box gone", back};
        QTest::newRow("输入 cancelled, Shift+F10") << "Shift+F10" << 0 << 1
            << int(Qt::Key_Escape) << "" << QStringList{box, "box gone", back};
        QTest::newRow("旋转, right click") << "Picture2" << int(Qt::RightButton) << 3 << 0
            << "" << rotated;
        QTest::newRow("打印, right click on the background") << "Form2" << int(Qt::RightButton)
            << 4 << 0 << "" << QStringList{"news 正在打印：空白", back};
        QTest::newRow("旋转, menu key") << "Menu" << 0 << 2 << 0 << "" << rotated;
        // clang-format on
    }
    void realMenuAndNews() {
        QFETCH(QString, opener);
        QFETCH(int, button);
        QFETCH(int, downs);
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(QStringList, heard);
        QStringList* said = test::listenAsScreenReader();
        if (!said)
            QSKIP("the platform has no accessibility to turn on");
        test::TestEngine e;
        QtDialogs boxes;
        Engine engine{boxes, e.gdi, e.printer, e.registry, e.shell};
        Form2 form(engine);
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QString shown = "(no menu)";
        when(
            &form, [] { return QApplication::activePopupWidget(); },
            [&] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                shown = menu->activeAction() ? menu->activeAction()->text() : QString();
                when(&form, boxWithKeyboard, [key] {
                    QWidget* box = boxWithKeyboard();
                    box->findChild<QLineEdit*>()->setText("张三");
                    QTest::keyClick(box, Qt::Key(key));
                });
                for (int i = 0; i < downs; ++i)
                    QTest::keyClick(menu, Qt::Key_Down);
                QTest::keyClick(menu, Qt::Key_Return);
                said->clear();
            });
        QWidget* on = opener == "Form2" ? &form : form.findChild<QWidget*>(opener);
        if (on)
            QTest::mouseClick(on, Qt::MouseButton(button), {}, QPoint(5, on->height() - 5));
        else
            QTest::keySequence(&form, QKeySequence(opener));
        QTRY_COMPARE(said->value(said->size() - 1), heard.constLast());
        QCOMPARE(*said, heard);
        QCOMPARE(shown, on ? QString() : "字体"); // the keys open it on its first item
        QCOMPARE(form.CardText, text);
        QVERIFY(form.hasFocus());
        QCOMPARE(form.accessibleDescription(), QString());
    }

    // The card is paper on every desktop: the page (the window's capture) after 输入 and 旋转
    // under a dark palette is the very page the usual palette gives, black ink on white.
    void sheetIsPaper() {
        const auto page = [](const QPalette& colours) {
            const QPalette usual = QApplication::palette();
            QApplication::setPalette(colours);
            test::MainWindow<Form2> w;
            w.command(QStringLiteral("输入"), QStringLiteral("张三丰"));
            w.command(QStringLiteral("旋转"));
            QtGdi gdi;
            const QImage sheet =
                Module1::CaptureWindowArea(gdi, Gdi::Handle(w.form->winId()), 1, 0, 0, 710, 685)
                    .image()
                    .copy();
            QApplication::setPalette(usual);
            return sheet;
        };
        QPalette dark(QColor(0x35, 0x35, 0x35)); // as qt6ct's "darker" scheme sets it
        dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            dark.setColor(role, QColor(0xe0, 0xe0, 0xe0));
        const QImage sheet = page(QApplication::palette());
        QCOMPARE(test::differingPixels(page(dark), sheet), 0);
        // The name's strokes are black, and around them the sheet is white.
        const QRect ink = test::inkBounds(sheet), black = test::inkBounds(sheet, {}, 64);
        QVERIFY(black.isValid() && qAbs(black.width() - ink.width()) <= 4 &&
                qAbs(black.height() - ink.height()) <= 4);
        QCOMPARE(sheet.pixel(ink.left() - 1, ink.center().y()) & 0xFFFFFF, 0xFFFFFFu);
        QCOMPARE(sheet.pixel(ink.center().x(), sheet.height() / 2) & 0xFFFFFF, 0xFFFFFFu);
    }

    // A screen reader finds the real font dialog's three lists by the names of their columns.
    void realBoxesNamed() {
        QStringList lists;
        when(
            qApp, [] { return QApplication::activeModalWidget(); },
            [&] {
                QWidget* dialog = QApplication::activeModalWidget();
                QList<QListView*> views = dialog->findChildren<QListView*>();
                std::sort(views.begin(), views.end(),
                          [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
                for (QListView* view : views)
                    lists << view->accessibleName();
                QTest::keyClick(dialog, Qt::Key_Escape);
            });
        QtDialogs().createFontDialog()->ShowFont();
        QCOMPARE(lists, (QStringList{"字体", "字形", "大小"}));
    }

    // About on the real desktop and boxes. The desktop starts only programs: a file that is
    // not one (plain text, or text marked executable with no interpreter line) is told as
    // system information being unavailable. The desktop's opener of addresses is watched: one
    // that ends in failure, or is killed, is told with the address; one that opens it is not;
    // one still running when the program ends (a browser in the foreground) goes on running.
    // Each box hands the keyboard back to About, where Esc closes it.
    void realAbout_data() {
        QTest::addColumn<QByteArray>("tool"); // its content; null: /bin/true
        QTest::addColumn<bool>("executable");
        QTest::addColumn<QString>("ends"); // how the stand-in xdg-open ends
        QTest::addColumn<QStringList>("told");
        const QStringList both{"此时系统信息不可用", frmAbout::webAddress()};
        // clang-format off
        QTest::newRow("a program, opened") << QByteArray() << true << "exit 0" << QStringList();
        QTest::newRow("text, no method available") << QByteArray("系统信息\n") << false << "exit 3"
            << both;
        QTest::newRow("text marked executable, killed") << QByteArray("系统信息\n") << true
            << "kill -9 $$" << both;
        QTest::newRow("opener outlives the program") << QByteArray() << true
            << "while [ ! -e \"$0.go\" ]; do sleep 0.1; done; touch \"$0.done\"" << QStringList();
        // clang-format on
    }
    void realAbout() {
        QFETCH(QByteArray, tool);
        QFETCH(bool, executable);
        QFETCH(QString, ends);
        QFETCH(QStringList, told);
        QTemporaryDir dir;
        const auto write = [&dir](const QString& name, const QByteArray& content, bool runs) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
            file.setPermissions(QFile::ReadOwner | (runs ? QFile::ExeOwner : QFile::ReadOwner));
        };
        write("系统信息", tool, executable);
        write("xdg-open", QString("#!/bin/sh\ntouch \"$0.ran\"\n%1\n").arg(ends).toUtf8(), true);
        const QString opener = dir.filePath("xdg-open");
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(dir.path()) + ":" + path);
        const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
        test::TestEngine e;
        auto shell = std::make_unique<QtShell>();
        QtDialogs boxes;
        Engine engine{boxes, e.gdi, e.printer, e.registry, *shell};
        const QString program = tool.isNull() ? "/bin/true" : dir.filePath("系统信息");
        e.registry.setValue(about::ToolPathKey, "PATH", Registry::REG_SZ, program.toUtf8() + '\0');
        QPointer<frmAbout> dialog = new frmAbout(engine);
        dialog->show();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        // Each box is answered once it shows; its text is kept, the address alone if it has one.
        QStringList shown;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&shown] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown << box->text().section("\n\n", -1);
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        answer.start(10);
        QTest::keyClick(dialog->cmdOK, Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QTRY_COMPARE(QApplication::activeWindow(), dialog.data());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(QFile::exists(opener + ".ran"));
        if (!ends.contains(".go"))
            QTRY_VERIFY(shell->findChildren<QProcess*>().isEmpty());
        QTRY_COMPARE(shown, told);
        QTRY_COMPARE(QApplication::activeWindow(), dialog.data());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!dialog);
        shell.reset();
        QFile(opener + ".go").open(QIODevice::WriteOnly);
        if (ends.contains(".go"))
            QTRY_VERIFY(QFile::exists(opener + ".done"));
    }

    // The capture's bitmap is always width x height, whatever the window's size; the client
    // area's pixels land at the rectangle's origin. Nothing stays open but the picture's
    // bitmap, freed with the picture, safely even after the capture's QtGdi is gone.
    void captureIsNotClippedAndLeavesNothingOpen() {
        QWidget window;
        window.resize(50, 40);
        window.setStyleSheet("background: red");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto gdi = std::make_unique<QtGdi>();
        const auto capture = [&] {
            return Module1::CaptureWindowArea(*gdi, Gdi::Handle(window.winId()), 1, 30, 20, 100,
                                              80);
        };
        Picture picture = capture();
        QCOMPARE(picture.image().size(), QSize(100, 80));
        QCOMPARE(QColor(picture.image().pixel(0, 0)), QColor(Qt::red));
        QCOMPARE(QColor(picture.image().pixel(25, 0)), QColor(Qt::black)); // beyond the window
        QVERIFY(Module1::CaptureWindowArea(*gdi, 0xDEAD, 1, 0, 0, 10, 10).isNull());
        QCOMPARE(gdi->liveObjects(), 1u);
        picture.release();
        QCOMPARE(gdi->liveObjects(), 0u);
        picture = capture();
        gdi.reset();
        picture.release(); // must not touch freed memory (the sanitizer run)
    }

    // The system's services: its store looks the tool up when asked for, the newer hardinfo2
    // first, nothing once PATH holds neither; a warning while the application object is made
    // does not end the program; a signal to end that comes before the event loop runs is heard
    // once it runs, each one; Qt's own dialog texts are in Chinese. Last, as translations stay.
    void systemServices() {
        QTemporaryDir dir;
        for (const QString name : {"hardinfo", "hardinfo2"})
            QVERIFY(QFile(dir.filePath(name)).open(QIODevice::WriteOnly) &&
                    QFile::setPermissions(dir.filePath(name), QFile::ReadOwner | QFile::ExeOwner));
        SystemRegistry store(about::ToolPathKey, about::ToolPathValue);
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
        QString found;
        for (const QString& on : {dir.path(), QStringLiteral("/nonexistent")}) {
            qputenv("PATH", QFile::encodeName(on));
            about::GetKeyValue(store, Registry::HKEY_LOCAL_MACHINE, about::ToolPathKey, "PATH",
                               found);
            QCOMPARE(found, on == dir.path() ? dir.filePath("hardinfo2") : QString());
        }
        installStartupMessageHandler();
        qWarning("a warning, not a display that cannot open");
        removeStartupMessageHandler();
        QuitSignals quit;
        QSignalSpy received(&quit, &QuitSignals::received);
        std::raise(SIGTERM);
        std::raise(SIGINT);
        QTRY_COMPARE(received.size(), 2);
        if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_zh_CN.qm"))
            QSKIP("Qt's Chinese translations (qt6-translations-l10n) are not installed");
        QVERIFY(installQtTranslations());
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Save"), "保存");
    }
};

QTEST_MAIN(TestSystem)
#include "test_system.moc"
