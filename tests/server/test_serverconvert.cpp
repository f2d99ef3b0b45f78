// The converter loads the archive's tables onto a real server and writes them back: every
// value, NULL and record order survives; existing tables are replaced only when asked; a
// login that may only read can unload but not load; an unreachable server is named without
// its password, and a connection string never becomes a folder.
#include "ServerConnection.h"
#include "TestSupport.h"
#include "ThrowAwayCluster.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

namespace {

const QStringList kTables{"GameData", "CDData", "TipsData"};

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// `environment`: "NAME=value" entries added to the converter's environment.
Run runConverter(const QStringList& arguments, const QString& workingDir = {},
                 const QStringList& environment = {}) {
    QProcess p;
    if (!workingDir.isEmpty())
        p.setWorkingDirectory(workingDir);
    if (!environment.isEmpty())
        p.setEnvironment(QProcess::systemEnvironment() + environment);
    p.start(QStringLiteral(VANTORA_CONVERT_PATH), arguments);
    Run run;
    if (!p.waitForFinished(120000))
        return run;
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return run;
}

// Every row of a table file with each field's storage class, so that an integer that came back
// as text or an empty text that came back as NULL shows; then the declared columns.
QStringList dump(const QString& path, const QString& table) {
    QStringList lines;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        const auto each = [&](const QString& sql) {
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr);
            while (st && sqlite3_step(st) == SQLITE_ROW) {
                QStringList fields;
                for (int c = 0; c < sqlite3_column_count(st); ++c) {
                    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
                    fields << QString::number(sqlite3_column_type(st, c)) + u':' +
                                  QString::fromUtf8(t, t ? sqlite3_column_bytes(st, c) : 0);
                }
                lines << fields.join(u'|');
            }
            sqlite3_finalize(st);
        };
        each(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table));
        each(QStringLiteral("SELECT name, type FROM pragma_table_info('%1')").arg(table));
    }
    sqlite3_close(db);
    return lines;
}

void execSql(const QString& path, const QString& sql) {
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    const QString message = QString::fromUtf8(error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(message));
}

QString printedCounts(const QString& dataDir) {
    QString printed;
    for (const QString& table : kTables)
        printed += QStringLiteral("%1.DB: %2 Datensätze\n")
                       .arg(table)
                       .arg(TestSupport::readTable(dataDir + u'/' + table + ".DB", table).size());
    return printed;
}

} // namespace

class TestServerConvert : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void roundTripKeepsEveryValue();
    void existingTablesAreReplacedOnlyWhenAsked();
    void loginsAsTheAdministratorSetsThemUp();
    void unreachableServer_data();
    void unreachableServer();
    void folderNameWithEqualsSign();

private:
    // A new database on the cluster; returns its superuser's connection string.
    QString createDatabase(const QString& name);
    QString makeData(const QString& name);

    QTemporaryDir m_work;
    ThrowAwayCluster m_cluster;
    QString m_superuser; // host=... port=... user=...
};

void TestServerConvert::initTestCase() {
    QVERIFY(m_work.isValid());
    START_CLUSTER_OR_SKIP(m_cluster);
    m_superuser = m_cluster.superuser();
    QVERIFY2(m_superuser.startsWith(QLatin1String("host=")), qPrintable(m_superuser));
}

void TestServerConvert::cleanupTestCase() {
    QVERIFY(m_cluster.stop());
}

QString TestServerConvert::createDatabase(const QString& name) {
    ServerConnection server(m_superuser + QStringLiteral(" dbname=postgres"));
    server.exec(QStringLiteral("test"), QStringLiteral("CREATE DATABASE %1").arg(name));
    return m_superuser + QStringLiteral(" dbname=") + name;
}

QString TestServerConvert::makeData(const QString& name) {
    const QString dir = m_work.filePath(name);
    if (QFileInfo::exists(dir))
        return dir;
    if (!TestSupport::makeArchive(dir, 40, 60, 30))
        return {};
    return dir;
}

void TestServerConvert::roundTripKeepsEveryValue() {
    const QString data = makeData(QStringLiteral("roundtrip"));
    QVERIFY(!data.isEmpty());
    // Values COPY must escape, texts beyond ASCII, NULL beside the empty text, between the
    // generated records so that their order shows.
    execSql(data + QStringLiteral("/GameData.DB"),
            QStringLiteral("INSERT INTO GameData VALUES ('Straße\tder Könige', 'Action', "
                           "'Rennspiel', 'Ärger\\Ümlaut\\\\N', NULL, '2001/05', "
                           "'zwei\nZeilen\r\nund \\N'); "
                           "INSERT INTO GameData VALUES ('', NULL, '', NULL, 0, NULL, ''); "
                           "INSERT INTO GameData SELECT * FROM GameData WHERE rowid <= 3;"));
    execSql(data + QStringLiteral("/TipsData.DB"),
            QStringLiteral("INSERT INTO TipsData VALUES ('Öde\tÖdnis', NULL, 'ß', -7)"));
    const QString db = createDatabase(QStringLiteral("rundreise"));

    Run load = runConverter({"--in", data, "--out", db});
    QCOMPARE(load.exitCode, 0);
    QCOMPARE(load.out, printedCounts(data));
    QCOMPARE(load.err, QString());

    // The server's table: the hidden key first, then the folder's fields and types.
    ServerConnection server(db);
    const ServerResult columns = server.exec(
        QStringLiteral("test"),
        QStringLiteral(
            "SELECT string_agg(attname || ' ' || format_type(atttypid, NULL), ', ' "
            "ORDER BY attnum) FROM pg_attribute WHERE attrelid = '\"GameData\"'::regclass "
            "AND attnum > 0 AND NOT attisdropped"));
    QCOMPARE(columns.text(0, 0),
             QStringLiteral("vantora_key bigint, TITEL text, Rubrik text, Genre text, "
                            "HERSTELLER text, WERTUNG integer, Ausgabe text, KOMMENTAR text"));

    const QString back = m_work.filePath(QStringLiteral("roundtrip-back"));
    Run unload = runConverter({"--in", db, "--out", back});
    QCOMPARE(unload.exitCode, 0);
    QCOMPARE(unload.out, load.out);
    QCOMPARE(QDir(back).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot),
             (QStringList{"CDData.DB", "GameData.DB", "TipsData.DB"}));
    for (const QString& table : kTables) {
        const QStringList original = dump(data + u'/' + table + ".DB", table);
        QVERIFY(original.size() > 30);
        QCOMPARE(dump(back + u'/' + table + ".DB", table), original);
    }
}

void TestServerConvert::existingTablesAreReplacedOnlyWhenAsked() {
    const QString data = makeData(QStringLiteral("replace"));
    QVERIFY(!data.isEmpty());
    const QString db = createDatabase(QStringLiteral("ersetzen"));
    QCOMPARE(runConverter({"--in", data, "--out", db}).exitCode, 0);
    const QString before = m_work.filePath(QStringLiteral("replace-before"));
    QCOMPARE(runConverter({"--in", db, "--out", before}).exitCode, 0);

    execSql(data + QStringLiteral("/CDData.DB"),
            QStringLiteral("DELETE FROM CDData WHERE rowid % 2 = 0; "
                           "UPDATE CDData SET Medium = 'geändert'"));
    const Run refused = runConverter({"--in", data, "--out", db});
    QCOMPARE(refused.exitCode, 1);
    QCOMPARE(refused.out, QString());
    QVERIFY2(refused.err.contains(QLatin1String("gibt es schon: GameData, CDData, TipsData")) &&
                 refused.err.contains(QLatin1String("--replace")) &&
                 refused.err.contains(QStringLiteral("Datenbank „ersetzen“")),
             qPrintable(refused.err));
    const QString unchanged = m_work.filePath(QStringLiteral("replace-unchanged"));
    QCOMPARE(runConverter({"--in", db, "--out", unchanged}).exitCode, 0);
    for (const QString& table : kTables)
        QCOMPARE(dump(unchanged + u'/' + table + ".DB", table),
                 dump(before + u'/' + table + ".DB", table));

    const Run replaced = runConverter({"--in", data, "--out", db, "--replace"});
    QCOMPARE(replaced.exitCode, 0);
    QCOMPARE(replaced.out, printedCounts(data));
    const QString after = m_work.filePath(QStringLiteral("replace-after"));
    QCOMPARE(runConverter({"--in", db, "--out", after}).exitCode, 0);
    for (const QString& table : kTables)
        QCOMPARE(dump(after + u'/' + table + ".DB", table),
                 dump(data + u'/' + table + ".DB", table));
}

void TestServerConvert::loginsAsTheAdministratorSetsThemUp() {
    const QString data = makeData(QStringLiteral("logins"));
    QVERIFY(!data.isEmpty());
    // The administrator's set-up: a login that loads and owns the tables, a group of readers
    // and one of editors, their rights given for every table the loading login makes, so that
    // they hold for tables replaced later too.
    {
        ServerConnection super(m_superuser + QStringLiteral(" dbname=postgres"));
        for (const char* sql :
             {"CREATE ROLE vantora_admin LOGIN", "CREATE ROLE vantora_lesen NOLOGIN",
              "CREATE ROLE vantora_redaktion NOLOGIN",
              "CREATE ROLE leser LOGIN IN ROLE vantora_lesen",
              "CREATE ROLE redakteur LOGIN IN ROLE vantora_redaktion",
              "CREATE DATABASE vantora OWNER vantora_admin",
              "REVOKE ALL ON DATABASE vantora FROM PUBLIC",
              "GRANT CONNECT ON DATABASE vantora TO vantora_lesen, vantora_redaktion"})
            super.exec(QStringLiteral("test"), QString::fromUtf8(sql));
    }
    const auto as = [&](const QString& login) {
        return QString(m_superuser)
                   .replace(QRegularExpression(QStringLiteral("user=\\S+")),
                            QStringLiteral("user=") + login) +
               QStringLiteral(" dbname=vantora");
    };
    {
        ServerConnection admin(as(QStringLiteral("vantora_admin")));
        admin.exec(QStringLiteral("test"),
                   QStringLiteral("ALTER DEFAULT PRIVILEGES IN SCHEMA public "
                                  "GRANT SELECT ON TABLES TO vantora_lesen"));
        admin.exec(QStringLiteral("test"),
                   QStringLiteral("ALTER DEFAULT PRIVILEGES IN SCHEMA public "
                                  "GRANT SELECT, INSERT, UPDATE, DELETE ON TABLES TO "
                                  "vantora_redaktion"));
    }
    // The administrator names the server through a service file.
    QFile services(m_work.filePath(QStringLiteral("pg_service.conf")));
    QVERIFY(services.open(QIODevice::WriteOnly));
    services.write(
        ("[vantora]\n" + as(QStringLiteral("vantora_admin")).replace(u' ', u'\n') + '\n').toUtf8());
    services.close();
    const QStringList serviceFile{QStringLiteral("PGSERVICEFILE=") + services.fileName()};
    QCOMPARE(runConverter({"--in", data, "--out", "service=vantora"}, {}, serviceFile).exitCode, 0);
    QCOMPARE(runConverter({"--in", data, "--out", "service=vantora", "--replace"}, {}, serviceFile)
                 .exitCode,
             0);

    const QString back = m_work.filePath(QStringLiteral("logins-back"));
    QCOMPARE(runConverter({"--in", as(QStringLiteral("leser")), "--out", back}).exitCode, 0);
    for (const QString& table : kTables)
        QCOMPARE(dump(back + u'/' + table + ".DB", table),
                 dump(data + u'/' + table + ".DB", table));

    // An editor adds, changes and removes a record; a reader may not.
    {
        ServerConnection editor(as(QStringLiteral("redakteur")));
        const QByteArray key =
            editor
                .exec(QStringLiteral("test"),
                      QStringLiteral("INSERT INTO \"TipsData\" (\"TITEL\") VALUES ($1) "
                                     "RETURNING vantora_key"),
                      {"Neu"})
                .bytes(0, 0);
        QCOMPARE(key.toLong(), 31L);
        QCOMPARE(editor
                     .exec(QStringLiteral("test"),
                           QStringLiteral("UPDATE \"TipsData\" SET \"COUNTER\" = $2 "
                                          "WHERE vantora_key = $1"),
                           {key, "3"})
                     .affectedRows(),
                 1L);
        QCOMPARE(editor
                     .exec(QStringLiteral("test"),
                           QStringLiteral("DELETE FROM \"TipsData\" WHERE vantora_key = $1"), {key})
                     .affectedRows(),
                 1L);
        ServerConnection reader(as(QStringLiteral("leser")));
        QByteArray refusal;
        try {
            reader.exec(QStringLiteral("test"),
                        QStringLiteral("DELETE FROM \"TipsData\" WHERE vantora_key = 1"));
        } catch (const ServerError& e) {
            refusal = e.sqlState();
        }
        QCOMPARE(refusal, QByteArray("42501"));
    }

    // Neither may load; the tables stay as they were.
    execSql(data + QStringLiteral("/GameData.DB"), QStringLiteral("DELETE FROM GameData"));
    for (const QString& login : {QStringLiteral("leser"), QStringLiteral("redakteur")}) {
        const Run load = runConverter({"--in", data, "--out", as(login), "--replace"});
        QCOMPARE(load.exitCode, 1);
        QCOMPARE(load.out, QString());
        QCOMPARE(load.err.count(QLatin1String("Diese Anmeldung hat dazu kein Recht")), 3);
    }
    const QString still = m_work.filePath(QStringLiteral("logins-still"));
    QCOMPARE(runConverter({"--in", "service=vantora", "--out", still}, {}, serviceFile).exitCode,
             0);
    for (const QString& table : kTables)
        QCOMPARE(dump(still + u'/' + table + ".DB", table),
                 dump(back + u'/' + table + ".DB", table));
}

void TestServerConvert::unreachableServer_data() {
    QTest::addColumn<QString>("conninfo");
    QTest::addColumn<bool>("loading");
    const QString keywords =
        QStringLiteral("host=%1 port=5 dbname=vantora user=leser password=geheim");
    const QString uri = QStringLiteral("postgresql://leser:geheim@/vantora?host=%1&port=5");
    QTest::newRow("keywords, loading") << keywords << true;
    QTest::newRow("keywords, unloading") << keywords << false;
    QTest::newRow("URI, loading") << uri << true;
    QTest::newRow("short URI, unloading")
        << QString(uri).replace("postgresql:", "postgres:") << false;
}

void TestServerConvert::unreachableServer() {
    QFETCH(QString, conninfo);
    QFETCH(bool, loading);
    const QString data = makeData(QStringLiteral("unreachable"));
    QVERIFY(!data.isEmpty());
    QTemporaryDir noServer;
    QTemporaryDir cwd;
    conninfo = conninfo.arg(noServer.path());
    const Run run =
        runConverter(loading ? QStringList{"--in", data, "--out", conninfo}
                             : QStringList{"--in", conninfo, "--out", QStringLiteral("zurück")},
                     cwd.path());
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QString());
    QVERIFY2(run.err.contains(QStringLiteral("Keine Verbindung zu Datenbank „vantora“ (%1, Port 5)")
                                  .arg(noServer.path())),
             qPrintable(run.err));
    QVERIFY2(!run.err.contains(QLatin1String("geheim")), qPrintable(run.err));
    // Nothing was written: neither a folder named after the string nor the output folder.
    QCOMPARE(QDir(cwd.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
}

void TestServerConvert::folderNameWithEqualsSign() {
    const QString data = makeData(QStringLiteral("equals"));
    QVERIFY(!data.isEmpty());
    QTemporaryDir cwd;
    // "service=…" is a connection string; "./service=…" and "a b=c" are folders.
    const Run run = runConverter(
        {"--in", data, "--out", QStringLiteral("service=vantora-nirgends")}, cwd.path());
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QLatin1String("Keine Verbindung")), qPrintable(run.err));
    QCOMPARE(QDir(cwd.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    for (const QString& folder :
         {QStringLiteral("./service=vantora-nirgends"), QStringLiteral("a b=c")}) {
        const Run toFolder = runConverter({"--in", data, "--out", folder}, cwd.path());
        QCOMPARE(toFolder.exitCode, 0);
        QCOMPARE(QDir(cwd.filePath(folder)).entryList(QDir::Files),
                 (QStringList{"CDData.DB", "GameData.DB", "TipsData.DB"}));
    }
}

QTEST_MAIN(TestServerConvert)
#include "test_serverconvert.moc"
