#include "FittingLabel.h"

#include "TextFit.h"

#include <QEvent>

FittingLabel::FittingLabel(QWidget* parent) : QLabel(parent), m_designFont(font()) {}

void FittingLabel::setFittedText(const QString& text) {
    setText(text);
    refit();
}

void FittingLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    // A font set from outside is the designed one; the fitting's own changes are not.
    if (event->type() == QEvent::FontChange && !m_fitting) {
        m_designFont = font();
        refit();
    }
}

void FittingLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    refit();
}

void FittingLabel::refit() {
    const QFont shown = TextFit::fitted(m_designFont, text(), contentsRect().size(), this);
    if (shown == font())
        return;
    m_fitting = true;
    setFont(shown);
    m_fitting = false;
}
