// The hand-off of finished documents to the print system, with a print system that the test
// holds up and lets go at will.
#include "platform/PrintSpooler.h"

#include <QTest>

#include <future>

using qv::PrintDocument;
using qv::PrintSpooler;
using namespace std::chrono_literals;

namespace {
PrintDocument numbered(int number) {
    PrintDocument document;
    document.pictures.push_back({QImage(), QRectF(number, 0, 1, 1)});
    return document;
}

// A print system that stops answering until released.
struct HeldPrintSystem {
    std::mutex mutex;
    std::vector<int> printed;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    void operator()(const PrintDocument& document) {
        released.wait();
        std::lock_guard lock(mutex);
        printed.push_back(int(document.pictures.front().inches.x()));
    }
    std::vector<int> seen() {
        std::lock_guard lock(mutex);
        return printed;
    }
};
} // namespace

class TestSpooler : public QObject {
    Q_OBJECT
private slots:
    void documentsGoOutInOrderOnceThePrintSystemAnswers() {
        auto system = std::make_shared<HeldPrintSystem>();
        PrintSpooler spooler([system](const PrintDocument& d) { (*system)(d); });
        for (int i = 1; i <= 5; ++i)
            spooler.submit(numbered(i));
        // Nothing is lost while the print system is stuck: quitting now gives up, and says so.
        QVERIFY(!spooler.finish(50ms));
        QCOMPARE(spooler.delivered(), 0);
        system->release.set_value();
        QVERIFY(spooler.finish(10s));
        QCOMPARE(spooler.delivered(), 5);
        QCOMPARE(system->seen(), (std::vector<int>{1, 2, 3, 4, 5}));
    }

    // A refused document does not stop the ones behind it.
    void aFailingDocumentDoesNotStopTheQueue() {
        std::vector<int> printed;
        PrintSpooler spooler([&](const PrintDocument& d) {
            const int number = int(d.pictures.front().inches.x());
            if (number == 2)
                throw std::runtime_error("refused");
            printed.push_back(number);
        });
        for (int i = 1; i <= 3; ++i)
            spooler.submit(numbered(i));
        QVERIFY(spooler.finish(10s));
        QCOMPARE(spooler.delivered(), 3);
        QCOMPARE(printed, (std::vector<int>{1, 3}));
    }

    // The program can always end: a spooler stuck in the print system is left behind, and the
    // thread finishes on its own later without touching what is gone.
    void endingWhileStuckDoesNotHang() {
        auto system = std::make_shared<HeldPrintSystem>();
        {
            PrintSpooler spooler([system](const PrintDocument& d) { (*system)(d); });
            spooler.submit(numbered(1));
            spooler.submit(numbered(2));
            QVERIFY(!spooler.finish(20ms));
        }
        system->release.set_value();
        QTRY_COMPARE(system->seen().size(), std::size_t(1));
        QTest::qWait(100);
        QCOMPARE(system->seen(), std::vector<int>{1});
    }
};

QTEST_GUILESS_MAIN(TestSpooler)
#include "test_spooler.moc"
