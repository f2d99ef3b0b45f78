#include "CategoryFigures.h"

#include "IssueText.h"

#include <numeric>

CategoryFigures::CategoryFigures(const QStringList& categories) {
    for (const QString& name : categories)
        m_keys.push_back(name.left(4).toLower().toUtf8());
    m_counts.assign(m_keys.size(), 0);
}

void CategoryFigures::reset(const IssueWalk::Result& walk) {
    std::fill(m_counts.begin(), m_counts.end(), 0);
    m_monthly.reset(walk);
}

bool CategoryFigures::containsKey(QByteArrayView text, QByteArrayView key) {
    const qsizetype n = text.size(), k = key.size();
    if (k == 0)
        return true;
    for (qsizetype at = 0; at + k <= n; ++at) {
        qsizetype i = 0;
        for (; i < k; ++i) {
            char c = text[at + i];
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
            if (c != key[i])
                break;
        }
        if (i == k)
            return true;
    }
    return false;
}

int CategoryFigures::categoryOf(QByteArrayView kind) const {
    for (size_t c = 0; c < m_keys.size(); ++c)
        if (containsKey(kind, m_keys[c]))
            return int(c);
    return int(m_keys.size()) - 1;
}

void CategoryFigures::addRow(QByteArrayView kind, QByteArrayView issue) {
    if (!m_counts.empty())
        add(categoryOf(kind), IssueText::month(issue));
}

void CategoryFigures::add(int category, int month) {
    if (category < 0 || size_t(category) >= m_counts.size())
        return;
    m_counts[size_t(category)] += 1;
    m_monthly.add(month);
}

double CategoryFigures::total() const {
    return std::accumulate(m_counts.begin(), m_counts.end(), 0.0);
}
