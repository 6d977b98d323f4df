// Printing for real, through the private print server that scripts/test.sh starts: every job on
// any of its queues lands as PostScript in the server's own output folder. Run once at the
// normal scale and once with the desktop scaled.
#include "EngineBundle.h"
#include "SystemTestSupport.h"

#include "Form2.h"
#include "runtime/PictureBox.h"
#include "system/CupsPrinter.h"
#include "system/QtGdi.h"
#include "system/QtShell.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QProcess>
#include <QTest>

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
// Every page that arrived, oldest first: the server's own queues leave PostScript in out/, its
// driverless printers in eve/PAPER/.
QStringList jobs() {
    QFileInfoList found = QDir(server("/out")).entryInfoList({"*.ps"}, QDir::Files);
    for (const char* paper : {"Letter", "A4"})
        found += QDir(server("/eve/") + paper).entryInfoList({"*.prn"}, QDir::Files);
    std::sort(found.begin(), found.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return std::pair(a.lastModified(), a.fileName()) <
               std::pair(b.lastModified(), b.fileName());
    });
    QStringList paths;
    for (const QFileInfo& file : found)
        paths.append(file.absoluteFilePath());
    return paths;
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
    run("gs", {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=png16m", "-r96", "-o", png, job});
    return QImage(png).convertToFormat(QImage::Format_RGB32);
}
} // namespace

using namespace std::chrono_literals;

const QString PdfPrinterPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");

class TestPrintEndToEnd : public QObject {
    Q_OBJECT
    // A server that stops answering is given up on after this long here; users wait a minute.
    static constexpr std::chrono::milliseconds AnswerWithin = 3s;
    using Engine = qv::test::EngineBundle<qv::CupsPrinter, qv::QtShell, qv::QtGdi>;
    std::unique_ptr<Engine> m_engine;
    std::unique_ptr<Form2> m_form;
    QByteArray m_address;
    int m_jobsBefore = 0;

    void command(const QString& item, const QString& answer = {}) {
        m_engine->dialogs.choose(item);
        if (!answer.isEmpty())
            m_engine->dialogs.answer(answer);
        QTest::mouseClick(m_form->Picture1, Qt::LeftButton, {}, QPoint(300, 100));
    }
    void card(const QString& text) {
        command("输入", text);
        command("旋转");
    }
    // A window showing a card, on a printer that gives up on a silent server after so long.
    void openWindow(std::chrono::milliseconds answerWithin) {
        m_form.reset();
        m_engine = std::make_unique<Engine>(QString(), answerWithin);
        m_form = std::make_unique<Form2>(m_engine->engine);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        card("张三");
        m_jobsBefore = int(jobs().size());
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
    // Two cards printed one after the other; the sheets they showed.
    QList<QImage> printTwoCards() {
        const QImage first = sheet();
        command("打印");
        card("一");
        const QImage second = sheet();
        command("打印");
        m_engine->printer.EndDoc(); // nothing painted since: nothing more to hand on
        return {first, second};
    }
    // The jobs that arrived since the test began, once `count` of them did or seconds passed.
    QStringList newJobs(int count) {
        QElapsedTimer clock;
        clock.start();
        // A driverless printer's page is whole once the server has no job left.
        while ((jobs().size() < m_jobsBefore + count || !run("lpstat", {"-o"}).isEmpty()) &&
               clock.elapsed() < 20000)
            QTest::qWait(50);
        return jobs().mid(m_jobsBefore);
    }
    // Both cards were told as not printed for this reason, and none came out. Giving up at the
    // end tells what is still on its way before it returns.
    void toldTwiceAndNothingPrinted(const QString& reason) {
        QVERIFY(m_engine->printer.spooler().finish(AnswerWithin * 3));
        QCOMPARE(m_engine->printer.abandon(), 0);
        QCOMPARE(m_engine->dialogs.messages().size(), 2);
        for (const QString& message : m_engine->dialogs.messages())
            QVERIFY2(message.startsWith("这张桌签没有打印：" + reason), qPrintable(message));
        QVERIFY(m_form->isVisible());
        QCOMPARE(jobs().size(), m_jobsBefore);
    }

private slots:
    void initTestCase() {
        if (server().isEmpty() || qEnvironmentVariableIsEmpty("CUPS_SERVER"))
            QSKIP("no private print server (scripts/test.sh starts one when run as root)");
        qv::test::setUpSystemEnvironment();
        m_address = qgetenv("CUPS_SERVER");
        // A queue whose printable area starts further in from the left than from the top.
        run("sh", {"-c", "sed 's/\"12 12 583 830\"/\"36 12 583 830\"/' " +
                             server("/ppd/Quorvel.ppd") + " >" + server("/tmp/uneven.ppd")});
    }
    // Every test starts with the server running at its address, its queue Quorvel the default,
    // and a window showing a card.
    void init() {
        qputenv("CUPS_SERVER", m_address);
        signalServer(SIGCONT);
        makeDefault("Quorvel");
        openWindow(AnswerWithin);
    }
    void cleanup() {
        signalServer(SIGCONT);
        // No printer left paused, nor a job left at one that never ends.
        run("cancel", {"-a"});
        m_form.reset();
        m_engine.reset();
    }

    // Each page shows the window's sheet in its own pixels at 96 per inch (7.40 x 7.14 in),
    // nothing shrunk, cut or blacked out, on the printer's own paper, asked for by its name, at
    // its printable origin: 12 pt (16 px) in with the generic driver.
    void pagesOnThePrintersOwnPaper_data() {
        QTest::addColumn<QString>("queue"); // made the default, with these options
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QSize>("paper");
        QTest::addColumn<QPoint>("origin");
        QTest::addColumn<QString>("media"); // as the job asks for it; empty: the queue's default
        const QStringList generic{"-m", "drv:///sample.drv/generic.ppd"};
        QTest::newRow("A4") << "Quorvel" << QStringList() << QSize(793, 1123) << QPoint(16, 16)
                            << "iso_a4_210x297mm";
        QTest::newRow("Letter") << "QuorvelLetter" << generic + QStringList{"-o", "PageSize=Letter"}
                                << QSize(816, 1056) << QPoint(16, 16) << "na_letter_8.5x11in";
        QTest::newRow("A5") << "QuorvelA5" << generic + QStringList{"-o", "PageSize=A5"}
                            << QSize(560, 793) << QPoint(16, 16) << "iso_a5_148x210mm";
        QTest::newRow("A4, wider left margin")
            << "QuorvelUneven" << QStringList{"-P", server("/tmp/uneven.ppd")} << QSize(793, 1123)
            << QPoint(48, 16) << "iso_a4_210x297mm";
        // A PDF printer: its sizes have no margins, and the server names no default medium.
        QTest::newRow("PDF printer, Letter")
            << "QuorvelPdf" << QStringList{"-P", PdfPrinterPpd, "-o", "PageSize=Letter"}
            << QSize(816, 1056) << QPoint(0, 0) << "";
        // Driverless IPP Everywhere printers, with margins of their own.
        QTest::newRow("IPP Everywhere, Letter, 1/4 in margins")
            << "QuorvelEveLetter" << QStringList() << QSize(816, 1056) << QPoint(24, 24)
            << "na_letter_8.5x11in";
        QTest::newRow("IPP Everywhere, A4, 12.7 mm margins")
            << "QuorvelEveA4" << QStringList() << QSize(793, 1123) << QPoint(48, 48)
            << "iso_a4_210x297mm";
    }
    void pagesOnThePrintersOwnPaper() {
        QFETCH(QString, queue);
        QFETCH(QStringList, options);
        QFETCH(QSize, paper);
        QFETCH(QPoint, origin);
        QFETCH(QString, media);
        if (options.contains(PdfPrinterPpd) && !QFile::exists(PdfPrinterPpd))
            QSKIP("no PDF printer driver (printer-driver-cups-pdf)");
        if (queue.startsWith("QuorvelEve") && !run("lpstat", {"-v"}).contains(queue + ":"))
            QSKIP("no driverless printer: the print server sets them up only where it can run "
                  "in a network of its own (unshare -n, ip) with ippeveprinter and dbus-daemon");
        makeDefault(queue, options);
        const QList<QImage> sheets = printTwoCards();
        QVERIFY(m_engine->printer.spooler().finish(10s));
        const QStringList printed = newJobs(2);
        QCOMPARE(printed.size(), 2);
        QCOMPARE(m_engine->dialogs.messages(), QStringList());
        for (int i = 0; i < 2; ++i) {
            // What the job asked for, where the printer keeps it.
            if (QFile asked(printed[i] + ".options"); asked.open(QIODevice::ReadOnly)) {
                const QStringList askedFor = QString::fromUtf8(asked.readAll()).split(' ');
                QVERIFY2(media.isEmpty() ? !askedFor.join(' ').contains("media=")
                                         : askedFor.contains("media=" + media),
                         qPrintable(askedFor.join(' ')));
                QVERIFY(askedFor.contains("print-scaling=none"));
            }
            const QImage printedPage = page(printed[i]);
            QCOMPARE(printedPage.size(), paper);
            QVERIFY(farPixels(printedPage, sheets[i], origin) < 710 * 685 / 200); // compression
            // Nothing inked beside the sheet, such as a capture of what lies past the window.
            const QRect onPaper(QPoint(), paper - QSize(origin.x(), origin.y()));
            QCOMPARE(qv::test::inkBounds(printedPage, {}, 128).topLeft() -
                         qv::test::inkBounds(sheets[i], onPaper, 128).topLeft(),
                     origin);
        }
    }

    // The page goes from memory to the server: a temporary folder that cannot take a file does
    // not keep a card from printing.
    void noTemporaryFolderNeeded() {
        const QByteArray before = qgetenv("TMPDIR");
        qputenv("TMPDIR", server("/tmp/no-such-folder").toLocal8Bit());
        printTwoCards();
        const bool out = m_engine->printer.spooler().finish(10s);
        qputenv("TMPDIR", before);
        QVERIFY(out);
        QCOMPARE(m_engine->dialogs.messages(), QStringList());
        QCOMPARE(newJobs(2).size(), 2);
    }

    // A server that wants a login asks for it in a box offering the login name; the card goes
    // out with the right password, a wrong one is asked again, and no login is told as such.
    void serverAsksForLogin_data() {
        QTest::addColumn<QStringList>("passwords"); // given in turn; "" cancels the box
        QTest::addColumn<int>("printed");
        QTest::addColumn<QString>("told");
        QTest::newRow("right") << QStringList{"right"} << 1 << QString();
        QTest::newRow("wrong, then right") << QStringList{"wrong", "right"} << 1 << QString();
        QTest::newRow("cancelled")
            << QStringList{""} << 0
            << "这张桌签没有打印：打印服务要求先登录，但没有输入用户名和密码。";
        QTest::newRow("always wrong") << QStringList{"wrong", "wrong", "wrong"} << 0
                                      << "这张桌签没有打印：打印服务不接受输入的用户名和密码。";
    }
    void serverAsksForLogin() {
        QFETCH(QStringList, passwords);
        QFETCH(int, printed);
        QFETCH(QString, told);
        QFile account(server("/login"));
        QVERIFY(account.open(QIODevice::ReadOnly));
        const QStringList login = QString::fromUtf8(account.readAll()).split('\n');
        makeDefault("QuorvelLogin",
                    {"-m", "drv:///sample.drv/generic.ppd", "-o", "printer-op-policy=login"});
        // The server makes a wrong password wait a few seconds before it answers.
        openWindow(30s);
        command("打印");
        for (const QString& password : passwords) {
            if (password.isEmpty())
                m_engine->dialogs.cancelLogin();
            else
                m_engine->dialogs.login(login[0], password == "right" ? login[1] : "x" + login[1]);
        }
        // The box is shown from the window's loop.
        QTRY_VERIFY_WITH_TIMEOUT(m_engine->printer.waiting() == 0, 15000);
        QTest::qWait(0);
        QCOMPARE(newJobs(printed).size(), printed);
        QCOMPARE(m_engine->dialogs.unexpected(), 0);
        const QStringList prompts = m_engine->dialogs.loginPrompts();
        QCOMPARE(prompts.size(), passwords.size());
        QVERIFY2(prompts[0].endsWith("[" + qEnvironmentVariable("USER", "root") + "]"),
                 qPrintable(prompts[0]));
        for (qsizetype i = 1; i < prompts.size(); ++i)
            QVERIFY2(prompts[i].startsWith("用户名或密码不对。"), qPrintable(prompts[i]));
        QCOMPARE(m_engine->dialogs.messages().size(), told.isEmpty() ? 0 : 1);
        if (!told.isEmpty())
            QVERIFY2(m_engine->dialogs.messages()[0].startsWith(told),
                     qPrintable(m_engine->dialogs.messages()[0]));
    }

    // A card the print system does not take is told in a box of its own with the right reason,
    // and the window goes on.
    void noDefaultPrinter() {
        // Removing the default queue leaves the server with none.
        makeDefault("QuorvelGone", {"-m", "raw"});
        run("lpadmin", {"-x", "QuorvelGone"});
        QVERIFY(run("lpstat", {"-d"}).contains("no system default"));
        printTwoCards();
        toldTwiceAndNothingPrinted("还没有设置默认打印机");
    }
    void nothingListensWhereTheServerShouldBe() {
        qputenv("CUPS_SERVER", server("/stopped.sock").toLocal8Bit());
        printTwoCards();
        toldTwiceAndNothingPrinted("连接不上打印服务");
    }
    void queueRefuses() {
        makeDefault("QuorvelRefuses", {"-m", "drv:///sample.drv/generic.ppd"});
        run("cupsreject", {"-r", "纸盒空了", "QuorvelRefuses"});
        printTwoCards();
        toldTwiceAndNothingPrinted(
            "打印机“QuorvelRefuses”拒绝了这份打印任务。\n\n打印系统给出的原因：纸盒空了");
    }
    // A card the print system took is followed until it is printed: a card waiting at a paused
    // or unreachable printer is told once, as news; one the printer cancels is told as not
    // printed, with the printer's reason.
    void cardFollowed_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("told");
        QTest::newRow("paused") << "quorvel:/"
                                << "这张桌签在打印队列中等待：打印机已暂停。"
                                   "打印机给出的原因：墨粉更换中";
        QTest::newRow("device out of reach")
            << "quorvel:/unreachable"
            << "这张桌签在打印队列中等待：打印服务连接不上打印机“QuorvelFollowed”。"
               "打印机给出的原因：连接不上打印机";
        QTest::newRow("cancelled at the printer")
            << "quorvel:/cancel"
            << "这张桌签没有打印：打印机“QuorvelFollowed”接受了这份打印任务，但随后取消了它。"
               "\n\n打印机给出的原因：打印机不支持这种纸张";
    }
    void cardFollowed() {
        QFETCH(QString, device);
        QFETCH(QString, told);
        makeDefault("QuorvelFollowed", {"-m", "drv:///sample.drv/generic.ppd", "-v", device});
        const bool paused = QTest::currentDataTag() == QLatin1String("paused");
        if (paused)
            run("cupsdisable", {"-r", "墨粉更换中", "QuorvelFollowed"});
        command("打印");
        QTRY_COMPARE_WITH_TIMEOUT(m_engine->dialogs.messages().size(), 1, 20000);
        QVERIFY2(m_engine->dialogs.messages()[0].startsWith(told),
                 qPrintable(m_engine->dialogs.messages()[0]));
        // Told once, however often the printer is asked about it.
        QTest::qWait(3 * qv::JobWatcher::Every.count());
        QCOMPARE(m_engine->dialogs.messages().size(), 1);
        if (paused) {
            run("cupsenable", {"QuorvelFollowed"});
            QCOMPARE(newJobs(1).size(), 1);
        }
    }
    // A queue turned away while it still prints the card before: the reason told is the
    // refusal's own, not the progress of the card being printed.
    void queueRefusesWhilePrinting() {
        makeDefault("QuorvelSlow", {"-m", "drv:///sample.drv/generic.ppd", "-v", "quorvel:/slow"});
        command("打印");
        QTRY_VERIFY_WITH_TIMEOUT(run("lpstat", {"-p", "QuorvelSlow"}).contains("now printing"),
                                 10000);
        run("cupsreject", {"-r", "纸盒空了，请加纸", "QuorvelSlow"});
        command("打印");
        QTRY_COMPARE_WITH_TIMEOUT(m_engine->dialogs.messages().size(), 1, 10000);
        const QString message = m_engine->dialogs.messages()[0];
        QVERIFY2(message.startsWith("这张桌签没有打印：打印机“QuorvelSlow”拒绝了这份打印任务。") &&
                     message.contains("not accepting jobs") && !message.contains("Printing"),
                 qPrintable(message));
        run("cupsaccept", {"QuorvelSlow"});
    }

    // A server that takes the connection and then stops answering is told as such, however
    // far the card got, never as a missing printer.
    void serverStopsAnswering() {
        signalServer(SIGSTOP);
        printTwoCards();
        toldTwiceAndNothingPrinted("打印服务没有响应");
    }
};

QTEST_MAIN(TestPrintEndToEnd)
#include "test_print_e2e.moc"
