#pragma once

#include <QFrame>

// A caption whose text is turned by 90 degrees, reading upwards from the bottom-left corner
// of its box, inside a lowered single-line border. The text starts two pixels above the
// bottom border with its top against the left border. A text longer than the box is drawn in
// a smaller size of the caption's font.
class VerticalCaption : public QFrame {
    Q_OBJECT
public:
    explicit VerticalCaption(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return m_text; }
    void setTextColour(QColor colour);
    QColor textColour() const { return m_colour; }

    QSize sizeHint() const override;
    // The font the text is drawn in: the caption's font, or a smaller size of it when the
    // text would not fit otherwise.
    QFont shownFont() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Where the text runs, in the turned painter's coordinates.
    QRect along() const;

    QString m_text;
    QColor m_colour{0, 0, 0};
};
