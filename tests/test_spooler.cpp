// The hand-off of finished documents to the print system, with a print system that the test
// holds up and lets go at will, and that stops when told to give up, as the real one does.
#include "system/PrintSpooler.h"

#include <QTest>

#include <future>
#include <mutex>

using namespace std::chrono_literals;
using qv::PrintFailure;

namespace {
// A print system that stops answering until released or cancelled, and refuses document 2.
struct PrintSystem {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> entered = 0;
    std::mutex mutex;
    std::vector<int> printed;
    std::optional<PrintFailure> operator()(const qv::PrintDocument& document, int& cancel) {
        ++entered;
        while (released.wait_for(5ms) != std::future_status::ready)
            if (std::atomic_ref(cancel).load())
                return PrintFailure{PrintFailure::Reason::GivenUp, {}, {}};
        const int number = int(document.pictures.front().inches.x());
        if (number == 2)
            return PrintFailure{PrintFailure::Reason::Refused, QStringLiteral("Q"), {}};
        std::lock_guard lock(mutex);
        printed.push_back(number);
        return std::nullopt;
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

qv::PrintSpooler::Deliver to(const std::shared_ptr<PrintSystem>& system) {
    return [system](const qv::PrintDocument& d, int& c) { return (*system)(d, c); };
}

// Gives up, or fails the test if the spooler's thread does not end within seconds.
int abandonInTime(qv::PrintSpooler& spooler) {
    auto done = std::async(std::launch::async, [&spooler] { return spooler.abandon(); });
    if (done.wait_for(10s) != std::future_status::ready) {
        qFatal("the spooler's thread did not end when given up");
    }
    return done.get();
}
} // namespace

class TestSpooler : public QObject {
    Q_OBJECT
private slots:
    // Nothing is lost while the print system is stuck, the document under way counts as not
    // out, a refused document does not stop the ones behind it and is told once on the
    // listener's thread, and the order is kept.
    void documentsGoOutInOrderOnceThePrintSystemAnswers() {
        auto system = std::make_shared<PrintSystem>();
        qv::PrintSpooler spooler(to(system));
        QList<PrintFailure> told;
        QObject listener;
        connect(
            &spooler, &qv::PrintSpooler::changed, &listener,
            [&] { told += spooler.takeFailures(); }, Qt::QueuedConnection);
        submit(spooler, 1);
        QTRY_COMPARE_WITH_TIMEOUT(system->entered.load(), 1, 5000);
        QVERIFY(!spooler.finish(50ms)); // under way, with nothing behind it
        submit(spooler, 3, 2);
        QCOMPARE(spooler.waiting(), 4);
        system->release.set_value();
        // Counted while the thread works, as the dialog at exit does.
        QTRY_COMPARE_WITH_TIMEOUT(spooler.waiting(), 0, 10000);
        QVERIFY(spooler.finish(10s));
        QCOMPARE(system->seen(), (std::vector<int>{1, 3, 4}));
        QTRY_COMPARE_WITH_TIMEOUT(told.size(), 1, 5000);
        QCOMPARE(told.front().reason, PrintFailure::Reason::Refused);
        QCOMPARE(abandonInTime(spooler), 0);
        QCOMPARE(told.size(), 1);
    }

    // Once the thread is waiting, each new document wakes it at once.
    void aWaitingThreadWakesForEachDocument() {
        auto system = std::make_shared<PrintSystem>();
        system->release.set_value();
        qv::PrintSpooler spooler(to(system));
        for (int number = 1; number <= 3; ++number) {
            // finish() returns only once the thread is back in its wait.
            submit(spooler, 1, number);
            QVERIFY2(spooler.finish(5s), "a document was not picked up");
        }
        QCOMPARE(system->seen(), (std::vector<int>{1, 3}));
    }

    // Counted and heard while documents go out back to back, as the window and the dialog at
    // exit do; under ThreadSanitizer, anything the thread keeps outside its lock shows here.
    void countedWhileDocumentsGoOutBackToBack() {
        auto system = std::make_shared<PrintSystem>();
        system->release.set_value();
        qv::PrintSpooler spooler(to(system));
        submit(spooler, 40);
        QList<PrintFailure> told;
        for (int last = 40, now; (now = spooler.waiting()) > 0; last = now) {
            QVERIFY(now <= last);
            told += spooler.takeFailures();
        }
        QVERIFY(spooler.finish(10s));
        told += spooler.takeFailures();
        QCOMPARE(told.size(), 1);
        QCOMPARE(system->seen().size(), std::size_t(39));
    }

    // The program can always end: giving up cancels the document under way, drops those
    // behind it, counts both, tells neither as refused, and the thread ends. Nothing comes
    // out afterwards, and nothing more is taken.
    void givingUpCancelsAndEndsTheThread() {
        auto system = std::make_shared<PrintSystem>();
        qv::PrintSpooler spooler(to(system));
        submit(spooler, 3);
        QTRY_COMPARE_WITH_TIMEOUT(system->entered.load(), 1, 5000);
        QCOMPARE(abandonInTime(spooler), 3);
        QCOMPARE(spooler.waiting(), 0);
        submit(spooler, 1, 5);
        QCOMPARE(spooler.waiting(), 0);
        system->release.set_value();
        QVERIFY(system->seen().empty());
        QCOMPARE(system->entered.load(), 1);
        QVERIFY(spooler.takeFailures().isEmpty());
    }

    // A print server's question for a login goes from the spooler's thread to the listener's
    // and back with the answer; a spooler given up while it waits for one ends all the same.
    void loginAskedAcrossThreads_data() {
        QTest::addColumn<int>("answer"); // 1 a login, 2 cancelled, 0 none: given up
        QTest::newRow("answered") << 1;
        QTest::newRow("cancelled") << 2;
        QTest::newRow("given up while asking") << 0;
    }
    void loginAskedAcrossThreads() {
        QFETCH(int, answer);
        qv::PrintSpooler* self = nullptr;
        std::promise<std::optional<qv::Login>> given;
        std::future<std::optional<qv::Login>> result = given.get_future();
        qv::PrintSpooler spooler([&](const qv::PrintDocument&, int& cancel) {
            given.set_value(self->askLogin({QStringLiteral("Q"), QStringLiteral("user"), 1}));
            return std::atomic_ref(cancel).load()
                       ? std::optional(PrintFailure{PrintFailure::Reason::GivenUp, {}, {}})
                       : std::nullopt;
        });
        self = &spooler;
        QList<qv::LoginRequest> asked;
        QObject listener;
        connect(
            &spooler, &qv::PrintSpooler::changed, &listener,
            [&] {
                const std::optional<qv::LoginRequest> request = spooler.takeLoginRequest();
                if (!request)
                    return;
                asked += *request;
                if (answer == 1)
                    spooler.answerLogin(qv::Login{QStringLiteral("user"), QStringLiteral("pw")});
                else if (answer == 2)
                    spooler.answerLogin(std::nullopt);
            },
            Qt::QueuedConnection);
        submit(spooler, 1);
        QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 1, 5000);
        QCOMPARE(asked.front().printer, QStringLiteral("Q"));
        if (answer == 0)
            QCOMPARE(abandonInTime(spooler), 1);
        QVERIFY(result.wait_for(10s) == std::future_status::ready);
        const std::optional<qv::Login> login = result.get();
        QCOMPARE(login.has_value(), answer == 1);
        if (login)
            QCOMPARE(login->password, QStringLiteral("pw"));
        QVERIFY(!spooler.takeLoginRequest());
    }
};

QTEST_GUILESS_MAIN(TestSpooler)
#include "test_spooler.moc"
