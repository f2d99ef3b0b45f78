#pragma once

#include "MonthlyFigures.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>
#include <array>

// The figures of the games statistics: ratings per rubric, per calendar month and per
// rating value, gathered in one pass over the rows.
class RatingFigures {
public:
    static constexpr int kRubrics = 7;
    static constexpr int kValues = 101; // ratings 0..100

    // The rubric names in grid order; a row counts for a rubric whose name it equals exactly.
    explicit RatingFigures(const QStringList& rubrics);

    void reset(const IssueWalk::Result& walk);

    // One row's texts as the table holds them. An empty rating adds nothing; neither does a
    // rating that is not a whole number 0..100, which no chart has a place for. A month
    // outside 01..12 is left out of the monthly figures only.
    void addRow(QByteArrayView rubric, QByteArrayView rating, QByteArrayView issue);
    // The same row as addRow reads it: the rubric's index (-1 for none of them), the rating
    // (-1 for none) and the month. A walk that reads each distinct text once adds these.
    void add(int rubric, int rating, int month);
    int rubricIndex(QByteArrayView rubric) const;
    static int ratingOf(QByteArrayView text);

    // After the walk: per-rubric averages and the totals over the seven rubrics.
    void finish();

    // A rating text read as a whole number 0..100 (surrounding blanks allowed).
    static bool parseRating(QByteArrayView text, int& rating);

    double count(int rubric) const { return m_count[size_t(rubric)]; }
    double sum(int rubric) const { return m_sum[size_t(rubric)]; }
    double average(int rubric) const { return m_average[size_t(rubric)]; }
    double totalCount() const { return m_totalCount; }
    double totalSum() const { return m_totalSum; }
    double totalAverage() const { return m_totalAverage; }
    double distribution(int value) const { return m_distribution[size_t(value)]; }
    double highestDistribution() const { return m_highestDistribution; }
    const MonthlyFigures& monthly() const { return m_monthly; }
    double monthSum(int month) const { return m_monthSum[size_t(month - 1)]; }
    // The month's rating sum / its rating count, 0 without ratings.
    double monthAverage(int month) const;

private:
    std::array<QByteArray, kRubrics> m_names;
    std::array<double, kRubrics> m_count{}, m_sum{}, m_average{};
    double m_totalCount = 0, m_totalSum = 0, m_totalAverage = 0;
    std::array<double, kValues> m_distribution{};
    double m_highestDistribution = 1;
    MonthlyFigures m_monthly;
    std::array<double, 12> m_monthSum{};
};
