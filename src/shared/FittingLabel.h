#pragma once

#include <QLabel>

// A label with a fixed place whose text is shown in the font set on it when it fits, and
// in the largest smaller pixel size of that font that fits otherwise, so that no text is
// ever cut off.
class FittingLabel : public QLabel {
    Q_OBJECT
public:
    explicit FittingLabel(QWidget* parent = nullptr);

    // The font set on the label; font() is this one or a smaller size of it.
    QFont designFont() const { return m_designFont; }
    // Sets the text and fits the font to it.
    void setFittedText(const QString& text);
    // Fits the font to the text again, after the text was set through setText().
    void refit();

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QFont m_designFont;
    bool m_fitting = false;
};
