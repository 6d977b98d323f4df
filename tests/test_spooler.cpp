// The hand-off of finished documents to the print system, with a print system that the test
// holds up and lets go at will, and that stops when told to give up, as the real one does. A
// spooler whose thread does not end when given up hangs the test until its time-out.
#include "system/PrintSpooler.h"

#include <QTest>

#include <future>

using namespace std::chrono_literals;
using qv::PrintFailure;

namespace {
// A print system that stops answering until released or cancelled, and refuses document 2.
struct PrintSystem {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> entered = 0;
    std::vector<int> printed;
    std::optional<PrintFailure> operator()(const qv::PrintDocument& document, int& cancel) {
        ++entered;
        while (released.wait_for(5ms) != std::future_status::ready)
            if (std::atomic_ref(cancel).load())
                return PrintFailure{PrintFailure::Reason::GivenUp, {}, {}};
        const int number = int(document.pictures.front().inches.x());
        if (number == 2)
            return PrintFailure{PrintFailure::Reason::Refused, QStringLiteral("Q"), {}};
        printed.push_back(number); // read once the spooler says all went out
        return std::nullopt;
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
    // Nothing is lost while the print system is stuck, and the document under way counts as
    // not out. Let go, a refused document does not stop the ones behind it and is told once
    // on the listener's thread, and the order is kept. Given up instead, the document under
    // way is cancelled, those behind it dropped, all counted, none told as refused, and the
    // thread ends: nothing comes out afterwards, and nothing more is taken.
    void stuckPrintSystem_data() {
        QTest::addColumn<bool>("giveUp");
        QTest::newRow("let go") << false;
        QTest::newRow("given up") << true;
    }
    void stuckPrintSystem() {
        QFETCH(bool, giveUp);
        PrintSystem system;
        qv::PrintSpooler spooler(std::ref(system));
        QList<PrintFailure> told;
        connect(
            &spooler, &qv::PrintSpooler::changed, this, [&] { told += spooler.takeFailures(); },
            Qt::QueuedConnection);
        submit(spooler, 1);
        QTRY_COMPARE_WITH_TIMEOUT(system.entered.load(), 1, 5000);
        QVERIFY(!spooler.finish(50ms)); // under way, with nothing behind it
        submit(spooler, 3, 2);
        QCOMPARE(spooler.waiting(), 4);
        if (giveUp)
            QCOMPARE(spooler.abandon(), 4);
        system.release.set_value();
        // Counted while the thread works, as the dialog at exit does.
        QTRY_COMPARE_WITH_TIMEOUT(spooler.waiting(), 0, 10000);
        QVERIFY(spooler.finish(10s));
        QCOMPARE(system.printed, (giveUp ? std::vector<int>() : std::vector<int>{1, 3, 4}));
        QTRY_COMPARE_WITH_TIMEOUT(told.size(), giveUp ? 0 : 1, 5000);
        QCOMPARE(spooler.abandon(), 0);
        submit(spooler, 1, 5);
        QCOMPARE(spooler.waiting(), 0);
        QCOMPARE(system.entered.load(), giveUp ? 1 : 4);
        told += spooler.takeFailures();
        QCOMPARE(told.size(), giveUp ? 0 : 1);
        if (!giveUp)
            QCOMPARE(told.front().reason, PrintFailure::Reason::Refused);
    }

    // Counted and heard while documents go out back to back, as the window and the dialog at
    // exit do; under ThreadSanitizer, anything the thread keeps outside its lock shows here.
    // Then, once the thread is waiting, each new document wakes it at once.
    void countedWhileDocumentsGoOutBackToBack() {
        PrintSystem system;
        system.release.set_value();
        qv::PrintSpooler spooler(std::ref(system));
        submit(spooler, 40);
        QList<PrintFailure> told;
        for (int last = 40, now; (now = spooler.waiting()) > 0; last = now) {
            QVERIFY(now <= last);
            told += spooler.takeFailures();
        }
        QVERIFY(spooler.finish(10s));
        QCOMPARE(told.size() + spooler.takeFailures().size(), 1);
        for (int number = 41; number <= 43; ++number) {
            // finish() returns only once the thread is back in its wait.
            submit(spooler, 1, number);
            QVERIFY2(spooler.finish(5s), "a document was not picked up");
        }
        QCOMPARE(system.printed.size(), std::size_t(42));
    }

    // A print server's question for a login goes from the spooler's thread to the listener's
    // and back with the answer; a spooler given up while it waits for one ends all the same.
    void loginAskedAcrossThreads_data() {
        QTest::addColumn<bool>("answered"); // otherwise given up while asking
        QTest::newRow("answered") << true;
        QTest::newRow("given up while asking") << false;
    }
    void loginAskedAcrossThreads() {
        QFETCH(bool, answered);
        std::promise<std::optional<qv::Login>> given;
        std::future<std::optional<qv::Login>> result = given.get_future();
        qv::PrintSpooler spooler([&](const qv::PrintDocument&, int&) {
            given.set_value(spooler.askLogin({QStringLiteral("Q"), QStringLiteral("user"), 1}));
            return std::nullopt;
        });
        QList<qv::LoginRequest> asked;
        connect(
            &spooler, &qv::PrintSpooler::changed, this,
            [&] {
                if (const std::optional<qv::LoginRequest> request = spooler.takeLoginRequest()) {
                    asked += *request;
                    if (answered)
                        spooler.answerLogin(qv::Login{"user", "pw"});
                }
            },
            Qt::QueuedConnection);
        submit(spooler, 1);
        QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 1, 5000);
        QCOMPARE(asked.front().printer, QStringLiteral("Q"));
        if (!answered)
            spooler.abandon();
        QVERIFY(result.wait_for(10s) == std::future_status::ready);
        const std::optional<qv::Login> login = result.get();
        QCOMPARE(login ? login->password : QString(), QString(answered ? "pw" : ""));
        QVERIFY(!spooler.takeLoginRequest());
    }
};

QTEST_GUILESS_MAIN(TestSpooler)
#include "test_spooler.moc"
