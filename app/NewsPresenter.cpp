#include "NewsPresenter.h"

#include "PrintNews.h"

#include "runtime/Dialogs.h"
#include "runtime/Printer.h"
#include "runtime/UntrappedErrors.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace qv {

NewsPresenter::NewsPresenter(Dialogs& dialogs, Printer& printer)
    : m_dialogs(dialogs), m_printer(printer) {
    connect(&printer, &Printer::notPrinted, this,
            [this](const PrintFailure& failure) { tell(PrintNews::notPrinted(failure)); });
    connect(&printer, &Printer::waitingAtPrinter, this,
            [this](const PrintDelay& delay) { tell(PrintNews::waitingAtPrinter(delay)); });
    connect(&printer, &Printer::loginWanted, this, [this](const LoginRequest& request) {
        // A program ending at once has no time for the question: the card goes unprinted.
        if (m_countOnly) {
            m_printer.answerLogin(std::nullopt);
            return;
        }
        ask([this, request] {
            m_printer.answerLogin(
                m_dialogs.LoginBox(PrintNews::loginPrompt(request), request.user));
        });
    });
    // Back from a box, the font dialog or About: what waited is told, once the change of window
    // has settled.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this] {
        if (!m_untold.isEmpty())
            QTimer::singleShot(0, this, &NewsPresenter::tellWaiting);
    });
}

void NewsPresenter::setWindow(QWidget* window) {
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = window;
    if (window)
        window->installEventFilter(this);
}

void NewsPresenter::tell(const QString& message) {
    if (m_countOnly) {
        ++m_counted;
        return;
    }
    ask([this, message] { m_dialogs.MsgBox(message); });
}

void NewsPresenter::ask(std::function<void()> box) {
    m_untold.append(std::move(box));
    tellWaiting();
}

bool NewsPresenter::userIsFree() const {
    if (!m_window || !m_window->isVisible() || m_closing)
        return true;
    const QWidget* active = QApplication::activeWindow();
    return !QApplication::activeModalWidget() &&
           (!active || active == m_window || !active->isVisible());
}

void NewsPresenter::tellWaiting() {
    if (m_telling || !userIsFree())
        return;
    m_telling = true;
    while (!m_untold.isEmpty()) {
        const std::function<void()> box = m_untold.takeFirst();
        runHandler(m_dialogs, box);
    }
    m_telling = false;
}

bool NewsPresenter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && event->type() == QEvent::Close && !m_untold.isEmpty()) {
        // The window goes: what it has not told yet is told now, over it.
        m_closing = true;
        tellWaiting();
        m_closing = false;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace qv
