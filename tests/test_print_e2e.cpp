// Printing for real, through the private print server that scripts/test.sh starts: every job on
// any of its queues lands as PostScript in the server's own output folder. Run once at the
// normal scale and once with the desktop scaled.
#include "EngineBundle.h"
#include "SystemTestSupport.h"

#include "Form2.h"
#include "runtime/PictureBox.h"
#include "system/QtGdi.h"
#include "system/QtPrinter.h"
#include "system/QtShell.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <signal.h>

namespace {
QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) ? QString::fromLocal8Bit(process.readAllStandardOutput())
                                          : QString();
}
QString server(const QString& path = {}) {
    return qEnvironmentVariable("QUORVEL_PRINT_SERVER") + path;
}
QStringList jobs() {
    return QDir(server("/out")).entryList({"*.ps"}, QDir::Files, QDir::Name);
}
void signalServer(int signal) {
    QFile pid(server("/cupsd.pid"));
    QVERIFY(pid.open(QIODevice::ReadOnly));
    QVERIFY(::kill(pid_t(pid.readAll().trimmed().toLong()), signal) == 0);
}
void makeDefault(const QString& queue, const QStringList& options = {}) {
    if (!options.isEmpty())
        run("lpadmin", QStringList{"-p", queue, "-v", "quorvel:/", "-E"} + options);
    run("lpadmin", {"-d", queue});
}
const QStringList Generic{"-m", "drv:///sample.drv/generic.ppd"};

// Pixels of the sheet with no close match where they belong on the job's page, as Ghostscript
// prints it at 96 dots per inch; paper smaller than the sheet cuts it. The page may sit a
// fraction of a pixel off the grid, so a neighbour may stand in.
int farPixels(const QImage& page, const QImage& sheet, QPoint origin) {
    int far = 0;
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x) {
            int best = page.rect().contains(origin + QPoint(x, y)) ? 255 : 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (const QPoint at = origin + QPoint(x + dx, y + dy); page.rect().contains(at))
                        best =
                            std::min(best, qAbs(qGray(page.pixel(at)) - qGray(sheet.pixel(x, y))));
            far += best > 64;
        }
    return far;
}
QImage page(const QString& job) {
    const QString png = server("/tmp/page.png");
    run("gs", {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=png16m", "-r96", "-o", png,
               server("/out/") + job});
    return QImage(png).convertToFormat(QImage::Format_RGB32);
}
} // namespace

class TestPrintEndToEnd : public QObject {
    Q_OBJECT
    qv::test::EngineBundle<qv::QtPrinter, qv::QtShell, qv::QtGdi> m_engine;
    std::unique_ptr<Form2> m_form;
    QByteArray m_address;

    void command(const QString& item, const QString& answer = {}) {
        m_engine.dialogs.choose(item);
        if (!answer.isEmpty())
            m_engine.dialogs.answer(answer);
        QTest::mouseClick(m_form->Picture1, Qt::LeftButton, {}, QPoint(300, 100));
    }
    void card(const QString& text) {
        command("输入", text);
        command("旋转");
    }
    // The sheet in the window's own pixels, built from what the faces hold rather than by the
    // capture under test.
    QImage sheet() const {
        QImage image(710, 685, QImage::Format_RGB32);
        image.fill(m_form->palette().color(QPalette::Window));
        QPainter painter(&image);
        for (const qv::PictureBox* face : {m_form->Picture2, m_form->Picture1})
            painter.drawImage(face->pos(), face->retainedImage());
        return image;
    }

private slots:
    void initTestCase() {
        if (server().isEmpty() || qEnvironmentVariableIsEmpty("CUPS_SERVER"))
            QSKIP("no private print server (scripts/test.sh starts one when run as root)");
        qv::test::setUpSystemEnvironment();
        m_address = qgetenv("CUPS_SERVER");
    }
    // Two cards, on any desktop scale and whether the program goes on or ends (退出). Each page
    // shows the window's sheet in its own pixels at 96 per inch (7.40 x 7.14 in), nothing shrunk,
    // cut or blacked out, on the printer's own paper at its printable origin: 12 pt (16 px) in
    // with the generic driver, the corner when borderless. A card the print system does not take
    // is told in a box of its own with the reason, also after the window is gone. At the end,
    // while the server is frozen, a dialog counts the cards waiting until it answers; giving up
    // ends at once and says so.
    void cardsGoOutOrAreTold_data() {
        QTest::addColumn<QString>("queue"); // made the default, with these options
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QSize>("paper");
        QTest::addColumn<QPoint>("origin");
        QTest::addColumn<QString>("exit"); // none, "answers", "frozen" or "given up"
        QTest::addColumn<QString>("told");
        auto row = [](const char* name, const QString& queue, const QString& exit = {},
                      const QString& told = {}, const QStringList& options = {},
                      QSize paper = {793, 1123}, QPoint origin = {16, 16}) {
            QTest::newRow(name) << queue << options << paper << origin << exit << told;
        };
        const QString refused =
            "“QuorvelRefuses”拒绝了这份打印任务。\n\n打印系统给出的原因：纸盒空了";
        row("A4, 退出", "Quorvel", "answers");
        row("Letter", "QuorvelLetter", {}, {}, Generic + QStringList{"-o", "PageSize=Letter"},
            {816, 1056});
        row("A5", "QuorvelA5", {}, {}, Generic + QStringList{"-o", "PageSize=A5"}, {560, 793});
        row("borderless A4", "QuorvelBorderless", {}, {}, {"-P", server("/tmp/b.ppd")}, {793, 1123},
            {});
        row("no default printer", "", {}, "还没有设置默认打印机");
        row("server stopped", "Quorvel", {}, "连接不上打印服务");
        row("queue refuses", "QuorvelRefuses", {}, refused, Generic);
        row("退出, frozen, then answers", "Quorvel", "frozen");
        row("退出, frozen, given up", "Quorvel", "given up",
            "2 张桌签没有打印：打印服务一直没有响应，已放弃等待。");
        row("退出, frozen, then refused", "QuorvelRefuses", "frozen", refused, Generic);
    }
    void cardsGoOutOrAreTold() {
        QFETCH(QString, queue);
        QFETCH(QStringList, options);
        QFETCH(QSize, paper);
        QFETCH(QPoint, origin);
        QFETCH(QString, exit);
        QFETCH(QString, told);
        // Whatever the row before did to the server or the window, this one starts afresh.
        qputenv("CUPS_SERVER", m_address);
        signalServer(SIGCONT);
        makeDefault("Quorvel");
        m_engine.dialogs = {};
        if (!m_form || !m_form->isVisible()) {
            m_form = std::make_unique<Form2>(m_engine.engine);
            m_form->show();
            QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
            card("张三");
        }
        if (queue == "QuorvelBorderless") // printable up to the paper's edge
            run("sh", {"-c", "sed 's/\"12 12 583 830\"/\"0 0 595 842\"/' " +
                                 server("/ppd/Quorvel.ppd") + " >" + options.last()});
        if (queue.isEmpty()) { // removing the default queue leaves the server with none
            makeDefault("QuorvelGone", {"-m", "raw"});
            run("lpadmin", {"-x", "QuorvelGone"});
            QVERIFY(run("lpstat", {"-d"}).contains("no system default"));
        } else {
            makeDefault(queue, options);
        }
        if (queue == "QuorvelRefuses")
            run("cupsreject", {"-r", "纸盒空了", queue});
        if (told.contains("连接不上")) // where an ended server leaves nothing to connect to
            qputenv("CUPS_SERVER", server("/stopped.sock").toLocal8Bit());
        const bool frozen = exit == "frozen" || exit == "given up", giveUp = exit == "given up";
        const bool fails = !told.isEmpty() && !giveUp;
        const int before = jobs().size();
        const QImage first = sheet();
        if (frozen)
            signalServer(SIGSTOP);
        command("打印");
        card("一");
        const QImage second = sheet();
        command("打印");
        m_engine.printer.EndDoc(); // nothing painted since: nothing more to hand on
        QString waiting;           // what the dialog at the end said
        bool ended = true, stuck = false;
        if (exit.isEmpty()) {
            QVERIFY(m_engine.printer.finish(std::chrono::seconds(10)));
            QTRY_COMPARE_WITH_TIMEOUT(m_engine.dialogs.messages().size(), fails ? 2 : 0, 5000);
            QVERIFY(m_form->isVisible());
        } else {
            command("退出");
            QVERIFY(!m_form->isVisible());
            m_form.reset(); // as at the program's end: the window hears nothing more
            QTimer watch;
            connect(&watch, &QTimer::timeout, [&] {
                QWidget* dialog = QApplication::activeModalWidget();
                if (!dialog || !waiting.isEmpty())
                    return;
                waiting = dialog->accessibleDescription();
                if (giveUp)
                    dialog->findChild<QPushButton*>()->click();
                else
                    signalServer(SIGCONT);
            });
            watch.start(50);
            QTimer::singleShot(10000, &watch, [&stuck] { // it never closed by itself: do not hang
                if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                    stuck = true, dialog->reject();
            });
            ended = m_engine.printer.finishBeforeExit(m_engine.dialogs);
            signalServer(SIGCONT);
        }
        QCOMPARE(ended, !giveUp);
        QVERIFY(!stuck);
        QCOMPARE(waiting.isEmpty(), !frozen);
        if (frozen) // neither card was handed on while the server was frozen
            QVERIFY2(waiting.startsWith("还有 2 张桌签在等待送往打印机"), qPrintable(waiting));
        const QStringList messages = m_engine.dialogs.messages();
        QCOMPARE(messages.size(), fails ? 2 : int(giveUp));
        QCOMPARE(messages.filter(told).size(), messages.size());
        m_engine.printer.finish(std::chrono::seconds(10));
        for (int wait = 0; wait < 50 && jobs().size() < before + (fails ? 0 : 2); ++wait)
            QTest::qWait(100); // a job that does not come fails the test within seconds
        const QStringList printed = jobs().mid(before);
        QCOMPARE(printed.size(), fails ? 0 : 2);
        for (int i = 0; i < printed.size(); ++i) {
            const QImage printedPage = page(printed[i]), want = i ? second : first;
            QCOMPARE(printedPage.size(), paper);
            QVERIFY(farPixels(printedPage, want, origin) < 710 * 685 / 200); // compression noise
            // Nothing inked beside the sheet, such as a capture of what lies past the window.
            const QRect onPaper(QPoint(), paper - QSize(origin.x(), origin.y()));
            QCOMPARE(qv::test::inkBounds(printedPage, {}, 128).topLeft() -
                         qv::test::inkBounds(want, onPaper, 128).topLeft(),
                     origin);
        }
    }
};

QTEST_MAIN(TestPrintEndToEnd)
#include "test_print_e2e.moc"
