#include "MemoryLoop.h"

#include "Capitals.h"
#include "RatingFigures.h"
#include "SqlFunctions.h"

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstring>
#include <numeric>
#include <sqlite3.h>

std::string_view MemoryLoop::Column::at(size_t row) const {
    const uint32_t begin = row == 0 ? 0 : ends[row - 1];
    return std::string_view(bytes.data() + begin, ends[row] - begin);
}

void MemoryLoop::Column::append(const char* text, size_t length) {
    bytes.append(text, length);
    ends.push_back(uint32_t(bytes.size()));
}

MemoryLoop::MemoryLoop(const QString& gamesFile) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(gamesFile).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT TITEL, RUBRIK, WERTUNG, AUSGABE FROM GameData ORDER BY rowid",
                       -1, &st, nullptr);
    Column titles;
    auto text = [&](int c) {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
        return std::string_view(t ? t : "", t ? size_t(sqlite3_column_bytes(st, c)) : 0);
    };
    while (st && sqlite3_step(st) == SQLITE_ROW) {
        const std::string_view title = text(0);
        titles.append(title.data(), title.size());
        const QByteArray upper = Capitals::ofUtf8(QByteArrayView(title.data(), title.size()));
        m_upperTitles.append(upper.constData(), size_t(upper.size()));
        for (auto [column, c] : {std::pair{&m_rubrics, 1}, {&m_ratings, 2}, {&m_issues, 3}}) {
            const std::string_view v = text(c);
            column->append(v.data(), v.size());
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    std::vector<uint32_t> order(titles.ends.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        const std::string_view x = titles.at(a), y = titles.at(b);
        return SqlFunctions::collate(QByteArrayView(x.data(), x.size()),
                                     QByteArrayView(y.data(), y.size())) < 0;
    });
    // Everything laid out in title order, so a key scans memory front to back.
    for (Column* c : {&m_upperTitles, &m_rubrics, &m_ratings, &m_issues}) {
        Column sorted;
        for (uint32_t row : order) {
            const std::string_view v = c->at(row);
            sorted.append(v.data(), v.size());
        }
        *c = std::move(sorted);
    }
}

void MemoryLoop::gather(RatingFigures& figures, const std::vector<uint32_t>& rows) const {
    auto view = [](std::string_view v) { return QByteArrayView(v.data(), v.size()); };
    for (uint32_t row : rows)
        figures.addRow(view(m_rubrics.at(row)), view(m_ratings.at(row)), view(m_issues.at(row)));
    figures.finish();
}

double MemoryLoop::keystroke(const QByteArray& upperText, long& hits) const {
    QElapsedTimer t;
    t.start();
    std::vector<uint32_t> rows;
    for (uint32_t row = 0; row < m_upperTitles.ends.size(); ++row) {
        const std::string_view title = m_upperTitles.at(row);
        if (upperText.isEmpty() || (title.size() >= size_t(upperText.size()) &&
                                    memmem(title.data(), title.size(), upperText.constData(),
                                           size_t(upperText.size())) != nullptr))
            rows.push_back(row);
    }
    RatingFigures figures(
        {"Action", "Adventures", "Simulationen", "Sport", "Strategie", "Denkspiele", "Budget"});
    gather(figures, rows);
    hits = long(rows.size());
    return double(t.nsecsElapsed()) / 1e6;
}

double MemoryLoop::statistics() const {
    QElapsedTimer t;
    t.start();
    RatingFigures figures(
        {"Action", "Adventures", "Simulationen", "Sport", "Strategie", "Denkspiele", "Budget"});
    auto view = [](std::string_view v) { return QByteArrayView(v.data(), v.size()); };
    for (size_t row = 0; row < m_rubrics.ends.size(); ++row)
        figures.addRow(view(m_rubrics.at(row)), view(m_ratings.at(row)), view(m_issues.at(row)));
    figures.finish();
    return double(t.nsecsElapsed()) / 1e6;
}
