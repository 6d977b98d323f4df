// Printing for real, through the private print server that scripts/test.sh starts: every job on
// any of its queues lands as PostScript in the server's own output folder. Run once at the
// normal scale and once with the desktop scaled.
#include "EngineBundle.h"
#include "TestSupport.h"

#include "Form2.h"
#include "runtime/PictureBox.h"
#include "system/QtPrinter.h"
#include "system/QtShell.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <signal.h>

namespace {
QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
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

void makeDefault(const QString& queue) {
    run("lpadmin", {"-d", queue});
    QCOMPARE(run("lpstat", {"-d"}).section(':', 1).trimmed(), queue);
}

// The job as Ghostscript prints it at 96 dots per inch: A4 paper is 793 x 1123 pixels.
QImage page(const QString& job) {
    QTemporaryDir scratch;
    const QString png = scratch.filePath("page.png");
    run("gs", {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=png16m", "-r96", "-o", png,
               server("/out/") + job});
    return QImage(png).convertToFormat(QImage::Format_RGB32);
}

// Pixels of the sheet with no close match on the page where they belong; paper smaller than the
// sheet cuts it. The page may sit a fraction of a pixel off the 96-dpi grid, so a neighbour may
// stand in.
int farPixels(const QImage& page, const QImage& sheet, QPoint origin) {
    int far = 0;
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x) {
            if (!page.rect().contains(origin + QPoint(x, y)))
                continue;
            int best = 255;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const QPoint at = origin + QPoint(x + dx, y + dy);
                    if (page.rect().contains(at))
                        best =
                            std::min(best, qAbs(qGray(page.pixel(at)) - qGray(sheet.pixel(x, y))));
                }
            far += best > 64;
        }
    return far;
}
} // namespace

class TestPrintEndToEnd : public QObject {
    Q_OBJECT
    qv::test::EngineBundle<qv::QtPrinter, qv::QtShell> m_engine;
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
    // The jobs after the first `before`, once `count` of them have come out; a job that does not
    // come fails the test within seconds.
    QStringList newJobs(int before, int count) {
        m_engine.printer.finish(std::chrono::seconds(10));
        for (int wait = 0; wait < 100 && jobs().size() < before + count; ++wait)
            QTest::qWait(100);
        return jobs().mid(before);
    }
    void freshWindow() {
        m_form.reset();
        m_form = std::make_unique<Form2>(m_engine.engine);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        card("张三");
    }

private slots:
    void initTestCase() {
        if (server().isEmpty() || qEnvironmentVariableIsEmpty("CUPS_SERVER"))
            QSKIP("no private print server (scripts/test.sh starts one when run as root)");
        qv::test::setUpProgramEnvironment();
        m_address = qgetenv("CUPS_SERVER");
        freshWindow();
    }
    // Whatever a test did to the server, the default or the window, the next one starts afresh.
    void init() {
        makeDefault("Quorvel");
        m_engine.dialogs = {};
        if (!m_form->isVisible())
            freshWindow();
    }
    void cleanup() {
        qputenv("CUPS_SERVER", m_address);
        signalServer(SIGCONT);
    }
    void cleanupTestCase() {
        if (server().isEmpty())
            return;
        makeDefault("Quorvel");
        // Nothing left going out once the application is gone.
        m_engine.printer.finish(std::chrono::seconds(10));
    }

    // On any desktop scale, the page shows the window's sheet in its own pixels at 96 per inch
    // (7.40 x 7.14 in), nothing shrunk, cut or blacked out, on the printer's own paper and at
    // its printable origin: 12 pt (16 px) in with the generic driver, the corner when borderless.
    void theSheetOnThePrintersPaperAtItsOrigin_data() {
        QTest::addColumn<QString>("queue");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QSize>("paper");
        QTest::addColumn<QPoint>("origin");
        QTest::newRow("A4") << "Quorvel" << QStringList() << QSize(793, 1123) << QPoint(16, 16);
        QTest::newRow("Letter") << "QuorvelLetter" << QStringList{"-o", "PageSize=Letter"}
                                << QSize(816, 1056) << QPoint(16, 16);
        QTest::newRow("A5") << "QuorvelA5" << QStringList{"-o", "PageSize=A5"} << QSize(560, 793)
                            << QPoint(16, 16);
        QTest::newRow("borderless A4")
            << "QuorvelBorderless" << QStringList() << QSize(793, 1123) << QPoint(0, 0);
    }
    void theSheetOnThePrintersPaperAtItsOrigin() {
        QFETCH(QString, queue);
        QFETCH(QStringList, options);
        QFETCH(QSize, paper);
        QFETCH(QPoint, origin);
        if (queue == "QuorvelBorderless") {
            // Printable up to the paper's edge.
            QFile ppd(server("/ppd/Quorvel.ppd")), edited(server("/tmp/borderless.ppd"));
            QVERIFY(ppd.open(QIODevice::ReadOnly) && edited.open(QIODevice::WriteOnly));
            edited.write(ppd.readAll().replace("*ImageableArea A4/A4: \"12 12 583 830\"",
                                               "*ImageableArea A4/A4: \"0 0 595 842\""));
            edited.close();
            options << "-P" << edited.fileName();
        } else if (queue != "Quorvel") {
            options << "-m"
                    << "drv:///sample.drv/generic.ppd";
        }
        if (queue != "Quorvel") {
            run("lpadmin", QStringList{"-p", queue, "-v", "quorvel:/", "-E"} + options);
            makeDefault(queue);
        }
        const int before = jobs().size();
        command("打印");
        const QStringList printed = newJobs(before, 1);
        QCOMPARE(printed.size(), 1);
        const QImage printedPage = page(printed.first()), want = sheet();
        QCOMPARE(printedPage.size(), paper);
        QCOMPARE(qv::test::inkBounds(printedPage, {}, 128).topLeft() -
                     qv::test::inkBounds(want, {}, 128).topLeft(),
                 origin);
        QVERIFY(farPixels(printedPage, want, origin) < 710 * 685 / 200); // compression noise
    }

    // A card the print system does not take is told in a box of its own, with the reason and
    // what to do; nothing is printed, the window stays and the card is kept.
    void failuresAreTold_data() {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("told");
        QTest::newRow("no default printer") << "no default"
                                            << "还没有设置默认打印机";
        QTest::newRow("server stopped") << "stopped"
                                        << "连接不上打印服务";
        QTest::newRow("queue refuses jobs")
            << "refuses"
            << "“QuorvelRefuses”拒绝了这份打印任务。\n\n打印系统给出的原因：纸盒空了";
    }
    void failuresAreTold() {
        QFETCH(QString, failure);
        QFETCH(QString, told);
        if (failure == "no default") {
            // Removing the default queue leaves the server with no default printer.
            run("lpadmin", {"-p", "QuorvelGone", "-v", "quorvel:/", "-m", "raw", "-E"});
            makeDefault("QuorvelGone");
            run("lpadmin", {"-x", "QuorvelGone"});
            QVERIFY(run("lpstat", {"-d"}).contains("no system default"));
        } else if (failure == "stopped") {
            // Where a server that has ended leaves nothing to connect to.
            qputenv("CUPS_SERVER", server("/stopped.sock").toLocal8Bit());
        } else {
            run("lpadmin", {"-p", "QuorvelRefuses", "-v", "quorvel:/", "-m",
                            "drv:///sample.drv/generic.ppd", "-E"});
            run("cupsreject", {"-r", "纸盒空了", "QuorvelRefuses"});
            makeDefault("QuorvelRefuses");
        }
        const QImage card = m_form->Picture1->retainedImage().copy();
        const int before = jobs().size();
        command("打印");
        command("打印");
        QVERIFY(m_engine.printer.finish(std::chrono::seconds(10)));
        QTRY_COMPARE_WITH_TIMEOUT(m_engine.dialogs.messages().size(), 2, 5000);
        for (const QString& message : m_engine.dialogs.messages())
            QVERIFY2(message.startsWith("这张桌签没有打印：") && message.contains(told),
                     qPrintable(message));
        QVERIFY(m_form->isVisible());
        QCOMPARE(qv::test::differingPixels(card, m_form->Picture1->retainedImage()), 0);
        QCOMPARE(jobs().size(), before);
    }

    // 退出 with cards on their way: they go out first. While the server is frozen, the commands
    // return at once and a dialog counts the cards waiting; once the server answers, both go
    // out, in order, and the program ends by itself. Giving up ends at once and says so.
    void exitWithCardsOnTheirWay_data() {
        QTest::addColumn<bool>("frozen");
        QTest::addColumn<bool>("giveUp");
        QTest::newRow("server answers") << false << false;
        QTest::newRow("frozen, then answers") << true << false;
        QTest::newRow("frozen, given up") << true << true;
    }
    void exitWithCardsOnTheirWay() {
        QFETCH(bool, frozen);
        QFETCH(bool, giveUp);
        const int before = jobs().size();
        const QImage first = sheet();
        if (frozen)
            signalServer(SIGSTOP);
        command("打印");
        card("一");
        const QImage second = sheet();
        command("打印");
        command("退出");
        QVERIFY(!m_form->isVisible());
        QString waiting; // what the dialog said
        QElapsedTimer shown;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || dialog->objectName() != "PrintWaitDialog")
                return;
            if (!waiting.isEmpty()) {
                if (shown.hasExpired(10000)) // the cards never went out: fail, do not hang
                    dialog->reject();
                return;
            }
            waiting = dialog->accessibleDescription();
            shown.start();
            if (giveUp)
                dialog->findChild<QPushButton*>()->click();
            else
                signalServer(SIGCONT);
        });
        watch.start(50);
        const bool ended = m_engine.printer.finishBeforeExit(m_engine.dialogs);
        watch.stop();
        signalServer(SIGCONT);
        QCOMPARE(ended, !giveUp);
        QCOMPARE(waiting.isEmpty(), !frozen);
        if (frozen) // neither card was handed on while the server was frozen
            QVERIFY2(waiting.startsWith("还有 2 张桌签在等待送往打印机"), qPrintable(waiting));
        QCOMPARE(m_engine.dialogs.messages(),
                 giveUp ? QStringList{"2 张桌签没有打印：打印服务一直没有响应，已放弃等待。"}
                        : QStringList());
        const QStringList printed = newJobs(before, 2);
        QCOMPARE(printed.size(), 2);
        QVERIFY(farPixels(page(printed[0]), first, QPoint(16, 16)) < 710 * 685 / 200);
        QVERIFY(farPixels(page(printed[1]), second, QPoint(16, 16)) < 710 * 685 / 200);
    }
};

QTEST_MAIN(TestPrintEndToEnd)
#include "test_print_e2e.moc"
