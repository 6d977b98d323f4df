// Printing for real: through the private print server that scripts/test.sh starts, whose
// default queue writes each job as a PDF.
#include "TestSupport.h"

#include "Form2.h"
#include "platform/PictureBox.h"
#include "platform/QtGdi.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using qv::ScriptedDialogs;

namespace {
QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

QDir outputFolder() {
    return QDir(QDir::homePath() + QStringLiteral("/PDF"));
}

QStringList pdfs() {
    return outputFolder().entryList({QStringLiteral("*.pdf")}, QDir::Files);
}

bool queueIdle() {
    return run("lpstat", {"-o"}).trimmed().isEmpty();
}

// Waits until the server has finished every job and the PDFs stop growing.
QStringList settledPdfs(int expected) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 60000) {
        if (queueIdle() && pdfs().size() >= expected) {
            QTest::qWait(300);
            return pdfs();
        }
        QTest::qWait(200);
    }
    return pdfs();
}

struct RealEngine {
    ScriptedDialogs dialogs;
    qv::QtGdi gdi;
    qv::QtPrinter printer;
    qv::MemoryRegistry registry;
    qv::QtShell shell;
    qv::Engine engine{dialogs, gdi, printer, registry, shell};
};
} // namespace

class TestPrintEndToEnd : public QObject {
    Q_OBJECT
    RealEngine m_engine;
    std::unique_ptr<Form2> m_form;

    void command(const QString& item) {
        m_engine.dialogs.choose(item);
        QTest::mouseClick(m_form->Picture1, Qt::LeftButton, {}, QPoint(300, 100));
    }

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("CUPS_SERVER"))
            QSKIP("no private print server (scripts/test.sh starts one when run as root)");
        qv::test::setUpProgramEnvironment();
        m_form = std::make_unique<Form2>(m_engine.engine);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_engine.dialogs.choose(QStringLiteral("输入")).answer(QStringLiteral("张三"));
        QTest::mouseClick(m_form->Picture1, Qt::LeftButton, {}, QPoint(300, 100));
        command(QStringLiteral("旋转"));
        outputFolder().mkpath(QStringLiteral("."));
        for (const QString& old : pdfs())
            outputFolder().remove(old);
    }

    void onePageAtTheOriginAtItsOwnSize() {
        command(QStringLiteral("打印"));
        const QStringList files = settledPdfs(1);
        QCOMPARE(files.size(), 1);
        const QString pdf = outputFolder().filePath(files.first());

        const QString info = run("pdfinfo", {pdf});
        QVERIFY2(info.contains(QRegularExpression("Pages:\\s+1\\n")), qPrintable(info));

        // One image of 710 x 685 pixels at 96 per inch: 7.40 x 7.14 inches.
        const QStringList images = run("pdfimages", {"-list", pdf}).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(images.size(), 3); // two header lines and one image
        const QStringList fields = images[2].simplified().split(' ');
        QCOMPARE(fields[3].toInt(), 710);
        QCOMPARE(fields[4].toInt(), 685);
        const double ppiX = fields[12].toDouble(), ppiY = fields[13].toDouble();
        QVERIFY2(qAbs(710 / ppiX - 710 / 96.0) <= 1.0 / 300 &&
                     qAbs(685 / ppiY - 685 / 96.0) <= 1.0 / 300,
                 qPrintable(images[2]));

        // At 96 dots per inch the page shows the window's pixels at the printable origin.
        const QString base = QDir::temp().filePath(QStringLiteral("quorvel-page"));
        run("pdftoppm", {"-r", "96", "-png", "-singlefile", pdf, base});
        const QImage page =
            QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!page.isNull());
        const QImage sheet = m_form->grab(QRect(0, 0, 710, 685)).toImage();
        // Compare where the strokes are: the faint edge pixels blur in the printed copy.
        const QRect pageInk = qv::test::inkBounds(page, {}, 128);
        const QRect sheetInk = qv::test::inkBounds(sheet, {}, 128);
        QVERIFY2(qAbs(pageInk.width() - sheetInk.width()) <= 1 &&
                     qAbs(pageInk.height() - sheetInk.height()) <= 1,
                 qPrintable(QString("%1x%2 on the page, %3x%4 on screen")
                                .arg(pageInk.width())
                                .arg(pageInk.height())
                                .arg(sheetInk.width())
                                .arg(sheetInk.height())));
        const QPoint origin = pageInk.topLeft() - sheetInk.topLeft();
        // The printable origin: inside the page's margins, not centred or scaled.
        QVERIFY2(origin.x() >= 0 && origin.x() < 60 && origin.y() >= 0 && origin.y() < 60,
                 qPrintable(QString("%1,%2").arg(origin.x()).arg(origin.y())));
        // The page may sit a fraction of a pixel off the 96-dpi grid, so a pixel matches when
        // one of its page neighbours is close to it.
        int far = 0;
        for (int y = 0; y < 685; ++y)
            for (int x = 0; x < 710; ++x) {
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
        QVERIFY2(far < 710 * 685 / 200, qPrintable(QString::number(far))); // compression noise
    }

    void stoppedQueueDoesNothingVisible() {
        const QString queue = run("lpstat", {"-d"}).section(':', 1).trimmed();
        QVERIFY(!queue.isEmpty());
        for (const QString& old : pdfs())
            outputFolder().remove(old);
        const QImage card = m_form->Picture1->retainedImage().copy();
        run("cupsreject", {queue});
        command(QStringLiteral("打印"));
        run("cupsaccept", {queue});
        run("cupsdisable", {queue});
        command(QStringLiteral("打印"));
        QVERIFY(m_engine.dialogs.messages().isEmpty());
        QVERIFY(m_form->isVisible());
        QCOMPARE(qv::test::differingPixels(card, m_form->Picture1->retainedImage()), 0);
        run("cancel", {"-a", queue});
        run("cupsenable", {queue});
        QTest::qWait(500);
        QVERIFY(pdfs().isEmpty());
    }
};

QTEST_MAIN(TestPrintEndToEnd)
#include "test_print_e2e.moc"
