#pragma once

#include <Qt>

class QMouseEvent;
class QWidget;

namespace qv {

// The engine's click: a press and a release of the same button, left or right, with the
// release over the widget. The widget hands both events on and takes them.
class ClickTracker {
public:
    void press(QMouseEvent& event);
    // True when this release completes a click.
    bool release(const QWidget& widget, QMouseEvent& event);

private:
    Qt::MouseButton m_pressed = Qt::NoButton;
};

} // namespace qv
