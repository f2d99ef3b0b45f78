// vantora-bench [--sizes 100000,1000000] [--runs 5] [--work DIR]
//
// Measures the program end to end against the bare engine in the same run, and prints one
// line per figure and a closing summary of ratios.
#include "AppState.h"
#include "AppWindows.h"
#include "BareEngine.h"
#include "EngineRegistry.h"
#include "ProgramLauncher.h"
#include "Startup.h"
#include "StatisticsWindows.h"
#include "TForm1.h"
#include "TSuchPage.h"
#include "grid/DataGrid.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <algorithm>
#include <cstdio>

namespace {

class BenchRegistry : public EngineRegistry {
public:
    QString engineVersion() const override { return QStringLiteral("1.00"); }
};
class NoLauncher : public ProgramLauncher {
public:
    bool start(const QString&) override { return false; }
};

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

template <typename F> QList<double> timed(int runs, F&& f) {
    QList<double> out;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        out << double(t.nsecsElapsed()) / 1e6;
    }
    return out;
}

void line(const char* figure, long size, double ours, double floor) {
    std::printf("%-28s rows=%-8ld ours=%9.2f ms  floor=%9.2f ms  ratio=%.2f\n", figure, size, ours,
                floor, floor > 0 ? ours / floor : 0.0);
    std::fflush(stdout);
}

bool makeArchive(const QString& data, long size) {
    if (QFileInfo::exists(data + QStringLiteral("/TipsData.DB")))
        return true;
    QDir().mkpath(data);
    QProcess p;
    const QString n = QString::number(size);
    p.start(QStringLiteral(VANTORA_MKDATA_PATH),
            {QStringLiteral("--out"), data, QStringLiteral("--games"), n, QStringLiteral("--disc"),
             n, QStringLiteral("--tips"), n, QStringLiteral("--seed"), QStringLiteral("1")});
    return p.waitForFinished(600000) && p.exitCode() == 0;
}

struct Ratios {
    double keystroke = 0, stats = 0, startup = 0, rss = 0;
};

void benchSize(long size, int runs, const QString& work, Ratios& worst) {
    const QString disc = work + QStringLiteral("/disc-%1").arg(size);
    const QString data = disc + QStringLiteral("/DATA");
    if (!makeArchive(data, size)) {
        std::fprintf(stderr, "could not generate the archive of %ld rows\n", size);
        return;
    }
    const QString games = data + QStringLiteral("/GameData.DB");

    // --- start-up, as a process: to the end of the first showing.
    QList<double> startups;
    qint64 peakKb = 0;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VANTORA_EXIT_AFTER_START"), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), work + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_CONFIG_DIRS"), work + QStringLiteral("/xdg"));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(disc);
        QElapsedTimer t;
        t.start();
        p.start(QStringLiteral(VANTORA_PROGRAM_PATH), {});
        p.waitForFinished(600000);
        startups << double(t.nsecsElapsed()) / 1e6;
        const QString err = QString::fromUtf8(p.readAllStandardError());
        const qsizetype at = err.indexOf(QStringLiteral("VmHWM:"));
        if (at >= 0)
            peakKb = std::max(peakKb, err.mid(at + 6).trimmed().split(u' ').first().toLongLong());
    }
    const QStringList startupStatements = {
        QStringLiteral(
            "SELECT * FROM TipsData ORDER BY AUSGABE COLLATE VANTORA DESC, TITEL COLLATE VANTORA"),
        QStringLiteral(
            "SELECT * FROM CDData ORDER BY AUSGABE COLLATE VANTORA DESC, TITEL COLLATE VANTORA"),
        QStringLiteral(
            "SELECT * FROM GameData ORDER BY AUSGABE COLLATE VANTORA DESC, TITEL COLLATE VANTORA"),
        QStringLiteral("SELECT * FROM GameData ORDER BY TITEL COLLATE VANTORA")};
    const QStringList startupFiles = {data + QStringLiteral("/TipsData.DB"),
                                      data + QStringLiteral("/CDData.DB"), games, games};
    const double startupFloor = median(timed(runs, [&] {
        for (int i = 0; i < 4; ++i)
            BareEngine::stepAll(startupFiles[i], startupStatements[i]);
    }));
    line("start-up", size, median(startups), startupFloor);
    worst.startup = std::max(worst.startup, median(startups) / startupFloor);
    const double fileMb = double(QFileInfo(games).size()) / 1048576.0;
    std::printf("%-28s rows=%-8ld peak=%9.1f MB  table file=%9.1f MB  ratio=%.2f\n",
                "resident memory", size, double(peakKb) / 1024.0, fileMb,
                double(peakKb) / 1024.0 / fileMb);
    worst.rss = std::max(worst.rss, double(peakKb) / 1024.0 / fileMb);

    // --- in-process: the windows over the same archive.
    QDir::setCurrent(disc);
    BenchRegistry registry;
    NoLauncher launcher;
    StartupOptions options;
    options.programPath = disc + QStringLiteral("/vantora");
    options.startDir = disc;
    options.registry = &registry;
    options.launcher = &launcher;
    options.singleInstance = false;
    if (startUp(options) != StartupOutcome::Running) {
        std::fprintf(stderr, "start-up failed\n");
        return;
    }
    Form1->Image6Click(); // the search page
    Form1->Image7Click(); // the games statistics
    QCoreApplication::processEvents();

    // Keystroke: type one letter into the title box until the grid has painted its rows.
    const QList<Qt::Key> letters = {Qt::Key_A, Qt::Key_E, Qt::Key_R, Qt::Key_O, Qt::Key_N};
    QList<double> keys, floors;
    for (int i = 0; i < runs; ++i) {
        Form1->Edit1->clear();
        QCoreApplication::processEvents();
        const Qt::Key key = letters[i % letters.size()];
        QElapsedTimer t;
        t.start();
        QTest::keyClick(Form1->Edit1, key);
        Form1->DBGrid1->viewport()->repaint();
        keys << double(t.nsecsElapsed()) / 1e6;
        const QString sql =
            BareEngine::sqliteText(Form1->Query1.statementText(), QStringLiteral("GameData"));
        floors << BareEngine::stepAll(games, sql);
    }
    line("keystroke", size, median(keys), median(floors));
    worst.keystroke = std::max(worst.keystroke, median(keys) / median(floors));

    // Statistics recompute over the whole table and over a title-filtered selection.
    for (const QString& title : {QString(), QStringLiteral("AR")}) {
        Form1->Edit1->setText(title);
        QCoreApplication::processEvents();
        const QString sql =
            BareEngine::sqliteText(Form1->Query1.statementText(), QStringLiteral("GameData"));
        const double ours = median(timed(runs, [] { Form3->FormShow(); }));
        QList<double> passes;
        for (int i = 0; i < runs; ++i)
            passes << BareEngine::stepAll(
                games, sql,
                {QStringLiteral("RUBRIK"), QStringLiteral("WERTUNG"), QStringLiteral("AUSGABE")});
        line(title.isEmpty() ? "statistics (whole table)" : "statistics (title AR)", size, ours,
             median(passes));
        worst.stats = std::max(worst.stats, ours / median(passes));
    }

    // The sqlite3 shell, where a statement needs none of our functions.
    QProcess shell;
    QElapsedTimer t;
    t.start();
    shell.start(
        QStringLiteral("sqlite3"),
        {games,
         QStringLiteral("SELECT count(*) FROM (SELECT * FROM GameData ORDER BY AUSGABE DESC)")});
    if (shell.waitForFinished(600000) && shell.exitCode() == 0)
        std::printf("%-28s rows=%-8ld shell=%9.2f ms (ORDER BY AUSGABE DESC, no collation)\n",
                    "sqlite3 shell", size, double(t.nsecsElapsed()) / 1e6);
    shutDown();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QList<long> sizes = {100000, 1000000};
    int runs = 5;
    QString work = QDir::tempPath() + QStringLiteral("/vantora-bench");
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--sizes")) {
            sizes.clear();
            for (const QString& s : args[i + 1].split(u','))
                sizes << s.toLong();
        } else if (args[i] == QLatin1String("--runs")) {
            runs = std::max(5, args[i + 1].toInt());
        } else if (args[i] == QLatin1String("--work")) {
            work = args[i + 1];
        }
    }
    QDir().mkpath(work);
    // The engine counts as installed for every process of the run.
    qputenv("XDG_CONFIG_HOME", (work + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", (work + QStringLiteral("/xdg")).toUtf8());
    {
        QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Kalmor"),
                    QStringLiteral("Vantora-Engine"));
        s.setValue(QStringLiteral("Engine-Version"), QStringLiteral("1.00"));
    }
    Ratios worst;
    for (long size : sizes)
        benchSize(size, runs, work, worst);
    std::printf("ratio keystroke/floor=%.2f stats/floor=%.2f startup/floor=%.2f rss/file=%.2f\n",
                worst.keystroke, worst.stats, worst.startup, worst.rss);
    return 0;
}
