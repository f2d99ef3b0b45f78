#include "ClickArea.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

ClickArea* ClickArea::create(QWidget* parent, const char* name, const QRect& place,
                             const QString& accessibleName) {
    auto* area = new ClickArea(parent);
    area->setObjectName(QLatin1String(name));
    area->setGeometry(place);
    area->setAccessibleName(accessibleName);
    return area;
}

namespace {

bool isPressKey(const QKeyEvent* event) {
    const int key = event->key();
    return event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier
               ? key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space
               : false;
}

} // namespace

ClickArea::ClickArea(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::TabFocus);
}

void ClickArea::press() {
    if (isEnabled())
        emit clicked();
}

bool ClickArea::event(QEvent* event) {
    // Enter and Space belong to the focused button, not to a window's own keys for them.
    if (event->type() == QEvent::ShortcutOverride && isPressKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void ClickArea::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    event->accept();
}

void ClickArea::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasPressed = m_pressed;
    m_pressed = false;
    if (wasPressed && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()))
        emit clicked();
    event->accept();
}

void ClickArea::keyPressEvent(QKeyEvent* event) {
    if (isPressKey(event)) {
        press();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ClickArea::paintEvent(QPaintEvent*) {
    // The painted button behind shows through; only the keyboard focus is drawn.
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect().adjusted(1, 1, -1, -1);
    option.backgroundColor = palette().color(QPalette::Window);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

void ClickArea::focusOutEvent(QFocusEvent* event) {
    // Disabling the focused area passes the focus on along the chain, through the other
    // areas being disabled, usually to "Info"; a press of Enter would then open it.
    if (!isEnabled() && !s_focusWhenEnabled)
        s_focusWhenEnabled = this;
    QWidget::focusOutEvent(event);
}

void ClickArea::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && isEnabled() && s_focusWhenEnabled == this) {
        s_focusWhenEnabled = nullptr;
        setFocus(Qt::OtherFocusReason);
    }
    QWidget::changeEvent(event);
}
