#include "SystemTestSupport.h"

#include "Form2.h"
#include "PrintWaitDialog.h"
#include "about/SystemInformation.h"
#include "about/frmAbout.h"
#include "print/Module1.h"
#include "runtime/Engine.h"
#include "runtime/PictureBox.h"
#include "system/QtDialogs.h"
#include "system/QtGdi.h"
#include "system/QtShell.h"
#include "system/Startup.h"
#include "system/SystemRegistry.h"
#include "system/Translations.h"

#include <QApplication>
#include <QFile>
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

using namespace qv;

// The runtime's interfaces as system/ implements them, and what main() sets up with it.
class TestSystem : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::setUpSystemEnvironment(); }

    // The real menu and input box over the main window. A click, left or right, on a face or
    // the background opens the menu with no item current, so Down, Enter is 字体; the menu key
    // and Shift+F10 open it on 字体. Once the menu has gone, a screen reader hears the command's
    // news first (after the input box's field, before the box goes), then the window, which
    // has the focus back, by its name alone: the hint on opening the menu was read at start.
    void realMenuAndNews_data() {
        QTest::addColumn<QString>("opener"); // a widget clicked, or keys
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("current"); // as the menu shows
        QTest::addColumn<int>("downs");       // to the command
        QTest::addColumn<QStringList>("spoken");
        const QString back = "focus Quorvel 桌签";
        const QStringList input{"focus 请输入需要打印的文字", "news 正向的桌签面：张三", "box gone",
                                back};
        const QStringList rotate{"news 已旋转。倒置的桌签面：空白", back};
        // clang-format off
        QTest::newRow("输入, left click") << "Picture1" << int(Qt::LeftButton) << "" << 2 << input;
        QTest::newRow("旋转, right click") << "Picture2" << int(Qt::RightButton) << "" << 3 << rotate;
        QTest::newRow("打印, right click on the background")
            << "Form2" << int(Qt::RightButton) << "" << 4 << QStringList{"news 正在打印：空白", back};
        QTest::newRow("旋转, menu key") << "Menu" << 0 << "字体" << 2 << rotate;
        QTest::newRow("输入, Shift+F10") << "Shift+F10" << 0 << "字体" << 1 << input;
        // clang-format on
    }
    void realMenuAndNews() {
        QFETCH(QString, opener);
        QFETCH(int, button);
        QFETCH(QString, current);
        QFETCH(int, downs);
        QFETCH(QStringList, spoken);
        QList<qv::test::Heard>* heard = qv::test::listenAsScreenReader();
        if (!heard)
            QSKIP("the platform has no accessibility to turn on");
        qv::test::TestEngine e;
        qv::QtDialogs boxes;
        qv::Engine engine{boxes, e.gdi, e.printer, e.registry, e.shell};
        Form2 form(engine);
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QVERIFY(form.accessibleDescription().contains("Shift+F10"));
        QString shown = "(no menu)";
        // Run inside the menu's loop, then the input box's.
        QTimer::singleShot(100, &form, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            shown = menu->activeAction() ? menu->activeAction()->text() : QString();
            QTimer::singleShot(100, &form, [] {
                // Only 输入 has a box; the others are done by now.
                QWidget* box = QApplication::activeModalWidget();
                if (!box)
                    return;
                box->findChild<QLineEdit*>()->setText(QStringLiteral("张三"));
                QTest::keyClick(box, Qt::Key_Return);
            });
            for (int i = 0; i < downs; ++i)
                QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        if (QWidget* on = opener == "Form2" ? &form : form.findChild<QWidget*>(opener))
            QTest::mouseClick(on, Qt::MouseButton(button), {}, QPoint(5, on->height() - 5));
        else
            QTest::keySequence(&form, QKeySequence(opener));
        auto said = [heard] {
            QStringList told;
            for (const qv::test::Heard& event : *heard) {
                if (event.type == QAccessible::PopupMenuEnd)
                    told.clear();
                if (event.type == QAccessible::DialogEnd)
                    told << "box gone";
                if (event.type == QAccessible::Focus)
                    told << "focus " + event.name;
                if (event.type == QAccessible::ObjectShow &&
                    event.role == QAccessible::Notification)
                    told << "news " + event.name;
            }
            return told;
        };
        QCOMPARE(shown, current);
        QTRY_COMPARE(said().value(said().size() - 1), spoken.constLast());
        QCOMPARE(said(), spoken);
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

    // What a screen reader finds in the real font dialog and in the dialog that waits for the
    // print service at the end: the font dialog's three lists by the names of their columns,
    // the waiting dialog's text once only.
    void realBoxesNamed() {
        if (!QAccessible::queryAccessibleInterface(qApp))
            QSKIP("the platform has no accessibility");
        QStringList lists;
        QString sizes;
        // Runs inside the font dialog's loop.
        QTimer::singleShot(100, qApp, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            QList<QListView*> views = dialog->findChildren<QListView*>();
            std::sort(views.begin(), views.end(),
                      [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
            for (QListView* view : views)
                lists << view->accessibleName();
            sizes = views.value(2)->model()->index(0, 0).data().toString();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        qv::QtDialogs().createFontDialog()->ShowFont();
        QCOMPARE(lists, (QStringList{"字体", "字形", "大小"}));
        QVERIFY(sizes.toInt() > 0);

        qv::test::RecordingPrinter printer;
        printer.waitingCards = 2;
        qv::PrintWaitDialog waiting(printer);
        QStringList heard;
        std::function<void(QAccessibleInterface*)> read = [&](QAccessibleInterface* node) {
            heard << node->text(QAccessible::Name) << node->text(QAccessible::Description);
            for (int i = 0; i < node->childCount(); ++i)
                read(node->child(i));
        };
        read(QAccessible::queryAccessibleInterface(&waiting));
        QCOMPARE(heard.filter(QStringLiteral("还有 2 张桌签")).size(), 1);
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
