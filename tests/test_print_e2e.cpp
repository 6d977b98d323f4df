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

#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QProcess>
#include <QTest>

namespace {
QString server(const QString& path = {}) {
    return qEnvironmentVariable("QUORVEL_PRINT_SERVER") + path;
}
// Runs a shell command; `q QUEUE [DEVICE]` sets up a queue with the generic driver, the default.
QString sh(const QString& command) {
    QProcess process;
    process.start("sh", {"-c", "q() { lpadmin -p $1 -v ${2:-quorvel:/} -m "
                               "drv:///sample.drv/generic.ppd -E && lpadmin -d $1; }; " +
                                   command});
    return process.waitForFinished(60000) ? QString::fromLocal8Bit(process.readAllStandardOutput())
                                          : QString();
}
// Every page that arrived, oldest first: the server's own queues leave PostScript in out/, its
// driverless printers in eve/PAPER/.
QStringList jobs() {
    return sh("cd " + server() + " && ls -1dtr \"$PWD\"/out/*.ps \"$PWD\"/eve/*/*.prn 2>/dev/null")
        .split('\n', Qt::SkipEmptyParts);
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
    sh("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r96 -o " + png + " " + job);
    return QImage(png).convertToFormat(QImage::Format_RGB32);
}
} // namespace

using namespace std::chrono_literals;

const QString PdfPrinterPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");

class TestPrintEndToEnd : public QObject {
    Q_OBJECT
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
    // A window showing a card, on a printer that gives up on a silent server after so long.
    void openWindow(std::chrono::milliseconds answerWithin) {
        m_form.reset();
        m_engine = std::make_unique<Engine>(QString(), answerWithin);
        m_form = std::make_unique<Form2>(m_engine->engine);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        command("输入", "张三");
        command("旋转");
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
        command("输入", "一");
        command("旋转");
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
        while ((jobs().size() < m_jobsBefore + count || !sh("lpstat -o").isEmpty()) &&
               clock.elapsed() < 20000)
            QTest::qWait(50);
        return jobs().mid(m_jobsBefore);
    }

private slots:
    void initTestCase() {
        if (server().isEmpty() || qEnvironmentVariableIsEmpty("CUPS_SERVER"))
            QSKIP("no private print server (scripts/test.sh starts one when run as root)");
        qv::test::setUpSystemEnvironment();
        m_address = qgetenv("CUPS_SERVER");
        // A queue whose printable area starts further in from the left than from the top.
        sh("sed 's/\"12 12 583 830\"/\"36 12 583 830\"/' " + server("/ppd/Quorvel.ppd") + " >" +
           server("/tmp/uneven.ppd"));
    }
    // Every test starts with the server running at its address, its queue Quorvel the default,
    // and a window showing a card; a server that stops answering is given up on after 3 s here
    // (users wait a minute).
    void init() {
        qputenv("CUPS_SERVER", m_address);
        sh("kill -CONT $(cat " + server("/cupsd.pid") + "); lpadmin -d Quorvel");
        openWindow(3s);
    }
    void cleanup() {
        // No server or printer left paused, nor a job left at one that never ends.
        sh("kill -CONT $(cat " + server("/cupsd.pid") + "); cancel -a");
        m_form.reset();
        m_engine.reset();
    }

    // Each page shows the window's sheet in its own pixels at 96 per inch (7.40 x 7.14 in),
    // nothing shrunk, cut or blacked out, on the printer's own paper, asked for by its name, at
    // its printable origin: 12 pt (16 px) in with the generic driver.
    void pagesOnThePrintersOwnPaper_data() {
        QTest::addColumn<QString>("queue"); // made the default, set up with these options
        QTest::addColumn<QString>("options");
        QTest::addColumn<QSize>("paper");
        QTest::addColumn<QPoint>("origin");
        QTest::addColumn<QString>("media"); // as the job asks for it; empty: the queue's default
        const QString generic = "-m drv:///sample.drv/generic.ppd -o PageSize=";
        QTest::newRow("A4") << "Quorvel"
                            << "" << QSize(793, 1123) << QPoint(16, 16) << "iso_a4_210x297mm";
        QTest::newRow("Letter") << "QuorvelLetter" << generic + "Letter" << QSize(816, 1056)
                                << QPoint(16, 16) << "na_letter_8.5x11in";
        QTest::newRow("A5") << "QuorvelA5" << generic + "A5" << QSize(560, 793) << QPoint(16, 16)
                            << "iso_a5_148x210mm";
        QTest::newRow("A4, wider left margin")
            << "QuorvelUneven"
            << "-P " + server("/tmp/uneven.ppd") << QSize(793, 1123) << QPoint(48, 16)
            << "iso_a4_210x297mm";
        // A PDF printer: its sizes have no margins, and the server names no default medium.
        QTest::newRow("PDF printer, Letter") << "QuorvelPdf"
                                             << "-P " + PdfPrinterPpd + " -o PageSize=Letter"
                                             << QSize(816, 1056) << QPoint(0, 0) << "";
        // A driverless IPP Everywhere printer, with margins of its own.
        QTest::newRow("IPP Everywhere, A4, 12.7 mm margins")
            << "QuorvelEveA4"
            << "" << QSize(793, 1123) << QPoint(48, 48) << "iso_a4_210x297mm";
    }
    void pagesOnThePrintersOwnPaper() {
        QFETCH(QString, queue);
        QFETCH(QString, options);
        QFETCH(QSize, paper);
        QFETCH(QPoint, origin);
        QFETCH(QString, media);
        if (options.contains(PdfPrinterPpd) && !QFile::exists(PdfPrinterPpd))
            QSKIP("no PDF printer driver (printer-driver-cups-pdf)");
        if (queue.startsWith("QuorvelEve") && !sh("lpstat -v").contains(queue + ":"))
            QSKIP("no driverless printer: the print server sets them up only where it can run "
                  "in a network of its own (unshare -n, ip) with ippeveprinter and dbus-daemon");
        if (!options.isEmpty())
            sh("lpadmin -p " + queue + " -v quorvel:/ -E " + options);
        sh("lpadmin -d " + queue);
        // The page goes from memory to the server: no temporary folder is needed.
        const QByteArray tmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", server("/tmp/no-such-folder").toLocal8Bit());
        const QList<QImage> sheets = printTwoCards();
        const bool out = m_engine->printer.spooler().finish(10s);
        qputenv("TMPDIR", tmp);
        QVERIFY(out);
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

    // A card the print system does not take, or takes and then cannot print, is told once, in
    // a box of its own with the right reason, and the window goes on; a card waiting at a
    // paused or unreachable printer is told as news, and prints once the printer is back. A
    // server that wants a login asks in a box offering the login name, again after a wrong
    // password; only a card without a login is told.
    void cardNotPrinted_data() {
        QTest::addColumn<QString>("setup"); // by sh; a leading / is a socket for CUPS_SERVER
        QTest::addColumn<QString>("told");  // how each card's message begins; empty: none
        QTest::addColumn<QStringList>("passwords"); // given in turn; "" cancels the box
        QTest::addColumn<int>("printed");
        QTest::addColumn<QString>("then"); // by sh, before the pages are counted
        const auto row = [](const char* name, const QString& setup, const QString& told,
                            const QStringList& passwords = {}, int printed = 0,
                            const QString& then = {}) {
            QTest::newRow(name) << setup << told << passwords << printed << then;
        };
        const QString no = "这张桌签没有打印：", waits = "这张桌签在打印队列中等待：";
        row("no default printer", "q QuorvelGone && lpadmin -x QuorvelGone",
            no + "还没有设置默认打印机");
        row("nothing listens", "/stopped.sock", no + "连接不上打印服务");
        row("server stops answering", "kill -STOP $(cat $QUORVEL_PRINT_SERVER/cupsd.pid)",
            no + "打印服务没有响应");
        row("queue refuses", "q QuorvelRefuses && cupsreject -r 纸盒空了 QuorvelRefuses",
            no + "打印机“QuorvelRefuses”拒绝了这份打印任务。\n\n打印系统给出的原因：纸盒空了");
        // The reason told is the refusal's own, not the progress of the job being printed.
        row("queue refuses while printing",
            "q QuorvelSlow quorvel:/slow && echo x | lp -d QuorvelSlow && until lpstat -p "
            "QuorvelSlow | grep -q 'now printing'; do sleep 0.1; done && cupsreject -r 纸盒空了 "
            "QuorvelSlow",
            no + "打印机“QuorvelSlow”拒绝了这份打印任务。\n\n"
                 "打印系统给出的原因：Destination \"QuorvelSlow\" is not accepting jobs.");
        row("paused", "q QuorvelFollowed && cupsdisable -r 墨粉更换中 QuorvelFollowed",
            waits + "打印机已暂停。打印机给出的原因：墨粉更换中", {}, 2,
            "cupsenable QuorvelFollowed");
        row("device out of reach", "q QuorvelFollowed quorvel:/unreachable",
            waits + "打印服务连接不上打印机“QuorvelFollowed”。打印机给出的原因：连接不上打印机");
        row("cancelled at the printer", "q QuorvelFollowed quorvel:/cancel",
            no + "打印机“QuorvelFollowed”接受了这份打印任务，但随后取消了它。\n\n"
                 "打印机给出的原因：打印机不支持这种纸张");
        const QString login = "q QuorvelLogin && lpadmin -p QuorvelLogin -o "
                              "printer-op-policy=login";
        row("login", login, "", {"right"}, 1);
        row("login, wrong, then right", login, "", {"wrong", "right"}, 1);
        row("login cancelled", login, no + "打印服务要求先登录，但没有输入用户名和密码。", {""});
        row("login always wrong", login, no + "打印服务不接受输入的用户名和密码。",
            {"wrong", "wrong", "wrong"});
    }
    void cardNotPrinted() {
        QFETCH(QString, setup);
        QFETCH(QStringList, passwords);
        QFETCH(QString, told);
        QFETCH(QString, then);
        QFETCH(int, printed);
        if (!passwords.isEmpty())
            openWindow(30s); // the server makes a wrong password wait a few seconds
        if (setup.startsWith('/'))
            qputenv("CUPS_SERVER", server(setup).toLocal8Bit());
        else
            sh(setup);
        passwords.isEmpty() ? void(printTwoCards()) : command("打印");
        const QStringList login = sh("cat " + server("/login")).split('\n');
        for (const QString& password : passwords)
            password.isEmpty()
                ? m_engine->dialogs.cancelLogin()
                : m_engine->dialogs.login(login[0], (password == "right" ? "" : "x") + login[1]);
        // The login box is shown from the window's loop. Giving up at the end tells what is
        // still on its way before it returns.
        QTRY_COMPARE_WITH_TIMEOUT(m_engine->printer.waiting(), 0, 15000);
        QCOMPARE(m_engine->printer.abandon(), 0);
        const int cards = told.isEmpty() ? 0 : passwords.isEmpty() ? 2 : 1;
        QTRY_COMPARE_WITH_TIMEOUT(m_engine->dialogs.messages().size(), cards, 20000);
        if (printed == 0)
            QCOMPARE(jobs().size(), m_jobsBefore);
        // Told once, however often the printer is asked about it.
        QTest::qWait(3 * qv::JobWatcher::Every.count());
        QCOMPARE(m_engine->dialogs.messages().size(), cards);
        for (const QString& message : m_engine->dialogs.messages())
            QVERIFY2(message.startsWith(told), qPrintable(message));
        QVERIFY(m_form->isVisible());
        QCOMPARE(m_engine->dialogs.unexpected(), 0);
        const QStringList prompts = m_engine->dialogs.loginPrompts();
        QCOMPARE(prompts.size(), passwords.size());
        for (qsizetype i = 0; i < prompts.size(); ++i)
            QVERIFY2(i == 0 ? prompts[i].endsWith("[" + qEnvironmentVariable("USER", "root") + "]")
                            : prompts[i].startsWith("用户名或密码不对。"),
                     qPrintable(prompts[i]));
        sh(then);
        if (printed > 0)
            QCOMPARE(newJobs(printed).size(), printed);
    }
};

QTEST_MAIN(TestPrintEndToEnd)
#include "test_print_e2e.moc"
