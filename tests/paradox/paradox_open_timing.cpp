// paradox-open-timing [--rows N]
//
// Writes a DATA folder whose games table is a Paradox table of N rows (default 100,000),
// starts the program on it twice, and prints how long each start took: the first one
// converts the tables into the cache, the second one reads the copies. It also times a
// keystroke in the search page's title box after each start, and both for the same rows in
// an SQLite table file.
#include "AppFixture.h"
#include "AppWindows.h"
#include "ParadoxFixture.h"
#include "TForm1.h"
#include "TSuchPage.h"
#include "TestSupport.h"
#include "Views.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cstdio>

using ParadoxFixture::Schema;

namespace {

QList<QStringList> gameRows(int count) {
    const QStringList rubrics = Views::games().searchWords;
    QList<QStringList> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int month = i % 57; // 1997/10 to 2002/06
        const QString issue = QStringLiteral("%1/%2")
                                  .arg(1997 + (month + 9) / 12)
                                  .arg((month + 9) % 12 + 1, 2, 10, QLatin1Char('0'));
        rows << QStringList{QStringLiteral("Spiel %1 über Öl").arg(i * 7919 % count),
                            rubrics[i % rubrics.size()],
                            QStringLiteral("Rennspiel"),
                            QStringLiteral("Hersteller %1").arg(i % 311),
                            i % 9 == 0 ? QStringLiteral("\\N") : QString::number(i % 101),
                            issue,
                            QStringLiteral("Kommentar zu Nummer %1").arg(i)};
    }
    return rows;
}

double elapsedMs(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

// Starts the program, times the start and one keystroke, and ends it.
void timeStart(AppFixture& app, const char* what) {
    QElapsedTimer t;
    t.start();
    const StartupOutcome outcome = app.start();
    const double startMs = elapsedMs(t);
    if (outcome != StartupOutcome::Running) {
        std::printf("%-34s did not start\n", what);
        return;
    }
    const int shown = Form1->Query1.recordCount();
    t.restart();
    SuchPage->Edit1->setText(QStringLiteral("7"));
    const double keyMs = elapsedMs(t);
    std::printf("%-26s start %8.1f ms (%d rows)   keystroke \"7\" %6.1f ms (%d rows)\n", what,
                startMs, shown, keyMs, Form1->Query1.recordCount());
    std::fflush(stdout);
    app.stop();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("rows"), QStringLiteral("Rows of the games table."),
                      QStringLiteral("N"), QStringLiteral("100000")});
    parser.process(qapp);
    const int count = parser.value(QStringLiteral("rows")).toInt();

    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    const QList<QStringList> games = gameRows(count);
    const QList<QStringList> disc = {{"Demo", "2002/06", "Demo", "CD"}};
    const QList<QStringList> tips = {{"Spiel", "2002/06", "Cheat", "1"}};

    AppFixture paradox;
    QElapsedTimer t;
    t.start();
    const QString dir = paradox.dataDir();
    for (const QString& error :
         {ParadoxFixture::writeTable(dir + QStringLiteral("/GameData.DB"), Schema::Games, games),
          ParadoxFixture::writeTable(dir + QStringLiteral("/CDData.DB"), Schema::Disc, disc),
          ParadoxFixture::writeTable(dir + QStringLiteral("/TipsData.DB"), Schema::Tips, tips)})
        if (!error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
    std::printf("Paradox games table of %d rows written in %.0f ms\n", count, elapsedMs(t));
    timeStart(paradox, "Paradox, first opening");
    timeStart(paradox, "Paradox, second opening");

    AppFixture sqlite;
    const auto schema = [](Schema s) { return ParadoxFixture::sqliteSchema(s); };
    TestSupport::makeTable(sqlite.dataDir() + QStringLiteral("/GameData.DB"),
                           QStringLiteral("GameData"), schema(Schema::Games), games);
    TestSupport::makeTable(sqlite.dataDir() + QStringLiteral("/CDData.DB"),
                           QStringLiteral("CDData"), schema(Schema::Disc), disc);
    TestSupport::makeTable(sqlite.dataDir() + QStringLiteral("/TipsData.DB"),
                           QStringLiteral("TipsData"), schema(Schema::Tips), tips);
    timeStart(sqlite, "SQLite, first opening");
    timeStart(sqlite, "SQLite, second opening");
    return 0;
}
