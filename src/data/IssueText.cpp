#include "IssueText.h"

#include <QByteArrayView>

namespace IssueText {

namespace {
int digits(const QString& s, int from, int count) {
    if (s.size() < from + count)
        return -1;
    int v = 0;
    for (int i = from; i < from + count; ++i) {
        const QChar c = s[i];
        if (c < u'0' || c > u'9')
            return -1;
        v = v * 10 + (c.unicode() - '0');
    }
    return v;
}
} // namespace

int month(const QString& issue) {
    return digits(issue, 5, 2);
}
int year(const QString& issue) {
    return digits(issue, 0, 4);
}

int month(QByteArrayView issue) {
    if (issue.size() < 7)
        return -1;
    const char a = issue[5], b = issue[6];
    if (a < '0' || a > '9' || b < '0' || b > '9')
        return -1;
    return (a - '0') * 10 + (b - '0');
}

bool complete(const QString& typed, QString& completed) {
    const qsizetype n = typed.size();
    if (n == 0 || n > 7)
        return false;
    completed = kTemplate.left(7 - n) + typed;
    return true;
}

bool isWellFormed(const QString& issue, int maxYear) {
    if (issue.size() != 7 || issue[4] != u'/')
        return false;
    const int y = year(issue), m = month(issue);
    return y >= 1997 && y <= maxYear && m >= 1 && m <= 12;
}

} // namespace IssueText
