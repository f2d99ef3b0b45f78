// The program on a server that goes away: stopped (fast or immediate) and started again, or the
// program's session ended by an administrator, while it is idle, browsing, posting or
// importing. An action that finds the server gone shows a box naming it and what was not
// stored, a typed record stays in edit state, an import keeps whole groups of records, and the
// next action after the server is back works in the same program. An export reads one snapshot.
// A name server that never answers holds a connection up no longer than connecting may take.
#include "ActAt.h"
#include "AppFixture.h"
#include "AppWindows.h"
#include "DataSource.h"
#include "Query.h"
#include "ServerArchive.h"
#include "ServerConnection.h"
#include "ServerListener.h"
#include "TForm1.h"
#include "TableTextExport.h"
#include "TableTextImport.h"
#include "ThrowAwayCluster.h"
#include "UserSteps.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <netinet/in.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace UserSteps;

namespace {

enum Fault { FastStop, ImmediateStop, EndSession };
enum Moment { Browse, Post, Import };

// The switch that makes this program the child of silentNameServerHoldsNothingUp().
constexpr char kNameServerProbe[] = "--behind-a-silent-name-server";

// How many questions reached the name server since last asked.
int questionsAt(int nameServer) {
    int count = 0;
    char datagram[512];
    while (::recv(nameServer, datagram, sizeof datagram, MSG_DONTWAIT) >= 0)
        ++count;
    return count;
}

// Run where 127.0.0.1 is the only name server: takes its questions without ever answering, and
// prints what a connection and a listener to a named host did meanwhile.
int probeBehindSilentNameServer(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int nameServer = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(53);
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (nameServer < 0 || ::bind(nameServer, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) {
        std::printf("no name server: %s\n", std::strerror(errno));
        return 0;
    }
    const QString conninfo =
        QStringLiteral("host=archiv.example.com port=1 dbname=vantora connect_timeout=2");
    try {
        ServerConnection connection(conninfo);
        std::printf("connected\n");
    } catch (const EngineError& e) {
        std::printf("refused: %s\n", qPrintable(e.message()));
    }
    std::printf("questions: %d\n", questionsAt(nameServer));
    // Refused at that address at once, the listener tries again and again meanwhile.
    ServerListener listener(conninfo, QStringLiteral("vantora_changes"),
                            {"archiv.example.com", "127.0.0.1"});
    QTimer::singleShot(1500, &app, &QCoreApplication::quit);
    app.exec();
    std::printf("listener's questions: %d\n", questionsAt(nameServer));
    return 0;
}

} // namespace

class TestServerFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { QVERIFY(m_cluster.stop()); }
    void cleanup();
    void serverGoesAway_data();
    void serverGoesAway();
    void exportReadsOneSnapshot_data();
    void exportReadsOneSnapshot();
    void silentNameServerHoldsNothingUp();
    void changeKeptAtABreakInItsCommitIsStored_data();
    void changeKeptAtABreakInItsCommitIsStored();
    void copyBrokenAfterTheFirstRowsIsReported();

private:
    QString editor() const {
        return QString(m_cluster.superuser())
                   .replace(QRegularExpression(QStringLiteral("user=\\S+")),
                            QStringLiteral("user=redakteur")) +
               QStringLiteral(" dbname=vantora");
    }
    // Starts the program on the folder, or on the server loaded from it.
    void start(bool onServer);
    // Makes the fixture's folder and loads it onto the server.
    void load();
    // Takes the server away as `fault` does; true when it is down now.
    bool takeAway(int fault);
    QString onServer(const QString& sql) {
        return ServerConnection(editor()).exec(QStringLiteral("test"), sql).text(0, 0);
    }
    QString super() const { return m_cluster.superuser() + QStringLiteral(" dbname=postgres"); }
    // Names the synchronous standbys (none: empty) and waits until a new session has them.
    bool setStandbys(const QString& names);

    ThrowAwayCluster m_cluster;
    AppFixture* m_app = nullptr;
};

void TestServerFaults::initTestCase() {
    START_CLUSTER_OR_SKIP(m_cluster);
    ServerConnection super(m_cluster.superuser() + QStringLiteral(" dbname=postgres"));
    for (const char* sql :
         {"CREATE ROLE redakteur LOGIN", "CREATE DATABASE vantora OWNER redakteur"})
        super.exec(QStringLiteral("test"), QString::fromUtf8(sql));
}

void TestServerFaults::cleanup() {
    delete m_app;
    m_app = nullptr;
    ServerArchive::close();
}

void TestServerFaults::load() {
    m_app = new AppFixture;
    QVERIFY(m_app->makeArchive());
    QProcess convert;
    convert.start(QStringLiteral(VANTORA_CONVERT_PATH),
                  {"--in", m_app->dataDir(), "--out", editor(), "--replace"});
    QVERIFY(convert.waitForFinished(120000));
    QVERIFY2(convert.exitCode() == 0, convert.readAllStandardError().constData());
}

void TestServerFaults::start(bool onServer) {
    if (onServer) {
        load();
        m_app->options.archive = editor();
    } else {
        m_app = new AppFixture;
        QVERIFY(m_app->makeArchive());
    }
    QCOMPARE(m_app->start(), StartupOutcome::Running);
}

bool TestServerFaults::takeAway(int fault) {
    if (fault == EndSession) {
        // Waits until the session is gone.
        ServerConnection(m_cluster.superuser() + QStringLiteral(" dbname=postgres"))
            .exec(QStringLiteral("test"),
                  QStringLiteral("SELECT pg_terminate_backend(pid, 10000) FROM pg_stat_activity "
                                 "WHERE datname = 'vantora'"));
        return false;
    }
    return m_cluster.control(fault == FastStop ? QStringLiteral("stop") : QStringLiteral("kill"));
}

void TestServerFaults::serverGoesAway_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("moment");
    const char* faults[] = {"fast stop", "immediate stop", "session ended"};
    const char* moments[] = {"browsing", "posting", "importing"};
    for (int f : {FastStop, ImmediateStop, EndSession})
        for (int m : {Browse, Post, Import})
            QTest::addRow("%s, %s", faults[f], moments[m]) << f << m;
}

void TestServerFaults::serverGoesAway() {
    QFETCH(int, fault);
    QFETCH(int, moment);
    start(true);
    const int tipsBefore = onServer(QStringLiteral("SELECT count(*) FROM \"TipsData\"")).toInt();
    const QString server = QStringLiteral("Datenbank „vantora“ (%1, Port ").arg(m_cluster.path());
    // One query each: a letter typed into the title box, or taken out again; a post.
    const auto act = [&] {
        if (moment == Browse && Form1->Edit1->text().isEmpty())
            typeText(Form1->Edit1, QStringLiteral("E"));
        else if (moment == Browse)
            QTest::keyClick(Form1->Edit1, Qt::Key_Backspace);
        else if (moment == Post)
            QTest::keyClick(gridKeyTarget(), Qt::Key_Down);
    };
    if (moment != Browse)
        editView(Tips);
    if (moment == Import) {
        // The fault strikes in the second group of 2,000 records.
        QList<TextExchange::Record> records;
        for (int i = 0; i < 2100; ++i)
            records << TextExchange::Record{QStringLiteral("Import %1").arg(i), "2002/06", "Cheat",
                                            ""};
        TableTextImport::Outcome outcome;
        ActAt faulty(2001, [&] { QCOMPARE(takeAway(fault), fault != EndSession); });
        Form1->workOnEditTable(
            [&](Table& t) { outcome = TableTextImport::append(t, records, &faulty); });
        QVERIFY2(outcome.error.contains(server) &&
                     outcome.error.contains(QStringLiteral("Das Speichern der Datensätze")) &&
                     outcome.error.endsWith(QStringLiteral(
                         "2000 Datensätze eingefügt; die übrigen 100 wurden nicht gespeichert.")),
                 qPrintable(outcome.error));
        QCOMPARE(Form1->Table1.recordCount(), tipsBefore + 2000);
    } else {
        if (moment == Post) {
            clickCell(0, 0);
            typeInGrid("Neu");
            QTest::keyClick(gridKeyTarget(), Qt::Key_Tab);
        }
        QCOMPARE(takeAway(fault), fault != EndSession);
        act();
        if (fault == EndSession) {
            // The server is there: the program opens a new session and goes on.
            QVERIFY2(m_app->boxes.isEmpty(), qPrintable(m_app->boxes.join(u'\n')));
        } else {
            // One box, naming the server; a typed record stays in edit state with its text.
            QCOMPARE(m_app->boxes.size(), 1);
            QVERIFY2(m_app->boxes[0].startsWith(QStringLiteral("error: ")) &&
                         m_app->boxes[0].contains(server) &&
                         (moment != Post || m_app->boxes[0].contains(
                                                QStringLiteral("Das Speichern des Datensatzes"))),
                     qPrintable(m_app->boxes[0]));
            if (moment == Post) {
                QCOMPARE(Form1->Table1.state(), Table::State::Edit);
                QCOMPARE(Form1->Table1.fieldText(0), QStringLiteral("Neu"));
            }
        }
    }
    if (fault != EndSession)
        QVERIFY(m_cluster.control(QStringLiteral("restart")));
    // The server is back: the import stored whole groups only, and the next action works.
    m_app->boxes.clear();
    act();
    QVERIFY2(m_app->boxes.isEmpty(), qPrintable(m_app->boxes.join(u'\n')));
    if (moment == Browse)
        QVERIFY(Form1->DataSource1->rowCount() > 0);
    if (moment == Post)
        QCOMPARE(
            onServer(QStringLiteral("SELECT \"TITEL\" FROM \"TipsData\" WHERE vantora_key = 1")),
            QStringLiteral("Neu"));
    if (moment == Import) {
        QCOMPARE(onServer(QStringLiteral("SELECT count(*) FROM \"TipsData\"")).toInt(),
                 tipsBefore + 2000);
        const TableTextImport::Outcome again = TableTextImport::append(
            Form1->Table1, {TextExchange::Record{"Danach", "2002/06", "Cheat", ""}});
        QVERIFY2(again.error.isEmpty(), qPrintable(again.error));
        QCOMPARE(onServer(QStringLiteral("SELECT count(*) FROM \"TipsData\"")).toInt(),
                 tipsBefore + 2001);
    }
}

void TestServerFaults::exportReadsOneSnapshot_data() {
    QTest::addColumn<bool>("server");
    QTest::newRow("folder") << false;
    QTest::newRow("server") << true;
}

void TestServerFaults::exportReadsOneSnapshot() {
    QFETCH(bool, server);
    start(server);
    editView(Tips);
    // Another program writes the last record before the export and the first and last while
    // it runs.
    const auto write = [&](const char* title, const char* which) {
        const QString key = server ? QStringLiteral("vantora_key") : QStringLiteral("rowid");
        const QString sql =
            QStringLiteral("UPDATE \"TipsData\" SET \"TITEL\" = '%1' WHERE %2 IN (%3)")
                .arg(QLatin1String(title), key, QLatin1String(which))
                .replace(QStringLiteral("KEY"), key);
        if (server) {
            onServer(sql);
            return;
        }
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(m_app->dataDir() + "/TipsData.DB").constData(), &db);
        sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
    };
    const char* first = "SELECT min(KEY) FROM \"TipsData\"";
    const char* last = "SELECT max(KEY) FROM \"TipsData\"";
    write("Vorher", last);
    ActAt meanwhile(10, [&] {
        write("Waehrenddessen", first);
        write("Waehrenddessen", last);
    });
    const QString path = m_app->root() + QStringLiteral("/export.txt");
    QCOMPARE(TableTextExport::write(Form1->Table1, path, &meanwhile), QString());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    QCOMPARE(lines.size(), 30);
    // Wholly as before the export began, or (a folder's other program waited) wholly after.
    const bool firstNew = lines.first().startsWith("Waehrenddessen\t");
    QVERIFY2(firstNew ? lines.last().startsWith("Waehrenddessen\t")
                      : lines.last().startsWith("Vorher\t"),
             (lines.first() + " / " + lines.last()).constData());
}

void TestServerFaults::silentNameServerHoldsNothingUp() {
    if (::geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("unshare")).isEmpty())
        QSKIP("root and unshare are needed to give a process a name server of its own");
    // The child sees a resolver configuration of the test's own, in a mount namespace of its
    // own: the system's file stays as it is.
    QTemporaryDir dir;
    QFile resolver(dir.filePath(QStringLiteral("resolv.conf")));
    QVERIFY(resolver.open(QIODevice::WriteOnly) &&
            resolver.write("nameserver 127.0.0.1\noptions timeout:5 attempts:2\n") > 0);
    resolver.close();
    QProcess child;
    child.start(QStringLiteral("unshare"),
                {"--mount", "--propagation", "private", "sh", "-c",
                 "mount --bind \"$1\" /etc/resolv.conf && exec \"$2\" \"$3\"", "sh",
                 resolver.fileName(), QCoreApplication::applicationFilePath(),
                 QString::fromLatin1(kNameServerProbe)});
    QVERIFY(child.waitForFinished(120000));
    const QString out = QString::fromUtf8(child.readAllStandardOutput());
    // Without the right to a mount namespace (a container that forbids it) nothing ran.
    if (out.isEmpty())
        QSKIP(qPrintable(QStringLiteral("no mount namespace of its own: ") +
                         QString::fromUtf8(child.readAllStandardError())));
    QVERIFY2(child.exitCode() == 0, qPrintable(out + child.readAllStandardError()));
    if (out.startsWith(QLatin1String("no name server")) ||
        out.contains(QLatin1String("questions: 0\nlistener")))
        QSKIP(qPrintable(QStringLiteral("the system does not ask a name server here: ") + out));
    // The connection gave up the name when connecting might take no longer; the listener,
    // given the address, never asked.
    QVERIFY2(out.contains(QStringLiteral("refused: Keine Verbindung zum Server archiv.example.com: "
                                         "Der Name lässt sich nicht rechtzeitig auflösen")),
             qPrintable(out));
    QVERIFY2(out.contains(QLatin1String("listener's questions: 0\n")), qPrintable(out));
}

bool TestServerFaults::setStandbys(const QString& names) {
    ServerConnection server(super());
    server.exec(
        QStringLiteral("test"),
        names.isEmpty()
            ? QStringLiteral("ALTER SYSTEM RESET synchronous_standby_names")
            : QStringLiteral("ALTER SYSTEM SET synchronous_standby_names = '%1'").arg(names));
    server.exec(QStringLiteral("test"), QStringLiteral("SELECT pg_reload_conf()"));
    for (int i = 0; i < 200; ++i) {
        if (ServerConnection(super())
                .exec(QStringLiteral("test"), QStringLiteral("SHOW synchronous_standby_names"))
                .text(0, 0) == names)
            return true;
        QTest::qWait(50);
    }
    return false;
}

void TestServerFaults::changeKeptAtABreakInItsCommitIsStored_data() {
    QTest::addColumn<bool>("import");
    QTest::newRow("an import's group") << true;
    QTest::newRow("an edited record") << false;
}

void TestServerFaults::changeKeptAtABreakInItsCommitIsStored() {
    QFETCH(bool, import);
    start(true);
    editView(Tips);
    const int tipsBefore = onServer(QStringLiteral("SELECT count(*) FROM \"TipsData\"")).toInt();
    if (!import) {
        clickCell(0, 0);
        typeInGrid("Nach dem Bruch");
        QTest::keyClick(gridKeyTarget(), Qt::Key_Tab);
    }
    // Every commit now waits, after the server has kept it, for a standby that never comes; the
    // program's session is ended so that its next one has that setting.
    const auto reset = qScopeGuard([&] { QVERIFY(setStandbys({})); });
    QVERIFY(setStandbys(QStringLiteral("niemand")));
    QCOMPARE(takeAway(EndSession), false);
    // Another program ends the session that waits: the connection breaks during the COMMIT.
    std::atomic<bool> done{false}, ended{false};
    std::thread administrator([&] {
        ServerConnection server(super());
        while (!done && !ended) {
            ended = server
                        .exec(QStringLiteral("test"),
                              QStringLiteral("SELECT count(pg_catalog.pg_terminate_backend(pid)) "
                                             "FROM pg_catalog.pg_stat_activity WHERE "
                                             "wait_event = 'SyncRep'"))
                        .text(0, 0) != QLatin1String("0");
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    TableTextImport::Outcome outcome;
    if (import)
        Form1->workOnEditTable([&](Table& t) {
            outcome = TableTextImport::append(
                t, {TextExchange::Record{"Vor dem Bruch", "2002/06", "Cheat", ""},
                    TextExchange::Record{"Auch vor dem Bruch", "2002/06", "Cheat", ""}});
        });
    else
        QTest::keyClick(gridKeyTarget(), Qt::Key_Down);
    done = true;
    administrator.join();
    QVERIFY(ended);
    // The server kept the change, and the program says so.
    if (import) {
        QVERIFY2(outcome.error.isEmpty(), qPrintable(outcome.error));
        QCOMPARE(outcome.count, 2);
    } else {
        QVERIFY2(m_app->boxes.isEmpty(), qPrintable(m_app->boxes.join(u'\n')));
        QCOMPARE(Form1->Table1.state(), Table::State::Browse);
        QCOMPARE(
            onServer(QStringLiteral("SELECT \"TITEL\" FROM \"TipsData\" WHERE vantora_key = 1")),
            QStringLiteral("Nach dem Bruch"));
    }
    QCOMPARE(onServer(QStringLiteral("SELECT count(*) FROM \"TipsData\"")).toInt(),
             tipsBefore + (import ? 2 : 0));
}

void TestServerFaults::copyBrokenAfterTheFirstRowsIsReported() {
    load();
    // The copies lose their sessions once they have said which snapshot they copy: the first
    // rows cannot be read in it, nor the tables.
    QStringList statement;
    ServerArchive::open(editor(), {QStringLiteral("GameData.DB")}, [&](const QString& folder) {
        onServer(QStringLiteral("SELECT count(pg_catalog.pg_terminate_backend(pid, 10000)) FROM "
                                "pg_catalog.pg_stat_activity WHERE datname = 'vantora' AND "
                                "state = 'idle in transaction'"));
        statement = TForm1::firstShowingStatements(folder).constLast();
        return QStringList{statement.join(u'\n')};
    });
    QVERIFY(ServerArchive::opening());
    QString failure = QStringLiteral("not told");
    ServerArchive::whenOpened([&](const QString& reason) { failure = reason; });
    Query games;
    games.setSql(statement);
    QVERIFY_THROWS_EXCEPTION(EngineError, games.open());
    QTRY_VERIFY_WITH_TIMEOUT(!ServerArchive::opening(), 20000);
    QVERIFY2(failure.startsWith(QStringLiteral("Das Lesen der Tabelle GameData")),
             qPrintable(failure));
}

int main(int argc, char** argv) {
    if (argc == 2 && qstrcmp(argv[1], kNameServerProbe) == 0)
        return probeBehindSilentNameServer(argc, argv);
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestServerFaults test;

    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "test_serverfaults.moc"
