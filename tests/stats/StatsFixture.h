#pragma once

#include "AppFixture.h"
#include "TestSupport.h"

#include <QImage>
#include <QList>
#include <QStringList>
#include <QTableWidget>
#include <QTest>

// The program started over small tables written for one test, and the user's steps on the
// statistics windows.
namespace StatsFixture {

// A game review row: TITEL, Rubrik, Genre, HERSTELLER, WERTUNG ("" for none), Ausgabe,
// KOMMENTAR.
inline QStringList game(const QString& rubric, const QString& rating, const QString& issue,
                        const QString& title = QStringLiteral("Spiel")) {
    return {title, rubric,   QStringLiteral("Genre"), QStringLiteral("Hersteller"), rating,
            issue, QString()};
}

// A disc-content row (TITEL, Ausgabe, Art, Medium) or a tips row (TITEL, Ausgabe, Art,
// COUNTER).
inline QStringList discRow(const QString& kind, const QString& issue,
                           const QString& title = QStringLiteral("Datei")) {
    return {title, issue, kind, QStringLiteral("CD")};
}
inline QStringList tipRow(const QString& kind, const QString& issue,
                          const QString& title = QStringLiteral("Tipp")) {
    return {title, issue, kind, QStringLiteral("3")};
}

inline QString cellText(QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QStringLiteral("<none>");
}

// The grid's texts, rows joined by "|" and cells by ";".
inline QString gridTexts(QTableWidget* grid) {
    QStringList rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->columnCount(); ++c)
            cells << cellText(grid, r, c);
        rows << cells.join(u';');
    }
    return rows.join(u'|');
}

inline void clickGridRow(QTableWidget* grid, int row) {
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

// The window as it paints itself, at one pixel per client pixel.
inline QImage picture(QWidget* window) {
    return window->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline QRgb rgb(int r, int g, int b) {
    return qRgb(r, g, b);
}

// The chart colours.
inline const QRgb kNavy = qRgb(0x00, 0x00, 0x80);
inline const QRgb kGray = qRgb(0x80, 0x80, 0x80);
inline const QRgb kSilver = qRgb(0xC0, 0xC0, 0xC0);
inline const QRgb kBlack = qRgb(0, 0, 0);

// Every value of a column of pixels from y0 to y1, both included, equals `colour`.
inline bool columnIs(const QImage& image, int x, int y0, int y1, QRgb colour) {
    for (int y = y0; y <= y1; ++y)
        if (image.pixel(x, y) != colour) {
            qWarning("pixel (%d, %d) is %08x, not %08x", x, y, image.pixel(x, y), colour);
            return false;
        }
    return true;
}

} // namespace StatsFixture
