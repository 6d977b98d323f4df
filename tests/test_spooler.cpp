// The hand-off of finished documents to the print system, with a print system that the test
// holds up and lets go at will.
#include "system/PrintSpooler.h"

#include <QTest>

#include <future>

using namespace std::chrono_literals;

namespace {
// A print system that stops answering until released, and throws on document 2 if told to.
struct PrintSystem {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    bool refuseSecond = false;
    std::mutex mutex;
    std::vector<int> printed;
    void operator()(const qv::PrintDocument& document) {
        released.wait();
        const int number = int(document.pictures.front().inches.x());
        if (refuseSecond && number == 2)
            throw std::runtime_error("refused");
        std::lock_guard lock(mutex);
        printed.push_back(number);
    }
    std::vector<int> seen() {
        std::lock_guard lock(mutex);
        return printed;
    }
};

void submit(qv::PrintSpooler& spooler, int count) {
    for (int number = 1; number <= count; ++number)
        spooler.submit({{{QImage(), QRectF(number, 0, 1, 1)}}});
}
} // namespace

class TestSpooler : public QObject {
    Q_OBJECT
private slots:
    // Nothing is lost while the print system is stuck, a refused document does not stop the
    // ones behind it, and the order is kept.
    void documentsGoOutInOrderOnceThePrintSystemAnswers() {
        auto system = std::make_shared<PrintSystem>();
        system->refuseSecond = true;
        qv::PrintSpooler spooler([system](const qv::PrintDocument& d) { (*system)(d); });
        submit(spooler, 4);
        QVERIFY(!spooler.finish(50ms));
        QCOMPARE(spooler.delivered(), 0);
        system->release.set_value();
        QVERIFY(spooler.finish(10s));
        QCOMPARE(spooler.delivered(), 4);
        QCOMPARE(system->seen(), (std::vector<int>{1, 3, 4}));
    }

    // The program can always end: a spooler stuck in the print system is left behind, and its
    // thread later finishes the document under way without touching what is gone.
    void endingWhileStuckDoesNotHang() {
        auto system = std::make_shared<PrintSystem>();
        {
            qv::PrintSpooler spooler([system](const qv::PrintDocument& d) { (*system)(d); });
            submit(spooler, 2);
            QVERIFY(!spooler.finish(20ms));
        }
        system->release.set_value();
        QTRY_COMPARE(system->seen(), std::vector<int>{1});
        QTest::qWait(100);
        QCOMPARE(system->seen(), std::vector<int>{1});
    }
};

QTEST_GUILESS_MAIN(TestSpooler)
#include "test_spooler.moc"
