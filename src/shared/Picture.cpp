#include "Picture.h"

#include <QPainter>

void Picture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(rect(), pixmap());
}
