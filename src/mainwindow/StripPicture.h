#pragma once

#include <QLabel>

// The painted strip on the left of the main window; it reports every mouse press with
// its button and the modifier keys held.
class StripPicture : public QLabel {
    Q_OBJECT
public:
    explicit StripPicture(QWidget* parent = nullptr) : QLabel(parent) {}

signals:
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
