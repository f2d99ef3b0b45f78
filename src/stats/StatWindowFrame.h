#pragma once

#include "AppState.h"

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

// What sets one statistics window's frame apart from the others': its caption, size, grid
// and the places and texts of the controls they all have.
struct StatWindowFrame {
    QString objectName;
    QString caption;
    QSize client;

    QRect grid;
    QList<int> columnWidths;  // cell widths without the grid line
    QStringList headings;     // row 0
    int gridRows = 0;         // the heading row included
    bool rangeSelect = false; // a range of rows selectable

    QString label1;
    int label3Width = 0;
    QString label3Initial;
    QRect lmdLabel1;
    int label4Top = 0;

    // "Auswahl: " + count + singular (+ plural suffix unless the count is 1).
    QString countSingular;
    QString countPluralSuffix;

    // The table's issue range in the process-wide state.
    int AppState::*firstMonth = nullptr;
    int AppState::*firstYear = nullptr;
    int AppState::*lastMonth = nullptr;
    int AppState::*lastYear = nullptr;
};
