#include "EngineFixture.h"

#include "ImageCache.h"
#include "Query.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace EngineFixture {

namespace {
const QList<QStringList> kReviews = {
    {"apfel", "Strategie", "70", "1997/10"},
    {"Zorn", "Strategie", "9", "2001/05"},
    {"Ärger", "Action", "100", "1999/03"},
    {"Arger", "Sport", "\\N", "2002/01"},
    {"Banane", "Adventures", "70", "2000/02"},
    {"Rally", "Sport", "85", "1998/11"},
    {"Öl", "Budget", "40", "1999/12"},
    {"Rally", "Sport", "85", "2001/05"},
    {"über alles", "Simulationen", "\\N", "2002/03"},
};
} // namespace

void makeReviews(const QString& path) {
    TestSupport::makeTable(path, QFileInfo(path).completeBaseName(), kReviewSchema, kReviews);
}

int reviewCount() {
    return int(kReviews.size());
}

QString selectFrom(const QString& path) {
    return QStringLiteral("SELECT * FROM \"") + path + u'"';
}

QStringList titlesAndIssues(const Query& q) {
    QStringList out;
    const int title = q.fieldIndex(QStringLiteral("TITEL"));
    const int issue = q.fieldIndex(QStringLiteral("AUSGABE"));
    for (int row = 0; row < q.recordCount(); ++row)
        out << q.value(row, title) + u' ' + q.value(row, issue);
    return out;
}

int runTest(int argc, char** argv, const std::function<std::unique_ptr<QObject>()>& makeTest) {
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    QCoreApplication app(argc, argv);
    const std::unique_ptr<QObject> test = makeTest();
    const int failed = QTest::qExec(test.get(), argc, argv);
    ImageCache::finishWrites();
    return failed;
}

} // namespace EngineFixture
