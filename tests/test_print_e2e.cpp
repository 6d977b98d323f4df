// Printing for real, through the private print server that scripts/test.sh starts: every job on
// any of its queues lands as PostScript in the server's own output folder. Run once at the
// normal scale and once with the desktop scaled.
#include "EngineBundle.h"
#include "TestSupport.h"

#include "Form2.h"
#include "platform/PictureBox.h"
#include "platform/Printer.h"
#include "platform/Shell.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <signal.h>

namespace {
QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

QString serverDir() {
    return qEnvironmentVariable("QUORVEL_PRINT_SERVER");
}

QStringList jobs() {
    return QDir(serverDir() + QStringLiteral("/out"))
        .entryList({QStringLiteral("*.ps")}, QDir::Files, QDir::Name);
}

// Waits until the given number of jobs has come out of the server.
QStringList jobsWhenThere(int expected) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 60000 && jobs().size() < expected)
        QTest::qWait(100);
    return jobs();
}

void signalServer(int signal) {
    QFile pidFile(serverDir() + QStringLiteral("/cupsd.pid"));
    QVERIFY(pidFile.open(QIODevice::ReadOnly));
    QVERIFY(::kill(pid_t(pidFile.readAll().trimmed().toLong()), signal) == 0);
}

void makeDefault(const QString& queue) {
    run("lpadmin", {"-d", queue});
    QCOMPARE(run("lpstat", {"-d"}).section(':', 1).trimmed(), queue);
}

// A queue like the default one, or with its PPD edited by the given rule, made the default.
void addDefaultQueue(const QString& name, const QStringList& options,
                     const std::function<QByteArray(QByteArray)>& editPpd = {}) {
    QStringList arguments{"-p", name, "-v", "quorvel:/", "-E"};
    if (editPpd) {
        QFile base(serverDir() + QStringLiteral("/ppd/Quorvel.ppd"));
        QVERIFY(base.open(QIODevice::ReadOnly));
        QFile edited(serverDir() + QStringLiteral("/tmp/%1.ppd").arg(name));
        QVERIFY(edited.open(QIODevice::WriteOnly));
        edited.write(editPpd(base.readAll()));
        edited.close();
        arguments << "-P" << edited.fileName();
    } else {
        arguments << "-m" << "drv:///sample.drv/generic.ppd";
    }
    run("lpadmin", arguments + options);
    makeDefault(name);
}

// The job as Ghostscript prints it at 96 dots per inch: A4 paper is 793 x 1123 pixels.
QImage render(const QString& job) {
    QTemporaryDir scratch;
    const QString png = scratch.filePath(QStringLiteral("page.png"));
    run("gs", {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=png16m", "-r96", "-o", png,
               serverDir() + QStringLiteral("/out/") + job});
    return QImage(png).convertToFormat(QImage::Format_RGB32);
}

// Where the printed sheet's top-left corner lies on the page, found by its ink.
QPoint sheetOrigin(const QImage& page, const QImage& sheet) {
    return qv::test::inkBounds(page, {}, 128).topLeft() -
           qv::test::inkBounds(sheet, {}, 128).topLeft();
}

// Pixels of the sheet that have no close match on the page around where they belong. The page
// may sit a fraction of a pixel off the 96-dpi grid, so a neighbour may stand in.
int farPixels(const QImage& page, const QImage& sheet, QPoint origin) {
    int far = 0;
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x) {
            const int want = qGray(sheet.pixel(x, y));
            int best = 255;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const QPoint at = origin + QPoint(x + dx, y + dy);
                    if (page.rect().contains(at))
                        best = std::min(best, qAbs(qGray(page.pixel(at)) - want));
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

    void command(const QString& item) {
        m_engine.dialogs.choose(item);
        QTest::mouseClick(m_form->Picture1, Qt::LeftButton, {}, QPoint(300, 100));
    }
    void card(const QString& text) {
        m_engine.dialogs.choose(QStringLiteral("输入")).answer(text);
        QTest::mouseClick(m_form->Picture1, Qt::LeftButton, {}, QPoint(300, 100));
        command(QStringLiteral("旋转"));
    }
    // The sheet in the window's own pixels, built from what the faces hold, independent of
    // how the print command captures it.
    QImage sheet() const {
        QImage image(710, 685, QImage::Format_RGB32);
        image.fill(m_form->palette().color(QPalette::Window));
        QPainter painter(&image);
        for (const qv::PictureBox* face : {m_form->Picture2, m_form->Picture1})
            painter.drawImage(face->pos(), face->retainedImage());
        return image;
    }
    // Prints and returns the new job's page.
    QImage print() {
        const int before = jobs().size();
        const int handedOn = m_engine.printer.documentsHandedOn();
        command(QStringLiteral("打印"));
        const QStringList after = jobsWhenThere(before + 1);
        // Let the document finish its way out before the next test changes the queues.
        m_engine.printer.finish(std::chrono::seconds(30));
        if (after.size() != before + 1 || m_engine.printer.documentsHandedOn() != handedOn + 1)
            return {};
        return render(after.last());
    }

private slots:
    void initTestCase() {
        if (serverDir().isEmpty() || qEnvironmentVariableIsEmpty("CUPS_SERVER"))
            QSKIP("no private print server (scripts/test.sh starts one when run as root)");
        qv::test::setUpProgramEnvironment();
        m_form = std::make_unique<Form2>(m_engine.engine);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        card(QStringLiteral("张三"));
    }
    void init() { makeDefault(QStringLiteral("Quorvel")); }
    void cleanupTestCase() {
        if (!serverDir().isEmpty())
            makeDefault(QStringLiteral("Quorvel"));
    }

    // On any desktop scale, the page shows the window's sheet in its own pixels at 96 per
    // inch (7.40 x 7.14 in), at the printable origin: nothing shrunk, cut or blacked out.
    void theSheetAtItsOwnSizeAtThePrintableOrigin() {
        const QImage page = print();
        QCOMPARE(page.size(), QSize(793, 1123)); // the queue's A4
        const QImage want = sheet();
        // The generic driver's printable area starts 12 pt (16 px) in from the corner.
        QCOMPARE(sheetOrigin(page, want), QPoint(16, 16));
        const int far = farPixels(page, want, QPoint(16, 16));
        QVERIFY2(far < 710 * 685 / 200, qPrintable(QString::number(far)));
    }

    void thePrintersOwnPaperAndOrigin_data() {
        QTest::addColumn<QString>("queue");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("borderless");
        QTest::addColumn<QSize>("paper");
        QTest::addColumn<QPoint>("origin");
        QTest::newRow("Letter") << "QuorvelLetter" << QStringList{"-o", "PageSize=Letter"}
                                << false << QSize(816, 1056) << QPoint(16, 16);
        QTest::newRow("A5") << "QuorvelA5" << QStringList{"-o", "PageSize=A5"} << false
                            << QSize(560, 793) << QPoint(16, 16);
        QTest::newRow("borderless A4") << "QuorvelBorderless" << QStringList{} << true
                                       << QSize(793, 1123) << QPoint(0, 0);
    }
    void thePrintersOwnPaperAndOrigin() {
        QFETCH(QString, queue);
        QFETCH(QStringList, options);
        QFETCH(bool, borderless);
        QFETCH(QSize, paper);
        QFETCH(QPoint, origin);
        // A borderless printer can print up to the paper's edge: its printable area is the
        // whole sheet.
        const auto wholeSheet = [](QByteArray ppd) {
            static const QRegularExpression paper("\\*PaperDimension ([^:]+): \"([^\"]*)\"");
            QString text = QString::fromLatin1(ppd);
            for (const QRegularExpressionMatch& m : paper.globalMatch(text))
                text.replace(QRegularExpression("\\*ImageableArea " +
                                                QRegularExpression::escape(m.captured(1)) +
                                                ": \"[^\"]*\""),
                             QStringLiteral("*ImageableArea %1: \"0 0 %2\"")
                                 .arg(m.captured(1), m.captured(2)));
            return text.toLatin1();
        };
        addDefaultQueue(queue, options, borderless ? std::function<QByteArray(QByteArray)>(wholeSheet)
                                            : std::function<QByteArray(QByteArray)>());
        const QImage page = print();
        QCOMPARE(page.size(), paper);
        // The card sits where the printer's printable area begins, not 10 pt in from it.
        QCOMPARE(sheetOrigin(page, sheet()), origin);
    }

    // The command returns while the server is frozen; the document goes out, in order with the
    // next one, once the server answers again.
    void aFrozenServerHoldsNothingUp() {
        const int before = jobs().size();
        const int handedOn = m_engine.printer.documentsHandedOn();
        const QImage first = sheet();
        signalServer(SIGSTOP);
        command(QStringLiteral("打印"));
        card(QStringLiteral("一"));
        const QImage second = sheet();
        command(QStringLiteral("打印"));
        // Both commands are back while the server has not answered anything.
        const int handedOnWhileFrozen = m_engine.printer.documentsHandedOn();
        const int jobsWhileFrozen = jobs().size();
        signalServer(SIGCONT);
        QCOMPARE(handedOnWhileFrozen, handedOn);
        QCOMPARE(jobsWhileFrozen, before);
        QVERIFY(m_engine.printer.finish(std::chrono::seconds(60)));
        const QStringList after = jobsWhenThere(before + 2);
        QCOMPARE(after.size(), before + 2);
        const QImage firstPage = render(after[before]);
        const QImage secondPage = render(after[before + 1]);
        QVERIFY(farPixels(firstPage, first, QPoint(16, 16)) < 710 * 685 / 200);
        QVERIFY(farPixels(secondPage, second, QPoint(16, 16)) < 710 * 685 / 200);
        card(QStringLiteral("张三"));
    }

    // A queue that refuses jobs, a stopped queue and no default printer at all: the command
    // shows nothing and the card stays as it was.
    void noUsablePrinterDoesNothingVisible() {
        const QImage card = m_form->Picture1->retainedImage().copy();
        const int before = jobs().size();
        run("cupsreject", {"Quorvel"});
        command(QStringLiteral("打印"));
        QVERIFY(m_engine.printer.finish(std::chrono::seconds(30)));
        run("cupsaccept", {"Quorvel"});
        run("cupsdisable", {"Quorvel"});
        command(QStringLiteral("打印"));
        QVERIFY(m_engine.printer.finish(std::chrono::seconds(30)));
        run("cancel", {"-a", "Quorvel"});
        run("cupsenable", {"Quorvel"});
        // Removing the default queue leaves the server with no default printer.
        addDefaultQueue(QStringLiteral("QuorvelGone"), {});
        run("lpadmin", {"-x", "QuorvelGone"});
        QVERIFY(run("lpstat", {"-d"}).contains(QStringLiteral("no system default")));
        command(QStringLiteral("打印"));
        QVERIFY(m_engine.printer.finish(std::chrono::seconds(30)));
        QVERIFY(m_engine.dialogs.messages().isEmpty());
        QVERIFY(m_form->isVisible());
        QCOMPARE(qv::test::differingPixels(card, m_form->Picture1->retainedImage()), 0);
        QTest::qWait(500);
        QCOMPARE(jobs().size(), before);
    }
};

QTEST_MAIN(TestPrintEndToEnd)
#include "test_print_e2e.moc"
