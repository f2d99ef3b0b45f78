#pragma once

#include "MonthlyFigures.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>
#include <vector>

// The figures of the disc-content and tips statistics: rows per category of the ART text
// and per calendar month, gathered in one pass.
//
// A row belongs to the first category, in list order, whose match key (the first four
// letters of its name in lower case) occurs in the row's text with A-Z lowered; a row that
// matches none belongs to the last category.
class CategoryFigures {
public:
    explicit CategoryFigures(const QStringList& categories);

    void reset(const IssueWalk::Result& walk);
    // Every row counts in exactly one category; a month outside 01..12 is left out of the
    // monthly figures only.
    void addRow(QByteArrayView kind, QByteArrayView issue);
    // The same row as its category (categoryOf) and month: what a walk that reads each
    // distinct text once adds.
    void add(int category, int month);

    // The category a text falls into, 0-based.
    int categoryOf(QByteArrayView kind) const;
    // Whether `key` (lower case) occurs in `text` with only A-Z lowered.
    static bool containsKey(QByteArrayView text, QByteArrayView key);

    int categoryCount() const { return int(m_keys.size()); }
    const QByteArray& key(int category) const { return m_keys[size_t(category)]; }
    double count(int category) const { return m_counts[size_t(category)]; }
    double total() const;
    const MonthlyFigures& monthly() const { return m_monthly; }

private:
    std::vector<QByteArray> m_keys;
    std::vector<double> m_counts;
    MonthlyFigures m_monthly;
};
