#pragma once

#include <QLabel>

// A picture that looks the same whether enabled or not: the lamps and lit faces are
// disabled (so presses fall through to the strip) but must still show in full colour.
class Picture : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};
