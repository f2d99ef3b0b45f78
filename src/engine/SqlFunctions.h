#pragma once

#include <QByteArrayView>
#include <cstdint>
#include <optional>

struct sqlite3;

// SQL functions and the collation the engine registers on every connection.
namespace SqlFunctions {

// Name of the collation that orders text as a German reader expects.
inline constexpr const char* kCollation = "VANTORA";

void registerAll(sqlite3* db);

// Case-sensitive LIKE with % and _ over UTF-8 (exposed for tests and fuzzing).
bool likeMatch(QByteArrayView pattern, QByteArrayView text);
// The literal of a pattern "%literal%" with no other wildcard, which LIKE matches as a plain
// substring search (the program's own patterns); nothing for any other pattern.
std::optional<QByteArrayView> substringPattern(QByteArrayView pattern);

// Upper-cases every letter of a UTF-8 text whose capital is one letter (Capitals::ofUtf8).
QByteArray upperUtf8(QByteArrayView text);

// Compares two UTF-8 texts: letters without regard to case and accents first
// ("Ärger" beside "Arger"), then accents, then case, then bytes. <0, 0, >0.
int collate(QByteArrayView a, QByteArrayView b);

// A key that orders as the collation's first criterion over the first letters: where the
// keys of two texts differ, collate() orders them the same way.
uint64_t primaryPrefix(QByteArrayView text);

} // namespace SqlFunctions
