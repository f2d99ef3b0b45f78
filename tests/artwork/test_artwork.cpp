#include "Artwork.h"
#include "SearchPageLayout.h"
#include "StripLayout.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

#include <functional>

namespace {

using PictureMaker = std::function<QPixmap(qreal)>;

// The colour at a logical point of a pixmap, whatever its device pixel ratio.
QColor colourAt(const QPixmap& pixmap, QPointF logical) {
    const qreal dpr = pixmap.devicePixelRatio();
    return pixmap.toImage().pixelColor(qFloor(logical.x() * dpr), qFloor(logical.y() * dpr));
}

bool isRed(const QColor& c) {
    return c.red() >= 150 && c.green() <= 90 && c.blue() <= 90;
}

bool isNearWhite(const QColor& c) {
    return c.red() >= 235 && c.green() >= 235 && c.blue() >= 235;
}

// Whether any pixel of a logical band of the pixmap passes the test.
bool anyPixelIn(const QPixmap& pixmap, const QRect& logicalBand,
                const std::function<bool(const QColor&)>& test) {
    const QImage image = pixmap.toImage();
    const qreal dpr = pixmap.devicePixelRatio();
    const QRect band(qFloor(logicalBand.left() * dpr), qFloor(logicalBand.top() * dpr),
                     qCeil(logicalBand.width() * dpr), qCeil(logicalBand.height() * dpr));
    for (int y = band.top(); y <= band.bottom(); ++y)
        for (int x = band.left(); x <= band.right(); ++x)
            if (test(image.pixelColor(x, y)))
                return true;
    return false;
}

// Equal but for the rounding of a gradient painted at a different offset.
bool closeTo(const QColor& a, const QColor& b) {
    return qAbs(a.red() - b.red()) <= 2 && qAbs(a.green() - b.green()) <= 2 &&
           qAbs(a.blue() - b.blue()) <= 2 && a.alpha() == b.alpha();
}

const QColor darkBlue(0x01, 0x00, 0x41);

} // namespace

class ArtworkTest : public QObject {
    Q_OBJECT

private slots:
    void pictureSizes_data();
    void pictureSizes();
    void litFaceOutsideTheFourButtonsIsNull_data();
    void litFaceOutsideTheFourButtonsIsNull();
    void stripBackgroundIsDarkBlue_data();
    void stripBackgroundIsDarkBlue();
    void titleBoxSlotIsPlain();
    void litFacesAreRedAndBlendIntoTheStrip_data();
    void litFacesAreRedAndBlendIntoTheStrip();
    void redLampCoversTheGreyLamps_data();
    void redLampCoversTheGreyLamps();
    void searchPageHasCaptionsAndBoxSlots_data();
    void searchPageHasCaptionsAndBoxSlots();
    void waitPictureShowsLogoAndWords();
    void programIconOffersSmallAndLargeSizes();
};

void ArtworkTest::pictureSizes_data() {
    QTest::addColumn<PictureMaker>("make");
    QTest::addColumn<QSize>("logicalSize");
    QTest::addColumn<qreal>("dpr");

    const struct {
        const char* name;
        PictureMaker make;
        QSize size;
    } pictures[] = {
        {"strip", &Artwork::stripPicture, {130, 453}},
        {"lit Spiele", [](qreal dpr) { return Artwork::litFace(0, dpr); }, {91, 24}},
        {"lit CD & DVD", [](qreal dpr) { return Artwork::litFace(1, dpr); }, {91, 24}},
        {"lit Tipps", [](qreal dpr) { return Artwork::litFace(2, dpr); }, {91, 24}},
        {"lit Auswahl", [](qreal dpr) { return Artwork::litFace(3, dpr); }, {91, 24}},
        {"red lamp", &Artwork::redLamp, {14, 13}},
        {"wait", &Artwork::waitPicture, {153, 78}},
        {"search page", &Artwork::searchPageBackground, {115, 217}},
    };
    for (const auto& picture : pictures)
        for (qreal dpr : {1.0, 2.0})
            QTest::addRow("%s @%.0fx", picture.name, dpr) << picture.make << picture.size << dpr;
}

void ArtworkTest::pictureSizes() {
    QFETCH(PictureMaker, make);
    QFETCH(QSize, logicalSize);
    QFETCH(qreal, dpr);

    const QPixmap pixmap = make(dpr);
    QCOMPARE(pixmap.devicePixelRatio(), dpr);
    QCOMPARE(pixmap.deviceIndependentSize(), QSizeF(logicalSize));
    QCOMPARE(pixmap.size(),
             QSize(qCeil(logicalSize.width() * dpr), qCeil(logicalSize.height() * dpr)));
}

void ArtworkTest::litFaceOutsideTheFourButtonsIsNull_data() {
    QTest::addColumn<int>("index");
    QTest::newRow("below") << -1;
    QTest::newRow("above") << 4;
}

void ArtworkTest::litFaceOutsideTheFourButtonsIsNull() {
    QFETCH(int, index);
    QVERIFY(Artwork::litFace(index, 1.0).isNull());
}

void ArtworkTest::stripBackgroundIsDarkBlue_data() {
    QTest::addColumn<qreal>("dpr");
    QTest::addColumn<QPoint>("spot");
    for (qreal dpr : {1.0, 2.0}) {
        QTest::addRow("left edge @%.0fx", dpr) << dpr << QPoint(1, 115);
        QTest::addRow("between groups @%.0fx", dpr) << dpr << QPoint(64, 216);
        QTest::addRow("above the small buttons @%.0fx", dpr) << dpr << QPoint(64, 392);
        QTest::addRow("bottom corner @%.0fx", dpr) << dpr << QPoint(128, 451);
    }
}

void ArtworkTest::stripBackgroundIsDarkBlue() {
    QFETCH(qreal, dpr);
    QFETCH(QPoint, spot);
    QCOMPARE(colourAt(Artwork::stripPicture(dpr), spot), darkBlue);
}

void ArtworkTest::titleBoxSlotIsPlain() {
    const QPixmap strip = Artwork::stripPicture(2.0);
    const QRect box = StripLayout::titleBox;
    QVERIFY(!anyPixelIn(strip, box, [](const QColor& c) { return !isNearWhite(c); }));
}

void ArtworkTest::litFacesAreRedAndBlendIntoTheStrip_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<qreal>("dpr");
    for (int index = 0; index < 4; ++index)
        for (qreal dpr : {1.0, 2.0})
            QTest::addRow("Aktiv%d @%.0fx", index + 1, dpr) << index << dpr;
}

void ArtworkTest::litFacesAreRedAndBlendIntoTheStrip() {
    QFETCH(int, index);
    QFETCH(qreal, dpr);
    const QPixmap face = Artwork::litFace(index, dpr);
    const QPixmap strip = Artwork::stripPicture(dpr);
    const QPoint place = StripLayout::litFaces[index].topLeft();

    // Left of the caption the face is red; the caption itself is white.
    QVERIFY(isRed(colourAt(face, QPointF(5, 12))));
    QVERIFY(anyPixelIn(face, QRect(20, 6, 51, 12), isNearWhite));
    // The rounded-off corner shows exactly what the strip shows there.
    QVERIFY(closeTo(colourAt(face, QPointF(0, 0)), colourAt(strip, place)));
    QVERIFY(closeTo(colourAt(face, QPointF(90, 23)), colourAt(strip, place + QPoint(90, 23))));
    // The unlit button at the same place is not red.
    QVERIFY(!isRed(colourAt(strip, place + QPoint(5, 12))));
}

void ArtworkTest::redLampCoversTheGreyLamps_data() {
    QTest::addColumn<QPoint>("lamp");
    QTest::addColumn<qreal>("dpr");
    for (qreal dpr : {1.0, 2.0}) {
        QTest::addRow("Spiele @%.0fx", dpr) << StripLayout::viewLamps[0] << dpr;
        QTest::addRow("CD & DVD @%.0fx", dpr) << StripLayout::viewLamps[1] << dpr;
        QTest::addRow("Tipps @%.0fx", dpr) << StripLayout::viewLamps[2] << dpr;
        QTest::addRow("Auswahl @%.0fx", dpr) << StripLayout::searchLamp << dpr;
    }
}

void ArtworkTest::redLampCoversTheGreyLamps() {
    QFETCH(QPoint, lamp);
    QFETCH(qreal, dpr);
    const QPointF centre(7, 6.5);
    const QPixmap red = Artwork::redLamp(dpr);
    QVERIFY(isRed(colourAt(red, centre)));

    QPixmap strip = Artwork::stripPicture(dpr);
    const QColor grey = colourAt(strip, lamp + centre);
    QVERIFY(!isRed(grey));
    QVERIFY(qAbs(grey.red() - grey.green()) < 30);

    // Across the grey lamp's glass the red lamp is opaque, so no grey shows through; the rim
    // around the glass is the same socket in both lamps.
    const QImage redImage = red.toImage();
    const qreal glassRadius = 4.5 * dpr;
    const QPointF glassCentre = centre * dpr;
    int inside = 0;
    for (int y = 0; y < redImage.height(); ++y)
        for (int x = 0; x < redImage.width(); ++x) {
            if (QLineF(glassCentre, QPointF(x + 0.5, y + 0.5)).length() > glassRadius)
                continue;
            QVERIFY2(redImage.pixelColor(x, y).alpha() == 255,
                     qPrintable(QStringLiteral("grey shows at %1,%2").arg(x).arg(y)));
            ++inside;
        }
    QVERIFY(inside > 50 * dpr * dpr);
}

void ArtworkTest::searchPageHasCaptionsAndBoxSlots_data() {
    QTest::addColumn<QRect>("box");
    QTest::newRow("Titel-Suchbegriff") << SearchPageLayout::titleBox;
    QTest::newRow("Mindestwertung") << SearchPageLayout::ratingBox;
    QTest::newRow("Genre / Art") << SearchPageLayout::categoryBox;
}

void ArtworkTest::searchPageHasCaptionsAndBoxSlots() {
    QFETCH(QRect, box);
    const QPixmap page = Artwork::searchPageBackground(2.0);
    const QRect captionBand(box.left(), box.top() - 16, box.width(), 14);
    QVERIFY(anyPixelIn(page, captionBand, isNearWhite));
    QVERIFY(anyPixelIn(page, captionBand, [](const QColor& c) { return c == darkBlue; }));
    QVERIFY(isNearWhite(colourAt(page, box.center())));
    // Left of the boxes the page is plain dark blue.
    QCOMPARE(colourAt(page, QPointF(3, box.center().y())), darkBlue);
}

void ArtworkTest::waitPictureShowsLogoAndWords() {
    const QPixmap wait = Artwork::waitPicture(1.0);
    QCOMPARE(colourAt(wait, QPointF(5, 40)), darkBlue);
    QVERIFY(anyPixelIn(wait, QRect(18, 9, 117, 28), isRed));
    QVERIFY(anyPixelIn(wait, QRect(20, 53, 113, 18), isNearWhite));
    QVERIFY(!anyPixelIn(wait, QRect(20, 53, 113, 18), isRed));
}

void ArtworkTest::programIconOffersSmallAndLargeSizes() {
    const QIcon icon = Artwork::programIcon();
    const QList<QSize> sizes = icon.availableSizes();
    QVERIFY(sizes.contains(QSize(16, 16)));
    QVERIFY(sizes.contains(QSize(32, 32)));
    QVERIFY(sizes.contains(QSize(256, 256)));
    const QImage large = icon.pixmap(QSize(256, 256)).toImage();
    QCOMPARE(large.size(), QSize(256, 256));
    QCOMPARE(large.pixelColor(0, 0).alpha(), 0);
    QVERIFY(isRed(large.pixelColor(128, 190)));
}

QTEST_MAIN(ArtworkTest)
#include "test_artwork.moc"
