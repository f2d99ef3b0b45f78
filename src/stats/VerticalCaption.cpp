#include "VerticalCaption.h"

#include "ArtPalette.h"
#include "TextFit.h"

#include <QPainter>

VerticalCaption::VerticalCaption(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    QPalette p = palette();
    p.setColor(QPalette::Dark, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Light, QColor(0xFF, 0xFF, 0xFF));
    setPalette(p);
}

void VerticalCaption::setText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    setAccessibleName(text.trimmed());
    update();
}

void VerticalCaption::setTextColour(QColor colour) {
    m_colour = colour;
    update();
}

QSize VerticalCaption::sizeHint() const {
    const QFontMetrics m(font());
    return QSize(m.height() + 2 * frameWidth(), m.horizontalAdvance(m_text) + 2 * frameWidth());
}

QRect VerticalCaption::along() const {
    const int border = frameWidth();
    return QRect(border + 2, border, height() - 2 * border - 2, width() - 2 * border);
}

QFont VerticalCaption::shownFont() const {
    // Only the length is fitted: the box's width is the designed line height.
    return TextFit::fitted(font(), m_text, QSize(along().width(), QWIDGETSIZE_MAX), this);
}

void VerticalCaption::paintEvent(QPaintEvent* event) {
    {
        // A light face inside the border, so blue and red captions read on the dark window.
        QPainter face(this);
        face.fillRect(contentsRect(), ArtPalette::silver);
    }
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setFont(shownFont());
    painter.setPen(m_colour);
    // Turned a quarter to the left: the text's left edge lies on the box's bottom.
    painter.translate(0, height());
    painter.rotate(-90);
    const QRect place = along();
    painter.setClipRect(place);
    painter.drawText(place, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_text);
}
