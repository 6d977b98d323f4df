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

#include <QAccessible>
#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
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
        QTest::addColumn<QString>("current"); // as the menu shows
        QTest::addColumn<int>("downs");       // to the command
        QTest::addColumn<int>("key");         // that closes the input box, if one comes
        QTest::addColumn<QString>("text");    // of the card afterwards
        QTest::addColumn<QStringList>("heard");
        const QString box = "focus 请输入需要打印的文字", back = "focus Quorvel 桌签";
        const QStringList rotated{"news 已旋转。倒置的桌签面：空白", back};
        // clang-format off
        QTest::newRow("输入, left click") << "Picture1" << int(Qt::LeftButton) << "" << 2
            << int(Qt::Key_Return) << " 张三"
            << QStringList{box, "name 正向的桌签面：张三", "news 正向的桌签面：张三", "box gone", back};
        QTest::newRow("输入 cancelled, Shift+F10") << "Shift+F10" << 0 << "字体" << 1
            << int(Qt::Key_Escape) << "" << QStringList{box, "box gone", back};
        QTest::newRow("旋转, right click") << "Picture2" << int(Qt::RightButton) << "" << 3 << 0
            << "" << rotated;
        QTest::newRow("打印, right click on the background") << "Form2" << int(Qt::RightButton)
            << "" << 4 << 0 << "" << QStringList{"news 正在打印：空白", back};
        QTest::newRow("旋转, menu key") << "Menu" << 0 << "字体" << 2 << 0 << "" << rotated;
        // clang-format on
    }
    void realMenuAndNews() {
        QFETCH(QString, opener);
        QFETCH(int, button);
        QFETCH(QString, current);
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
        QCOMPARE(shown, current);
        QCOMPARE(form.CardText, text);
        QVERIFY(form.hasFocus());
        QCOMPARE(form.accessibleDescription(), QString());
    }

    // The card is paper on every desktop: after 输入 and 旋转 both faces are black ink on
    // white, and the page (the window's capture) is white wherever the name is not, the very
    // page the usual palette gives.
    void sheetIsPaper_data() {
        QTest::addColumn<QPalette>("palette");
        QPalette dark(QColor(0x35, 0x35, 0x35)); // as qt6ct's "darker" scheme sets it
        dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            dark.setColor(role, QColor(0xe0, 0xe0, 0xe0));
        QTest::newRow("usual palette") << QApplication::palette();
        QTest::newRow("dark palette") << dark;
    }
    void sheetIsPaper() {
        QFETCH(QPalette, palette);
        // The page under a palette, and the faces' drawings.
        const auto page = [](const QPalette& colours, QList<QImage>* faces) -> QImage {
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
            for (PictureBox* face : {w.form->Picture2, w.form->Picture1}) {
                QImage drawing(w.form->size(), QImage::Format_RGB32);
                drawing.fill(Qt::white);
                QPainter(&drawing).drawImage(face->pos(), face->retainedImage());
                faces->append(drawing);
            }
            QApplication::setPalette(usual);
            return sheet;
        };
        QList<QImage> faces, usualFaces;
        const QImage sheet = page(palette, &faces);
        QCOMPARE(test::differingPixels(sheet, page(QApplication::palette(), &usualFaces)), 0);
        QList<QRect> inked;
        for (const QImage& face : std::as_const(faces)) {
            // Black ink on white: the name's strokes are black, and the face around them white.
            inked << test::inkBounds(face);
            const QRect ink = inked.last(), black = test::inkBounds(face, {}, 64);
            QVERIFY(black.isValid() && qAbs(black.width() - ink.width()) <= 4 &&
                    qAbs(black.height() - ink.height()) <= 4);
        }
        for (int y = 0; y < sheet.height(); ++y)
            for (int x = 0; x < sheet.width(); ++x)
                if (!inked[0].contains(x, y) && !inked[1].contains(x, y))
                    QCOMPARE(sheet.pixel(x, y) & 0xFFFFFF, 0xFFFFFFu);
    }

    // The desktop's opener of addresses, run by the shell: one that ends in failure, or is
    // killed, is told; one that opens the address is not; one still running when the program
    // ends (a browser in the foreground) goes on running.
    void linkOpenerWatched_data() {
        QTest::addColumn<QString>("ends"); // how the stand-in xdg-open ends
        QTest::addColumn<bool>("told");
        QTest::newRow("opened") << "exit 0" << false;
        QTest::newRow("no method available") << "exit 3" << true;
        QTest::newRow("killed") << "kill -9 $$" << true;
        QTest::newRow("outlives the program") << "sleep 1; touch \"$0.done\"" << false;
    }
    void linkOpenerWatched() {
        QFETCH(QString, ends);
        QFETCH(bool, told);
        QTemporaryDir folder;
        QFile opener(folder.filePath("xdg-open"));
        QVERIFY(opener.open(QIODevice::WriteOnly));
        opener.write(QStringLiteral("#!/bin/sh\ntouch \"%1\"\n%2\n")
                         .arg(folder.filePath("ran"), ends)
                         .toUtf8());
        opener.close();
        opener.setPermissions(opener.permissions() | QFileDevice::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(folder.path()) + ":" + path);
        const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
        auto shell = std::make_unique<QtShell>();
        QSignalSpy notOpened(shell.get(), &Shell::notOpened);
        QVERIFY(shell->OpenUrl(frmAbout::webAddress()));
        QTRY_VERIFY(QFile::exists(folder.filePath("ran")));
        QTRY_COMPARE_WITH_TIMEOUT(notOpened.size(), int(told), told ? 5000 : 300);
        if (told)
            QCOMPARE(notOpened.first().first().toString(), frmAbout::webAddress());
        shell.reset();
        if (ends.contains("done"))
            QTRY_VERIFY(QFile::exists(opener.fileName() + ".done"));
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

    // About on the real desktop and boxes. A screen reader hears the link as a link and can
    // follow it. The desktop starts only programs: a file that is not one (plain text, or text
    // marked executable with no interpreter line) is told as system information being
    // unavailable, in a box that hands the keyboard back to About, where Esc closes it.
    void realAbout_data() {
        QTest::addColumn<QByteArray>("content"); // of the tool's file; null: /bin/true
        QTest::addColumn<bool>("executable");
        QTest::addColumn<QString>("told");
        QTest::newRow("a program") << QByteArray() << true << QString();
        QTest::newRow("text") << QByteArray("系统信息\n") << false << "此时系统信息不可用";
        QTest::newRow("text marked executable")
            << QByteArray("系统信息\n") << true << "此时系统信息不可用";
    }
    void realAbout() {
        QFETCH(QByteArray, content);
        QFETCH(bool, executable);
        QFETCH(QString, told);
        QTemporaryDir dir;
        QFile file(dir.filePath("系统信息"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        QVERIFY(file.setPermissions(executable ? QFile::ReadOwner | QFile::ExeOwner
                                               : QFile::ReadOwner));
        const QString tool = content.isNull() ? "/bin/true" : file.fileName();
        test::TestEngine e;
        QtShell shell;
        QtDialogs boxes;
        Engine engine{boxes, e.gdi, e.printer, e.registry, shell};
        e.registry.setValue(about::ToolPathKey, "PATH", Registry::REG_SZ, tool.toUtf8() + '\0');
        QDesktopServices::setUrlHandler("https", this, "follow");
        QPointer<frmAbout> dialog = new frmAbout(engine);
        dialog->show();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QAccessibleInterface* link = QAccessible::queryAccessibleInterface(dialog->Label1);
        QCOMPARE(link->role(), QAccessible::Link);
        QCOMPARE(link->text(QAccessible::Name), frmAbout::webAddress());
        link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(followed.takeFirst().toString(), frmAbout::webAddress());
        QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(dialog->Label1, &held);
        QCOMPARE(followed.size(), 0);
        QCOMPARE(dialog->lblVersion->text(), "版本 1.1.1");
        QString shown;
        when(
            dialog, [] { return QApplication::activeModalWidget(); },
            [&shown] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                shown = box->text();
                QTest::keyClick(box, Qt::Key_Return);
            });
        QTest::keyClick(dialog->cmdOK, Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(shown, told);
        QTRY_COMPARE(QApplication::activeWindow(), dialog.data());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!dialog);
        QDesktopServices::unsetUrlHandler("https");
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

public slots:
    void follow(const QUrl& address) { followed << address; }

private:
    QList<QUrl> followed;
};

QTEST_MAIN(TestSystem)
#include "test_system.moc"
