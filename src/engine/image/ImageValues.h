#pragma once

#include <QByteArrayView>
#include <cstdint>
#include <string>
#include <vector>

struct sqlite3_stmt;

// Texts of consecutive slots, one after another in one block, with where each ends.
struct ImageTexts {
    std::vector<uint32_t> ends;
    std::string bytes;
    QByteArrayView at(uint32_t slot) const {
        const uint32_t begin = slot == 0 ? 0 : ends[slot - 1];
        return QByteArrayView(bytes.data() + begin, ends[slot] - begin);
    }
    void append(const char* text, size_t length) {
        bytes.append(text, length);
        ends.push_back(uint32_t(bytes.size()));
    }
};

// One field's values, one a slot, as SQLite gives them.
struct ImageValues {
    // Sort classes in the order ORDER BY puts them.
    enum Type : uint8_t { Null = 0, Integer = 1, Real = 2, Text = 3, Blob = 4 };

    std::vector<uint8_t> types; // Type per slot
    ImageTexts texts;           // as SQLite gives them as text; empty for NULL
    std::vector<int64_t> bits;  // INTEGER values, or REAL values' bits; empty when none
    double number(uint32_t slot) const;

    // Stores the value of a statement's column at `slot`, slots before it not read yet holding
    // NULL; slots come in ascending order.
    void store(uint32_t slot, sqlite3_stmt* statement, int column);
    // The sort class of one of SQLite's storage classes.
    static uint8_t typeOf(int sqliteType);
    // ORDER BY's comparison of two slots' values: -1, 0 or 1.
    static int compare(const ImageValues& v, uint32_t a, uint32_t b);
};
