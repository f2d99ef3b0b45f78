#include "StatControls.h"

#include "CaptionLabel.h"
#include "StatFonts.h"
#include "VerticalCaption.h"

#include <QFrame>

CaptionLabel* StatControls::label(QWidget* parent, const char* name, const QRect& place,
                                  const QFont& font, QColor colour, const QString& caption) {
    auto* l = new CaptionLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(place);
    l->setFont(font);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, colour);
    l->setPalette(p);
    l->setCaption(caption);
    // The window hears the pointer only where no control lies over it.
    l->setAttribute(Qt::WA_NoMousePropagation);
    return l;
}

VerticalCaption* StatControls::verticalCaption(QWidget* parent, const char* name,
                                               const QRect& place, QColor colour,
                                               const QString& text) {
    auto* c = new VerticalCaption(parent);
    c->setObjectName(QLatin1String(name));
    c->setGeometry(place);
    c->setFont(StatFonts::arial(11));
    c->setTextColour(colour);
    c->setText(text);
    c->setAttribute(Qt::WA_NoMousePropagation);
    return c;
}

QFrame* StatControls::bevel(QWidget* parent, const char* name, const QRect& place,
                            const QString& accessibleName) {
    auto* b = new QFrame(parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(place);
    b->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    b->setLineWidth(1);
    QPalette p = b->palette();
    p.setColor(QPalette::Dark, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Light, kWhite);
    b->setPalette(p);
    b->setAccessibleName(accessibleName);
    // A frame around a chart: the pointer over the chart reaches the window.
    b->setAttribute(Qt::WA_TransparentForMouseEvents);
    return b;
}
