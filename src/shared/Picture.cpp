#include "Picture.h"

#include <QPainter>

Picture* Picture::create(QWidget* parent, const char* name, const QRect& place) {
    auto* picture = new Picture(parent);
    picture->setObjectName(QLatin1String(name));
    picture->setGeometry(place);
    picture->setScaledContents(true);
    return picture;
}

void Picture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(rect(), pixmap());
}
