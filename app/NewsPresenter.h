#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QWidget;

namespace qv {

class Dialogs;
class Printer;

// Tells the user, in a box, what the program found out on its own: a card the print system did
// not take or that waits at the printer, and a print server's question for a login. A box that
// came up while the input box, the font dialog or About has the keyboard
// would take keys meant for them, so news waits until the main window has the keyboard again,
// or until it goes; with no window left, it is told at once.
class NewsPresenter : public QObject {
    Q_OBJECT
public:
    NewsPresenter(Dialogs& dialogs, Printer& printer);

    // The window whose keyboard news waits for.
    void setWindow(QWidget* window);
    void tell(const QString& message);
    // Shows a box of the program's own when the user is free: one that asks something, say.
    void ask(std::function<void()> box);
    // From now on news is only counted: the program is ending at once, with no time for boxes.
    void countOnly() { m_countOnly = true; }
    int counted() const { return m_counted; }

protected:
    // Watches the window alone, for when it closes.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool userIsFree() const;
    void tellWaiting();

    Dialogs& m_dialogs;
    Printer& m_printer;
    QPointer<QWidget> m_window;
    QList<std::function<void()>> m_untold;
    bool m_telling = false;
    bool m_closing = false;
    bool m_countOnly = false;
    int m_counted = 0;
};

} // namespace qv
