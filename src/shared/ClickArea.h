#pragma once

#include <QPointer>
#include <QWidget>

// A transparent area over a painted button: it has no picture of its own and reports a
// left click. A disabled area ignores clicks.
//
// It is a button for the keyboard and for screen readers too: it takes the focus from the
// keyboard (never from the mouse, so a click leaves the focus where it was), Enter or Space
// presses it while it has the focus, and press() is the click a key or an assistive tool
// asks for.
class ClickArea : public QWidget {
    Q_OBJECT
public:
    explicit ClickArea(QWidget* parent = nullptr);
    // An area named `name` over `place` of `parent`, announced as `accessibleName`.
    static ClickArea* create(QWidget* parent, const char* name, const QRect& place,
                             const QString& accessibleName);

    // Acts as a click would at this moment: nothing while the area is disabled.
    void press();

signals:
    void clicked();

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool m_pressed = false;
    // The area that had the focus when the areas were disabled (the view query disables
    // them while it runs); it takes the focus back once it is enabled again.
    static inline QPointer<ClickArea> s_focusWhenEnabled;
};
