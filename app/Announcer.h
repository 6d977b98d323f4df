#pragma once

#include <QString>
#include <QWidget>

// A status line that only a screen reader reads. It takes no room and paints nothing, so the
// window looks and prints the same; each message reaches the screen reader as a notification
// that appears, which it speaks without moving the focus.
class Announcer : public QWidget {
    Q_OBJECT
public:
    explicit Announcer(QWidget* parent);

    void announce(const QString& message);
};
