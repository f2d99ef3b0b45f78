#pragma once

#include <QString>
#include <QStringList>

class Query;

// A small review table shared by the engine's tests.
namespace EngineFixture {

// Schema of the review table: text fields, one integer field with NULLs.
inline const QString kReviewSchema =
    QStringLiteral("TITEL TEXT, Rubrik TEXT, WERTUNG INTEGER, Ausgabe TEXT");

// Writes the review table (named after the file without extension) to `path`:
//   apfel, Zorn, Ärger, Arger, Banane, Rally (1998/11), Öl, Rally (2001/05), über alles.
void makeReviews(const QString& path);
int reviewCount();

// "SELECT * FROM "<path>"" as the program writes its first line.
QString selectFrom(const QString& path);

// Every row of an open result as "TITEL Ausgabe", in result order.
QStringList titlesAndIssues(const Query& q);

} // namespace EngineFixture
