#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

class Connection;
class TableImage;

// The WHERE part of a view statement, when it is made only of the conditions the views
// compose (UPPER(field) LIKE, field LIKE, integer field >= number, joined by AND), evaluated
// over the table held in memory with exactly SQLite's outcome for each row.
class ViewFilter {
public:
    // `whereTail` is the translated text between the table and ORDER BY; nothing when it
    // holds anything else, which SQLite then evaluates.
    static std::optional<ViewFilter> parse(const QString& whereTail, const Connection& conn);

    // The fields whose values the conditions read whole; the others they read as codes of
    // their distinct values, or upper-cased.
    std::vector<int> fields() const;

    // Whether there is no condition at all.
    bool selectsAll() const { return m_conditions.empty(); }

    // One byte per slot of the image: 1 where every condition holds. Throws EngineError.
    std::vector<uint8_t> matches(TableImage& image) const;

private:
    struct Condition {
        enum Kind { UpperLike, Like, AtLeast } kind;
        int field = -1;
        QByteArray pattern; // the LIKE pattern as UTF-8
        int64_t least = 0;
    };
    std::vector<Condition> m_conditions;
};
