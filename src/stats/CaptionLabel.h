#pragma once

#include "FittingLabel.h"

// A label set by its caption, in which a doubled ampersand "&&" shows as one "&" and a single
// ampersand marks the following letter (not drawn). A text too long for the label's place is
// shown in a smaller size of its font.
class CaptionLabel : public FittingLabel {
    Q_OBJECT
public:
    explicit CaptionLabel(QWidget* parent = nullptr);

    void setCaption(const QString& caption);
    QString caption() const { return m_caption; }

    // The text a caption shows.
    static QString shownText(const QString& caption);

private:
    QString m_caption;
};
