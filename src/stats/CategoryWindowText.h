#pragma once

#include "StatWindowFrame.h"

#include <QStringList>

// The disc-content and tips windows, beyond the frame: their categories and texts.
struct CategoryWindowText {
    StatWindowFrame frame;
    QString categoryField;  // the field whose words are counted
    QStringList categories; // grid rows 2.., the last one taking the unmatched rows
    QString allRows;        // column 0 of row 1
    QString label3After;    // Label3 after a recompute
    QString scalePrefix;    // LMDLabel1 after a recompute, before the highest value
    QString readoutNoun;    // in the hover read-out, before the value

    static const CategoryWindowText& disc();
    static const CategoryWindowText& tips();
};
