#include "StripPicture.h"

#include <QMouseEvent>

void StripPicture::mousePressEvent(QMouseEvent* event) {
    emit mouseDown(event->button(), event->modifiers());
    event->accept();
}
