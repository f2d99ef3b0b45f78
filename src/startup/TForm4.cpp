#include "TForm4.h"

#include "artwork/Artwork.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

TForm4::TForm4(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::SplashScreen) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Bitte warten..."));
    setFixedSize(153, 78);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setGeometry(0, 0, 153, 78);
    picture->setPixmap(Artwork::waitPicture(devicePixelRatioF()));
    picture->setAccessibleName(QStringLiteral("Moment bitte..."));
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}
