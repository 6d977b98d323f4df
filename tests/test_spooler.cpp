// The hand-off of finished documents to the print system, with a print system that the test
// holds up and lets go at will.
#include "system/PrintSpooler.h"

#include <QTest>

#include <atomic>
#include <future>

using namespace std::chrono_literals;

namespace {
// A print system that stops answering until released, and refuses document 2.
struct PrintSystem {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> entered = 0;
    std::mutex mutex;
    std::vector<int> printed;
    QString operator()(const qv::PrintDocument& document) {
        ++entered;
        released.wait();
        const int number = int(document.pictures.front().inches.x());
        if (number == 2)
            return QStringLiteral("refused");
        std::lock_guard lock(mutex);
        printed.push_back(number);
        return {};
    }
    std::vector<int> seen() {
        std::lock_guard lock(mutex);
        return printed;
    }
};

void submit(qv::PrintSpooler& spooler, int count, int first = 1) {
    for (int number = first; number < first + count; ++number)
        spooler.submit({{{QImage(), QRectF(number, 0, 1, 1)}}});
}

} // namespace

class TestSpooler : public QObject {
    Q_OBJECT
private slots:
    // Nothing is lost while the print system is stuck, the document under way counts as not
    // out, a refused document does not stop the ones behind it and is told once, and the order
    // is kept.
    void documentsGoOutInOrderOnceThePrintSystemAnswers() {
        auto system = std::make_shared<PrintSystem>();
        std::atomic<int> told = 0;
        qv::PrintSpooler spooler([system](const qv::PrintDocument& d) { return (*system)(d); },
                                 [&told] { ++told; });
        submit(spooler, 1);
        QTRY_COMPARE_WITH_TIMEOUT(system->entered.load(), 1, 5000);
        QVERIFY(!spooler.finish(50ms)); // under way, with nothing behind it
        submit(spooler, 3, 2);
        QCOMPARE(spooler.delivered(), 0);
        QCOMPARE(spooler.waiting(), 4);
        system->release.set_value();
        // Counted while the thread works, as the dialog at exit does.
        QTRY_COMPARE_WITH_TIMEOUT(spooler.waiting(), 0, 10000);
        QVERIFY(spooler.finish(10s));
        QCOMPARE(spooler.delivered(), 4);
        QCOMPARE(system->seen(), (std::vector<int>{1, 3, 4}));
        QCOMPARE(told.load(), 1);
        QCOMPARE(spooler.takeFailures(), QStringList{"refused"});
        QVERIFY(spooler.takeFailures().isEmpty());
    }

    // Once the thread is waiting, each new document wakes it at once.
    void aWaitingThreadWakesForEachDocument() {
        auto system = std::make_shared<PrintSystem>();
        system->release.set_value();
        qv::PrintSpooler spooler([system](const qv::PrintDocument& d) { return (*system)(d); });
        for (int number = 1; number <= 3; ++number) {
            // finish() returns only once the thread is back in its wait.
            submit(spooler, 1, number);
            QVERIFY2(spooler.finish(5s), "a document was not picked up");
        }
        QCOMPARE(system->seen(), (std::vector<int>{1, 3}));
    }

    // The program can always end: a spooler stuck in the print system is left behind, and its
    // thread later finishes the document under way without touching what is gone.
    void endingWhileStuckDoesNotHang() {
        auto system = std::make_shared<PrintSystem>();
        {
            qv::PrintSpooler spooler([system](const qv::PrintDocument& d) { return (*system)(d); });
            submit(spooler, 2);
            QVERIFY(!spooler.finish(20ms));
        }
        system->release.set_value();
        QTRY_COMPARE_WITH_TIMEOUT(system->seen(), std::vector<int>{1}, 5000);
        QTest::qWait(100);
        QCOMPARE(system->seen(), std::vector<int>{1});
    }
};

QTEST_GUILESS_MAIN(TestSpooler)
#include "test_spooler.moc"
