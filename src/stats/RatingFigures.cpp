#include "RatingFigures.h"

#include "IssueText.h"

RatingFigures::RatingFigures(const QStringList& rubrics) {
    for (int k = 0; k < kRubrics && k < rubrics.size(); ++k)
        m_names[size_t(k)] = rubrics[k].toUtf8();
}

void RatingFigures::reset(const IssueWalk::Result& walk) {
    m_count.fill(0);
    m_sum.fill(0);
    m_average.fill(0);
    m_totalCount = m_totalSum = m_totalAverage = 0;
    m_distribution.fill(0);
    m_highestDistribution = 1;
    m_monthly.reset(walk);
    m_monthSum.fill(0);
}

bool RatingFigures::parseRating(QByteArrayView text, int& rating) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin] == ' ')
        ++begin;
    while (end > begin && text[end - 1] == ' ')
        --end;
    if (begin == end)
        return false;
    int value = 0;
    for (qsizetype i = begin; i < end; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
        if (value > 100)
            return false;
    }
    rating = value;
    return true;
}

void RatingFigures::addRow(QByteArrayView rubric, QByteArrayView rating, QByteArrayView issue) {
    const int value = ratingOf(rating);
    if (value >= 0)
        add(rubricIndex(rubric), value, IssueText::month(issue));
}

int RatingFigures::ratingOf(QByteArrayView text) {
    int value = 0;
    return parseRating(text, value) ? value : -1;
}

int RatingFigures::rubricIndex(QByteArrayView rubric) const {
    for (int k = 0; k < kRubrics; ++k)
        if (rubric == m_names[size_t(k)])
            return k;
    return -1;
}

void RatingFigures::add(int rubric, int rating, int month) {
    if (rating < 0 || rating >= kValues)
        return;
    if (rubric >= 0 && rubric < kRubrics) {
        m_sum[size_t(rubric)] += rating;
        m_count[size_t(rubric)] += 1;
    }
    if (m_monthly.add(month))
        m_monthSum[size_t(month - 1)] += rating;
    double& entry = m_distribution[size_t(rating)];
    entry += 1;
    if (entry > m_highestDistribution)
        m_highestDistribution = entry;
}

void RatingFigures::finish() {
    for (int k = 0; k < kRubrics; ++k) {
        m_totalCount += m_count[size_t(k)];
        m_totalSum += m_sum[size_t(k)];
        m_average[size_t(k)] = m_count[size_t(k)] > 0 ? m_sum[size_t(k)] / m_count[size_t(k)] : 0;
    }
    m_totalAverage = m_totalCount > 0 ? m_totalSum / m_totalCount : 0;
}

double RatingFigures::monthAverage(int month) const {
    if (!MonthlyFigures::isMonth(month))
        return 0;
    const double n = m_monthly.rows(month);
    return n > 0 ? m_monthSum[size_t(month - 1)] / n : 0;
}
