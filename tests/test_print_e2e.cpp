// Printing for real, through the private print server that scripts/test.sh starts: every job on
// any of its queues lands as PostScript in the server's own output folder. Run once at the
// normal scale and once with the desktop scaled.
#include "EngineBundle.h"
#include "TestSupport.h"

#include "Form2.h"
#include "runtime/PictureBox.h"
#include "system/QtPrinter.h"
#include "system/QtShell.h"

#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
                        best = std::min(best, qAbs(qGray(page.pixel(at)) - qGray(sheet.pixel(x, y))));
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
    // The jobs after the first `before`, once the print system has taken every document and
    // `count` of them have come out.
    QStringList newJobs(int before, int count) {
        m_engine.printer.finish(std::chrono::seconds(60));
        for (int wait = 0; wait < 600 && jobs().size() < before + count; ++wait)
            QTest::qWait(100);
        return jobs().mid(before);
    }

private slots:
    void initTestCase() {
        if (server().isEmpty() || qEnvironmentVariableIsEmpty("CUPS_SERVER"))
            QSKIP("no private print server (scripts/test.sh starts one when run as root)");
        qv::test::setUpProgramEnvironment();
        m_form = std::make_unique<Form2>(m_engine.engine);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        card("张三");
    }
    void init() { makeDefault("Quorvel"); }
    void cleanupTestCase() {
        if (!server().isEmpty())
            makeDefault("Quorvel");
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
        QTest::newRow("borderless A4") << "QuorvelBorderless" << QStringList() << QSize(793, 1123)
                                       << QPoint(0, 0);
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
            options << "-m" << "drv:///sample.drv/generic.ppd";
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

    // The command returns while the server is frozen; both documents go out, in order, once it
    // answers again. Proven by what had happened when the commands returned, not by a clock.
    void aFrozenServerHoldsNothingUp() {
        const int before = jobs().size();
        const int handedOn = m_engine.printer.documentsHandedOn();
        const QImage first = sheet();
        signalServer(SIGSTOP);
        command("打印");
        card("一");
        command("打印");
        const int handedOnWhileFrozen = m_engine.printer.documentsHandedOn();
        const int jobsWhileFrozen = jobs().size();
        signalServer(SIGCONT);
        QCOMPARE(handedOnWhileFrozen, handedOn);
        QCOMPARE(jobsWhileFrozen, before);
        const QStringList printed = newJobs(before, 2);
        QCOMPARE(printed.size(), 2);
        QVERIFY(farPixels(page(printed[0]), first, QPoint(16, 16)) < 710 * 685 / 200);
        QVERIFY(farPixels(page(printed[1]), sheet(), QPoint(16, 16)) < 710 * 685 / 200);
        card("张三");
    }

    // No default printer at all: the command shows nothing, prints nothing and leaves the card
    // as it was.
    void noUsablePrinterDoesNothingVisible() {
        const QImage card = m_form->Picture1->retainedImage().copy();
        const int before = jobs().size();
        const auto printAndWait = [this] {
            command("打印");
            QVERIFY(m_engine.printer.finish(std::chrono::seconds(30)));
        };
        // Removing the default queue leaves the server with no default printer.
        run("lpadmin", {"-p", "QuorvelGone", "-v", "quorvel:/", "-m", "raw", "-E"});
        makeDefault("QuorvelGone");
        run("lpadmin", {"-x", "QuorvelGone"});
        QVERIFY(run("lpstat", {"-d"}).contains("no system default"));
        printAndWait();
        QVERIFY(m_engine.dialogs.messages().isEmpty());
        QVERIFY(m_form->isVisible());
        QCOMPARE(qv::test::differingPixels(card, m_form->Picture1->retainedImage()), 0);
        QTest::qWait(500);
        QCOMPARE(jobs().size(), before);
    }
};

QTEST_MAIN(TestPrintEndToEnd)
#include "test_print_e2e.moc"
