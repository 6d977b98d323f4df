#include "ClickTracker.h"

#include <QMouseEvent>
#include <QWidget>

namespace qv {

void ClickTracker::press(QMouseEvent& event) {
    m_pressed = event.button();
    event.accept();
}

bool ClickTracker::release(const QWidget& widget, QMouseEvent& event) {
    const Qt::MouseButton button = event.button();
    const bool sameButton = button == m_pressed;
    m_pressed = Qt::NoButton;
    event.accept();
    return sameButton && widget.rect().contains(event.position().toPoint()) &&
           (button == Qt::LeftButton || button == Qt::RightButton);
}

} // namespace qv
