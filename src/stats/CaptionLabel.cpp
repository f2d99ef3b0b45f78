#include "CaptionLabel.h"

CaptionLabel::CaptionLabel(QWidget* parent) : FittingLabel(parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void CaptionLabel::setCaption(const QString& caption) {
    m_caption = caption;
    const QString shown = shownText(caption);
    setFittedText(shown);
    setAccessibleName(shown.trimmed());
}

QString CaptionLabel::shownText(const QString& caption) {
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i; // "&&" keeps the second ampersand, "&x" keeps x
        shown += caption[i];
    }
    return shown;
}
