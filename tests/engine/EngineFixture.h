#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

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

// Runs the test class `makeTest` makes as its program's main: the engine's cache files go to
// a folder of the run's own, and every cache write ends before that folder goes.
int runTest(int argc, char** argv, const std::function<std::unique_ptr<QObject>()>& makeTest);

} // namespace EngineFixture

// The main of an engine test program.
#define ENGINE_TEST_MAIN(TestClass)                                                                \
    int main(int argc, char** argv) {                                                              \
        return EngineFixture::runTest(argc, argv, [] { return std::make_unique<TestClass>(); });   \
    }
