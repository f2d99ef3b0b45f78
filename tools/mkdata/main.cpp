// vantora-mkdata: writes an invented sample archive (GameData.DB, CDData.DB, TipsData.DB).

#include "ArchiveGenerator.h"
#include "TableFile.h"
#include "WriteError.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <optional>

namespace {

constexpr qint64 kMaxRows = 100'000'000;

struct Options {
    QString outDir;
    quint64 seed = 1;
    ArchiveCounts counts = ArchiveCounts::perIssueDefaults();
};

void complain(const QString& message) {
    std::fprintf(stderr, "vantora-mkdata: %s\n", qPrintable(message));
}

std::optional<qint64> rowCount(const QCommandLineParser& parser, const QString& name,
                               qint64 fallback) {
    if (!parser.isSet(name))
        return fallback;
    bool ok = false;
    const qint64 n = parser.value(name).toLongLong(&ok);
    if (!ok || n < 0 || n > kMaxRows) {
        complain(QStringLiteral("--%1 wants a number of rows from 0 to %2, not \"%3\"")
                     .arg(name)
                     .arg(kMaxRows)
                     .arg(parser.value(name)));
        return std::nullopt;
    }
    return n;
}

// Returns the options, or nothing after a message on stderr.
std::optional<Options> parseOptions(const QStringList& arguments, bool& helpShown) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes an invented sample archive of the magazine, issues 1997/10 to "
                       "2002/06, as GameData.DB, CDData.DB and TipsData.DB into DIR."));
    const QCommandLineOption help = parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("out"), QStringLiteral("Folder to write the table files into."),
         QStringLiteral("DIR")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the invented contents (default 1)."),
         QStringLiteral("N")},
        {QStringLiteral("games"), QStringLiteral("Number of reviews (default about 60 an issue)."),
         QStringLiteral("N")},
        {QStringLiteral("disc"),
         QStringLiteral("Number of disc items (default about 150 an issue)."), QStringLiteral("N")},
        {QStringLiteral("tips"), QStringLiteral("Number of tips (default about 80 an issue)."),
         QStringLiteral("N")},
    });
    if (!parser.parse(arguments)) {
        complain(parser.errorText());
        return std::nullopt;
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        helpShown = true;
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        complain(QStringLiteral("unexpected argument \"%1\"")
                     .arg(parser.positionalArguments().constFirst()));
        return std::nullopt;
    }
    Options o;
    o.outDir = parser.value(QStringLiteral("out"));
    if (o.outDir.isEmpty()) {
        complain(QStringLiteral("--out DIR is required"));
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("seed"))) {
        bool ok = false;
        o.seed = parser.value(QStringLiteral("seed")).toULongLong(&ok);
        if (!ok) {
            complain(QStringLiteral("--seed wants a whole number, not \"%1\"")
                         .arg(parser.value(QStringLiteral("seed"))));
            return std::nullopt;
        }
    }
    const auto games = rowCount(parser, QStringLiteral("games"), o.counts.games);
    const auto disc = rowCount(parser, QStringLiteral("disc"), o.counts.disc);
    const auto tips = rowCount(parser, QStringLiteral("tips"), o.counts.tips);
    if (!games || !disc || !tips)
        return std::nullopt;
    o.counts = {*games, *disc, *tips};
    return o;
}

void writeArchive(const Options& o) {
    const ArchiveGenerator generator(o.seed, o.counts);

    TableFile games(o.outDir, TableSchema::kGames);
    generator.games([&](const GameRow& r) {
        games.insert({r.title, r.rubric, r.genre, r.maker, r.rating, r.issue, r.comment});
    });
    games.finish();

    TableFile disc(o.outDir, TableSchema::kDisc);
    generator.disc([&](const DiscRow& r) {
        disc.insert({r.title, r.issue, r.category, r.medium});
    });
    disc.finish();

    TableFile tips(o.outDir, TableSchema::kTips);
    generator.tips([&](const TipRow& r) { tips.insert({r.title, r.issue, r.kind, r.counter}); });
    tips.finish();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    bool helpShown = false;
    const std::optional<Options> options = parseOptions(app.arguments(), helpShown);
    if (!options)
        return helpShown ? 0 : 2;
    if (!QDir().mkpath(options->outDir)) {
        complain(QStringLiteral("cannot create the folder \"%1\"").arg(options->outDir));
        return 1;
    }
    try {
        writeArchive(*options);
    } catch (const WriteError& e) {
        complain(QString::fromStdString(e.what()));
        return 1;
    }
    return 0;
}
