#pragma once

#include <QLabel>

// A picture that looks the same whether enabled or not: the lamps and lit faces are
// disabled (so presses fall through to the strip) but must still show in full colour.
class Picture : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    // A picture named `name` over `place` of `parent`, its pixmap scaled to the place.
    static Picture* create(QWidget* parent, const char* name, const QRect& place);

protected:
    void paintEvent(QPaintEvent* event) override;
};
