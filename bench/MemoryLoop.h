#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

class RatingFigures;

// The in-memory loop a keystroke cannot beat by much: the games' titles upper-cased once and
// laid out with the statistics' fields in title order, then per key a substring scan and the
// statistics pass over the hits.
class MemoryLoop {
public:
    explicit MemoryLoop(const QString& gamesFile);

    // Milliseconds for one key: the rows whose upper-cased title holds `upperText`, in title
    // order, and their statistics. `hits` receives their number.
    double keystroke(const QByteArray& upperText, long& hits) const;
    // Milliseconds for the statistics pass over every row.
    double statistics() const;

private:
    struct Column {
        std::vector<uint32_t> ends;
        std::string bytes;
        std::string_view at(size_t row) const;
        void append(const char* text, size_t length);
    };
    void gather(RatingFigures& figures, const std::vector<uint32_t>& rows) const;
    Column m_upperTitles, m_rubrics, m_ratings, m_issues; // in title order
};
