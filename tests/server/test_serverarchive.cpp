// The program on an archive that lives on a real server (--archive): the views, title search,
// a heading sort and the statistics show what they show for the folder the server was loaded
// from; another program's write on the server is refused with the folder's boxes; a login that
// may only read browses, and its changes are refused as read-only.
#include "ActAt.h"
#include "AppFixture.h"
#include "AppState.h"
#include "AppWindows.h"
#include "DataGrid.h"
#include "DataSource.h"
#include "Query.h"
#include "ServerArchive.h"
#include "ServerConnection.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TStatForm.h"
#include "Table.h"
#include "TableTextImport.h"
#include "ThrowAwayCluster.h"
#include "UserSteps.h"
#include "Views.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <sqlite3.h>
#include <sys/stat.h>

using namespace UserSteps;

class TestServerArchive : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void sameResultsAsTheFolder_data();
    void sameResultsAsTheFolder();
    void anotherProgramsWriteIsRefused_data();
    void anotherProgramsWriteIsRefused();
    void readingLoginBrowsesButCannotChange();
    void editsReachTheServerAndOthersAreSeen();
    void othersChangesShowWithoutAsking_data();
    void othersChangesShowWithoutAsking();
    void typedValuesWaitForTheirPost();
    void listenerComesBackAfterItsConnectionIsKilled();
    void unreachableServerIsNamedWithoutItsPassword();
    void keptMirrorIsTakenOnlyWhenProven_data();
    void keptMirrorIsTakenOnlyWhenProven();
    void importedRecordsHoldTheServersKeys();
    void firstRowsReadEarlyAreTheFilesRows();
    void tableLostAfterTheFirstRowsIsSaidOnce();

private:
    // Loads the fixture's folder onto the server, replacing the tables there.
    void load();
    // Starts the program on the folder (empty `archive`) or on the server.
    void start(const QString& archive);
    // What the windows show: the grid's rows, and the open statistics window's figures.
    QStringList shown() const;
    QString as(const QString& login) const;
    void press(int key, Qt::KeyboardModifiers modifiers = {});
    // Runs `sql` in a process of its own (psql) as another program would; its output.
    QString otherProgram(const QString& sql);

    QTemporaryDir m_work;
    ThrowAwayCluster m_cluster;
    QString m_superuser; // host=... port=... user=...
    AppFixture* m_app = nullptr;
};

void TestServerArchive::initTestCase() {
    QVERIFY(m_work.isValid());
    START_CLUSTER_OR_SKIP(m_cluster);
    m_superuser = m_cluster.superuser();
    // An editing login and one that may only read, as an administrator sets them up.
    ServerConnection super(m_superuser + QStringLiteral(" dbname=postgres"));
    for (const char* sql : {"CREATE ROLE redakteur LOGIN", "CREATE ROLE leser LOGIN",
                            "CREATE DATABASE vantora OWNER redakteur"})
        super.exec(QStringLiteral("test"), QString::fromUtf8(sql));
    ServerConnection editor(as(QStringLiteral("redakteur")));
    editor.exec(QStringLiteral("test"), QStringLiteral("ALTER DEFAULT PRIVILEGES GRANT SELECT "
                                                       "ON TABLES TO leser"));
}

void TestServerArchive::cleanupTestCase() {
    QVERIFY(m_cluster.stop());
}

void TestServerArchive::cleanup() {
    delete m_app;
    m_app = nullptr;
    ServerArchive::close();
}

QString TestServerArchive::as(const QString& login) const {
    return QString(m_superuser)
               .replace(QRegularExpression(QStringLiteral("user=\\S+")),
                        QStringLiteral("user=") + login) +
           QStringLiteral(" dbname=vantora");
}

void TestServerArchive::start(const QString& archive) {
    delete m_app;
    ServerArchive::close();
    m_app = new AppFixture;
    QVERIFY(m_app->makeArchive());
    // Titles that tell ß from SS, and lower-case umlauts from capitals.
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(m_app->dataDir() + "/GameData.DB").constData(), &db),
             SQLITE_OK);
    const int rc = sqlite3_exec(
        db,
        "INSERT INTO GameData VALUES ('Fußball-Manager', 'Sport', 'Sport', 'Kärnten Soft', 80, "
        "'2001/05', NULL), ('FUSSBALL total', 'Sport', 'Sport', NULL, NULL, '2001/06', ''), "
        "('übermächtig', 'Action', 'Shooter', 'Öl AG', 55, '1999/02', 'äöü')",
        nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(rc, SQLITE_OK);
    if (archive.isEmpty()) {
        m_app->options.archive.clear();
    } else {
        load();
        m_app->options.archive = archive;
    }
    QCOMPARE(m_app->start(), StartupOutcome::Running);
    QVERIFY(m_app->boxes.isEmpty());
}

void TestServerArchive::load() {
    // The folder's tables, loaded as an administrator loads them.
    QProcess convert;
    convert.start(
        QStringLiteral(VANTORA_CONVERT_PATH),
        {"--in", m_app->dataDir(), "--out", as(QStringLiteral("redakteur")), "--replace"});
    QVERIFY(convert.waitForFinished(120000));
    QVERIFY2(convert.exitCode() == 0, convert.readAllStandardError().constData());
}

QStringList TestServerArchive::shown() const {
    QStringList lines;
    const DataSource* source = Form1->DataSource1;
    for (int r = 0; r < source->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < source->columnCount(); ++c)
            cells << source->data(source->index(r, c), Qt::DisplayRole).toString();
        lines << cells.join(u'|');
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* stats = qobject_cast<TStatForm*>(w);
        if (!stats || !stats->isVisible())
            continue;
        for (int r = 0; r < stats->StringGrid1->rowCount(); ++r)
            for (int c = 0; c < stats->StringGrid1->columnCount(); ++c)
                if (const QTableWidgetItem* item = stats->StringGrid1->item(r, c))
                    lines << QStringLiteral("stat %1,%2 %3").arg(r).arg(c).arg(item->text());
    }
    return lines;
}

void TestServerArchive::press(int key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(gridKeyTarget(), Qt::Key(key), modifiers);
}

void TestServerArchive::sameResultsAsTheFolder_data() {
    QTest::addColumn<int>("view");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<bool>("statistics");
    QTest::newRow("games, every row, statistics") << int(Games) << QString() << QString() << true;
    QTest::newRow("games, umlaut, by rating") << int(Games) << "Ü"
                                              << "Wert." << false;
    QTest::newRow("games, sharp s, by maker") << int(Games) << "ß"
                                              << "Entwickler/Publisher" << true;
    QTest::newRow("disc, a fragment, by issue") << int(Disc) << "DE"
                                                << "Ausgabe" << true;
    QTest::newRow("tips, every row, statistics") << int(Tips) << QString() << QString() << true;
}

void TestServerArchive::sameResultsAsTheFolder() {
    QFETCH(int, view);
    QFETCH(QString, title);
    QFETCH(QString, heading);
    QFETCH(bool, statistics);
    QStringList seen[2];
    for (int backEnd = 0; backEnd < 2; ++backEnd) {
        start(backEnd == 0 ? QString() : as(QStringLiteral("redakteur")));
        showView(view);
        typeText(Form1->Edit1, title);
        if (!heading.isEmpty()) {
            DataSource* source = Form1->DataSource1;
            int column = 0;
            while (column < source->columnCount() && source->heading(column) != heading)
                ++column;
            QVERIFY(column < source->columnCount());
            QHeaderView* header = Form1->DBGrid1->horizontalHeader();
            QTest::mouseClick(
                header->viewport(), Qt::LeftButton, {},
                QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                       header->height() / 2));
        }
        if (statistics)
            openStatistics();
        seen[backEnd] = shown();
        QVERIFY(m_app->boxes.isEmpty());
    }
    QVERIFY(!seen[0].isEmpty() && !seen[0].constFirst().startsWith(QLatin1String("stat ")));
    QCOMPARE(seen[1], seen[0]);
}

void TestServerArchive::anotherProgramsWriteIsRefused_data() {
    QTest::addColumn<QString>("other");
    QTest::addColumn<bool>("deleting");
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("rowsAfterEsc");

    const QString changed = QStringLiteral(
        "message: Der Datensatz wurde inzwischen von einem anderen Programm geändert. Ihre "
        "Änderung wurde nicht gespeichert; mit Esc sehen Sie den gespeicherten Stand.");
    const QString deleted = QStringLiteral(
        "message: Der Datensatz wurde inzwischen von einem anderen Programm gelöscht. Ihre "
        "Änderung wurde nicht gespeichert; mit Esc verschwindet er aus der Anzeige.");
    const QString otherChange =
        "UPDATE \"TipsData\" SET \"Art\" = 'Anderswo geändert' WHERE vantora_key = 1";
    QTest::newRow("post against a change") << otherChange << false << changed << 30;
    QTest::newRow("post against a delete")
        << "DELETE FROM \"TipsData\" WHERE vantora_key = 1" << false << deleted << 29;
    QTest::newRow("delete against a change") << otherChange << true << changed << 30;
}

void TestServerArchive::anotherProgramsWriteIsRefused() {
    QFETCH(QString, other);
    QFETCH(bool, deleting);
    QFETCH(QString, box);
    QFETCH(int, rowsAfterEsc);
    start(as(QStringLiteral("redakteur")));
    editView(Tips);
    clickCell(0, 0);
    typeInGrid("NEU");
    press(Qt::Key_Tab);
    QCOMPARE(Form1->Table1.state(), Table::State::Edit);

    // Another program, on another machine, writes the record this one has in edit state.
    ServerConnection(as(QStringLiteral("redakteur"))).exec(QStringLiteral("test"), other);

    if (deleting)
        press(Qt::Key_Delete, Qt::ControlModifier);
    else
        press(Qt::Key_Down);
    QVERIFY(!m_app->boxes.isEmpty());
    QCOMPARE(m_app->boxes.constLast(), box);
    QCOMPARE(Form1->Table1.state(), Table::State::Edit);
    // The server keeps the other program's write.
    const ServerResult stored =
        ServerConnection(as(QStringLiteral("leser")))
            .exec(QStringLiteral("test"), QStringLiteral("SELECT \"TITEL\", \"Art\" FROM "
                                                         "\"TipsData\" WHERE vantora_key = 1"));
    QCOMPARE(stored.rows(), rowsAfterEsc == 30 ? 1 : 0);
    if (stored.rows() == 1)
        QCOMPARE(stored.text(0, 1), QStringLiteral("Anderswo geändert"));

    // Esc shows the stored state, or drops the deleted record from the grid.
    press(Qt::Key_Escape);
    QCOMPARE(Form1->Table1.state(), Table::State::Browse);
    QCOMPARE(Form1->DataSource1->rowCount(), rowsAfterEsc);
    if (stored.rows() == 1)
        QCOMPARE(Form1->Table1.value(0, 2), QStringLiteral("Anderswo geändert"));
}

void TestServerArchive::readingLoginBrowsesButCannotChange() {
    start(as(QStringLiteral("redakteur")));
    const QStringList edited = shown();
    start(as(QStringLiteral("leser")));
    QCOMPARE(shown(), edited);

    editView(Games);
    clickCell(0, 0);
    typeInGrid("NEU");
    press(Qt::Key_Down);
    QVERIFY(!m_app->boxes.isEmpty());
    QVERIFY2(m_app->boxes.constLast().contains(QStringLiteral("ist für diese Anmeldung "
                                                              "schreibgeschützt")),
             qPrintable(m_app->boxes.constLast()));
    const ServerResult stored =
        ServerConnection(as(QStringLiteral("leser")))
            .exec(QStringLiteral("test"), QStringLiteral("SELECT count(*) FROM \"GameData\" "
                                                         "WHERE \"TITEL\" LIKE 'NEU%'"));
    QCOMPARE(stored.text(0, 0), QStringLiteral("0"));
}

void TestServerArchive::editsReachTheServerAndOthersAreSeen() {
    start(as(QStringLiteral("redakteur")));
    ServerConnection other(as(QStringLiteral("redakteur")));
    const auto titles = [&] {
        QStringList t;
        const ServerResult r =
            other.exec(QStringLiteral("test"),
                       QStringLiteral("SELECT \"TITEL\" FROM \"TipsData\" ORDER BY vantora_key"));
        for (int row = 0; row < r.rows(); ++row)
            t << r.text(row, 0);
        return t;
    };
    QStringList expected = titles();
    editView(Tips);
    clickCell(0, 0);
    typeInGrid("Straße");
    press(Qt::Key_Down);
    press(Qt::Key_Delete, Qt::ControlModifier);
    QVERIFY2(m_app->boxes == QStringList{"confirm: Datensatz löschen?"},
             qPrintable(m_app->boxes.join(u'\n')));
    expected[0] = QStringLiteral("Straße");
    expected.removeAt(1);
    QCOMPARE(titles(), expected);
    // An import's records go to the server in one transaction.
    m_app->openFileAnswer = m_app->writeImportFile(
        "Import eins\t2002/06\tCheat\t3\r\nImport zwei\t2002/06\tCheat\t\r\n");
    Form2->Button3->click();
    QCOMPARE(m_app->boxes.constLast(),
             QStringLiteral("message: Import erfolgreich abgeschlossen.\r2 Datensätze eingefügt."));
    QCOMPARE(titles(), expected << "Import eins"
                                << "Import zwei");

    // Another program's record appears at the next query.
    other.exec(QStringLiteral("test"),
               QStringLiteral("INSERT INTO \"TipsData\" (\"TITEL\", \"Ausgabe\") "
                              "VALUES ('Öde Straße', '2002/06')"));
    switchEditMode();
    typeText(Form1->Edit1, QStringLiteral("STRASSE"));
    QCOMPARE(Form1->DataSource1->rowCount(), 0);
    Form1->Edit1->clear();
    typeText(Form1->Edit1, QStringLiteral("STRAßE"));
    QCOMPARE(shown().size(), 2);
    QVERIFY(shown().join(u'\n').contains(QStringLiteral("Öde Straße")));
}

QString TestServerArchive::otherProgram(const QString& sql) {
    QProcess psql;
    psql.start(QStringLiteral("psql"), {"-X", "-q", "-At", "-v", "ON_ERROR_STOP=1", "-d",
                                        as(QStringLiteral("redakteur")), "-c", sql});
    if (!psql.waitForFinished(60000) || psql.exitCode() != 0)
        qWarning("psql: %s", psql.readAllStandardError().constData());
    return QString::fromUtf8(psql.readAllStandardOutput()).trimmed();
}

void TestServerArchive::othersChangesShowWithoutAsking_data() {
    QTest::addColumn<QString>("other"); // %1: the key of the selected record
    QTest::addColumn<bool>("selectedStays");
    QTest::newRow("a record added before the selected one")
        << "INSERT INTO \"GameData\" (\"TITEL\", \"Rubrik\", \"WERTUNG\", \"Ausgabe\") "
           "VALUES ('0815 Neu', 'Sport', 70, '2001/06')"
        << true;
    QTest::newRow("the selected record changed")
        << "UPDATE \"GameData\" SET \"Rubrik\" = 'Sport', \"WERTUNG\" = 3 "
           "WHERE vantora_key = %1"
        << true;
    QTest::newRow("the selected record deleted")
        << "DELETE FROM \"GameData\" WHERE vantora_key = %1" << false;
}

void TestServerArchive::othersChangesShowWithoutAsking() {
    QFETCH(QString, other);
    QFETCH(bool, selectedStays);
    start(as(QStringLiteral("redakteur")));
    openStatistics();
    DataGrid* grid = Form1->DBGrid1;
    clickCell(5, 1);
    const int row = grid->currentRow(), fromTop = row - grid->rowAt(0);
    const qint64 key = Form1->Query1.rowId(row);
    const QStringList before = shown();
    // What follows is announced, not found when the listener connects.
    QTRY_VERIFY_WITH_TIMEOUT(ServerArchive::listening(), 10000);
    otherProgram(QString(other).replace(QStringLiteral("%1"), QString::number(key)));
    QTRY_VERIFY_WITH_TIMEOUT(shown() != before, 10000);
    const QStringList after = shown();
    // The statistics counted again: their figures follow the grid's rows.
    QVERIFY(after.filter(QStringLiteral("stat ")) != before.filter(QStringLiteral("stat ")));
    const int now = grid->currentRow();
    QCOMPARE(grid->selectedIndex(), 1);
    if (selectedStays) {
        QCOMPARE(Form1->Query1.rowId(now), key);
        QCOMPARE(now - grid->rowAt(0), fromTop);
    } else {
        QCOMPARE(now, row);
        QVERIFY(Form1->Query1.rowId(now) != key);
    }
    QVERIFY(m_app->boxes.isEmpty());
}

void TestServerArchive::typedValuesWaitForTheirPost() {
    start(as(QStringLiteral("redakteur")));
    editView(Tips);
    clickCell(0, 0);
    typeInGrid("NEU");
    QVERIFY(Form1->DBGrid1->openEditor());
    const QString second = Form1->Table1.value(1, 0);
    QTRY_VERIFY_WITH_TIMEOUT(ServerArchive::listening(), 10000);
    otherProgram("UPDATE \"TipsData\" SET \"TITEL\" = 'Von drüben' WHERE vantora_key = 2");
    // The change is known, and waits for the record being typed.
    auto* waiting = Form1->findChild<QTimer*>(QStringLiteral("outsideChangeWait"));
    QVERIFY(waiting);
    QTRY_VERIFY_WITH_TIMEOUT(waiting->isActive(), 10000);
    QVERIFY(Form1->DBGrid1->openEditor());
    QCOMPARE(Form1->Table1.value(1, 0), second);

    // Once the record is stored, the grid shows both.
    press(Qt::Key_Down);
    QTRY_COMPARE_WITH_TIMEOUT(Form1->Table1.value(1, 0), QStringLiteral("Von drüben"), 10000);
    QCOMPARE(Form1->Table1.value(0, 0), QStringLiteral("NEU"));
    QCOMPARE(otherProgram("SELECT \"TITEL\" FROM \"TipsData\" WHERE vantora_key = 1"),
             QStringLiteral("NEU"));
    QCOMPARE(Form1->DBGrid1->currentRow(), 1);
    QVERIFY(m_app->boxes.isEmpty());
}

void TestServerArchive::listenerComesBackAfterItsConnectionIsKilled() {
    start(as(QStringLiteral("redakteur")));
    showView(Tips);
    QTRY_VERIFY_WITH_TIMEOUT(ServerArchive::listening(), 10000);
    // The administrator ends the listening connection; a change follows at once, while no
    // one listens, and is seen once the listener is back.
    QCOMPARE(otherProgram("SELECT count(pg_catalog.pg_terminate_backend(pid)) FROM "
                          "pg_catalog.pg_stat_activity WHERE application_name = "
                          "'vantora-listener'; UPDATE \"TipsData\" SET \"TITEL\" = "
                          "'Weg und zurück' WHERE vantora_key = 1"),
             QStringLiteral("1"));
    QTRY_VERIFY_WITH_TIMEOUT(shown().join(u'\n').contains(QStringLiteral("Weg und zurück")), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(ServerArchive::listening(), 10000);
    otherProgram("UPDATE \"TipsData\" SET \"TITEL\" = 'Wieder da' WHERE vantora_key = 1");
    QTRY_VERIFY_WITH_TIMEOUT(shown().join(u'\n').contains(QStringLiteral("Wieder da")), 10000);
    QVERIFY(m_app->boxes.isEmpty());
}

void TestServerArchive::unreachableServerIsNamedWithoutItsPassword() {
    m_app = new AppFixture;
    QVERIFY(m_app->makeArchive());
    m_app->options.archive =
        QStringLiteral("host=%1 port=1 dbname=vantora password=geheim").arg(m_cluster.path());
    QCOMPARE(m_app->start(), StartupOutcome::ArchiveUnavailable);
    QCOMPARE(m_app->boxes.size(), 1);
    QVERIFY2(m_app->boxes[0].startsWith(QStringLiteral("error: ")) &&
                 m_app->boxes[0].contains(QStringLiteral("„vantora“")) &&
                 !m_app->boxes[0].contains(QStringLiteral("geheim")),
             qPrintable(m_app->boxes[0]));
}

namespace {

// Every row of a table file, key first, as text.
QStringList rowsOfFile(const QString& path, const char* sql) {
    QStringList rows;
    sqlite3* db = nullptr;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
            SQLITE_OK &&
        sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList cells;
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                cells << (sqlite3_column_type(st, c) == SQLITE_NULL
                              ? QStringLiteral("<NULL>")
                              : QString::fromUtf8(
                                    reinterpret_cast<const char*>(sqlite3_column_text(st, c))));
            rows << cells.join(u'|');
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

// Every row of the tips table on the server, key first, as text: what its file must hold.
QStringList tipsOnServer(const QString& login) {
    QStringList rows;
    const ServerResult r = ServerConnection(login).exec(
        QStringLiteral("test"), QStringLiteral("SELECT * FROM \"TipsData\" ORDER BY vantora_key"));
    for (int row = 0; row < r.rows(); ++row) {
        QStringList cells;
        for (int c = 0; c < 5; ++c)
            cells << (r.isNull(row, c) ? QStringLiteral("<NULL>") : r.text(row, c));
        rows << cells.join(u'|');
    }
    return rows;
}

const char* const kTipsOfFile = "SELECT rowid, * FROM TipsData ORDER BY rowid";

// A file's inode with its modification and change times: a file written anew differs.
QByteArray stateOf(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return QByteArray::number(quint64(info.st_ino)) + ' ' +
           QByteArray::number(qint64(info.st_mtim.tv_sec)) + '.' +
           QByteArray::number(qint64(info.st_mtim.tv_nsec)) + ' ' +
           QByteArray::number(qint64(info.st_ctim.tv_sec)) + '.' +
           QByteArray::number(qint64(info.st_ctim.tv_nsec));
}

} // namespace

void TestServerArchive::keptMirrorIsTakenOnlyWhenProven_data() {
    QTest::addColumn<QString>("between"); // what happens between two runs
    QTest::addColumn<bool>("taken");      // the second run takes the kept file as it is
    QTest::newRow("nothing") << "nothing" << true;
    QTest::newRow("a record changed on the server") << "update" << false;
    QTest::newRow("the tables loaded anew") << "replace" << false;
    QTest::newRow("the kept file damaged") << "damage" << false;
    QTest::newRow("another file put in its place") << "plant" << false;
    QTest::newRow("a link put in its place") << "link" << false;
}

void TestServerArchive::keptMirrorIsTakenOnlyWhenProven() {
    QFETCH(QString, between);
    QFETCH(bool, taken);
    m_app = new AppFixture;
    QVERIFY(m_app->makeArchive());
    load();
    const QString login = as(QStringLiteral("redakteur"));
    const QStringList tables{QStringLiteral("TipsData.DB")};
    const QString folder = ServerArchive::open(login, tables);
    const QString mirror = folder + QStringLiteral("/TipsData.DB");
    const QByteArray firstState = stateOf(mirror);
    QCOMPARE(rowsOfFile(mirror, kTipsOfFile), tipsOnServer(login));
    ServerArchive::close();

    const QString canary = m_work.filePath(QStringLiteral("canary.DB"));
    QFile::remove(canary);
    const char* change = "UPDATE TipsData SET TITEL = 'Nicht vom Server' WHERE rowid = 2";
    if (between == QLatin1String("update")) {
        ServerConnection(login).exec(
            QStringLiteral("test"),
            QStringLiteral("UPDATE \"TipsData\" SET \"TITEL\" = 'Anderswo geändert' "
                           "WHERE vantora_key = 2"));
    } else if (between == QLatin1String("replace")) {
        sqlite3* db = nullptr;
        QCOMPARE(
            sqlite3_open(QFile::encodeName(m_app->dataDir() + "/TipsData.DB").constData(), &db),
            SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, "UPDATE TipsData SET TITEL = 'Neu geladen' WHERE rowid = 2",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(db);
        load();
    } else if (between == QLatin1String("damage")) {
        // A title overwritten in place with as many other bytes.
        QFile file(mirror);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QByteArray bytes = file.readAll();
        const QByteArray title = tipsOnServer(login).at(1).section(u'|', 1, 1).toUtf8();
        const qsizetype at = bytes.indexOf(title);
        QVERIFY(!title.isEmpty() && at > 0);
        QVERIFY(file.seek(at));
        QCOMPARE(file.write(QByteArray(title.size(), 'X')), title.size());
    } else if (between == QLatin1String("plant")) {
        const QString other = mirror + QStringLiteral(".other");
        QVERIFY(QFile::copy(mirror, other));
        QCOMPARE(rowsOfFile(other, change).size(), 0);
        QVERIFY(::rename(QFile::encodeName(other).constData(),
                         QFile::encodeName(mirror).constData()) == 0);
    } else if (between == QLatin1String("link")) {
        // A copy of the test's own, changed, that the program must neither read nor write.
        QVERIFY(QFile::copy(mirror, canary));
        QCOMPARE(rowsOfFile(canary, change).size(), 0);
        QVERIFY(QFile::remove(mirror));
        QVERIFY(QFile::link(canary, mirror));
    }
    QFile canaryFile(canary);
    const QByteArray canaryBefore =
        canaryFile.open(QIODevice::ReadOnly) ? canaryFile.readAll() : QByteArray();
    canaryFile.close();

    QCOMPARE(ServerArchive::open(login, tables), folder);
    QCOMPARE(stateOf(mirror) == firstState, taken);
    QVERIFY(QFileInfo(mirror).isFile() && !QFileInfo(mirror).isSymLink());
    const QStringList expected = tipsOnServer(login);
    QCOMPARE(rowsOfFile(mirror, kTipsOfFile), expected);
    QCOMPARE(expected.at(1).contains(QStringLiteral("Anderswo geändert")),
             between == QLatin1String("update"));
    QCOMPARE(expected.at(1).contains(QLatin1String("Neu geladen")),
             between == QLatin1String("replace"));
    if (canaryFile.open(QIODevice::ReadOnly))
        QCOMPARE(canaryFile.readAll(), canaryBefore);
}

void TestServerArchive::importedRecordsHoldTheServersKeys() {
    m_app = new AppFixture;
    QVERIFY(m_app->makeArchive());
    load();
    const QString login = as(QStringLiteral("redakteur"));
    const QString folder = ServerArchive::open(login, {QStringLiteral("TipsData.DB")});
    Table table;
    table.setDatabaseName(folder);
    table.setTableName(QStringLiteral("TipsData.DB"));
    table.setReadOnly(false);
    table.open();
    // Two groups; within the second another program adds a record, which the file then takes
    // in with the group's.
    QList<TextExchange::Record> records;
    for (int i = 0; i < 2500; ++i)
        records << TextExchange::Record{QStringLiteral("Import %1").arg(i), "2002/06",
                                        i % 3 ? "Cheat" : "",
                                        i % 2 ? QString::number(i) : QString()};
    ActAt other(2200, [&] {
        otherProgram(QStringLiteral("INSERT INTO \"TipsData\" (\"TITEL\", \"Ausgabe\") "
                                    "VALUES ('Dazwischen', '2002/06')"));
    });
    const TableTextImport::Outcome outcome = TableTextImport::append(table, records, &other);
    QVERIFY2(outcome.error.isEmpty(), qPrintable(outcome.error));
    QCOMPARE(outcome.count, 2500);
    const QStringList server = tipsOnServer(login);
    QCOMPARE(rowsOfFile(folder + QStringLiteral("/TipsData.DB"), kTipsOfFile), server);
    QVERIFY(table.refresh());
    QCOMPARE(table.recordCount(), server.size());
    for (int row = 0; row < table.recordCount(); ++row)
        QCOMPARE(table.value(row, 0), server[row].section(u'|', 1, 1));
    table.close();
}

void TestServerArchive::firstRowsReadEarlyAreTheFilesRows() {
    m_app = new AppFixture;
    QVERIFY(m_app->makeArchive());
    // Titles and issues that only the program's collation puts in order (case, accents, NULL,
    // empty texts, an issue that differs in case alone), many of them equal, so that the key
    // settles their order; more rows than are read early.
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(m_app->dataDir() + "/GameData.DB").constData(), &db),
             SQLITE_OK);
    sqlite3_stmt* insert = nullptr;
    QCOMPARE(sqlite3_prepare_v2(db, "INSERT INTO GameData (TITEL, AUSGABE) VALUES (?, ?)", -1,
                                &insert, nullptr),
             SQLITE_OK);
    const char* titles[] = {"arger", "Ärger", "ARGER", "",   nullptr, "ärger", "Zebra", "öl",
                            "Ol",    "ß",     "ss",    "SS", "1942",  "a",     "A"};
    const char* issues[] = {"2003/1a", "2003/1A", nullptr, "", "2003/12"};
    for (int i = 0; i < 3100; ++i) {
        for (const auto& [column, text] : {std::pair{1, titles[i % 15]}, {2, issues[i % 11 % 5]}})
            text ? sqlite3_bind_text(insert, column, text, -1, SQLITE_STATIC)
                 : sqlite3_bind_null(insert, column);
        QCOMPARE(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_close(db);
    load();

    // The first showing's statements, and another order of every game, which counts its rows
    // early and reads them from the file.
    QList<QStringList> statements;
    const QString folder = ServerArchive::open(
        as(QStringLiteral("redakteur")), Views::diskTableFiles(), [&](const QString& folder) {
            statements = TForm1::firstShowingStatements(folder);
            QStringList texts;
            for (const QStringList& lines : std::as_const(statements))
                texts << lines.join(u'\n');
            statements << QStringList{
                QStringLiteral("SELECT * FROM \"%1/GameData.DB\"").arg(folder),
                QStringLiteral("ORDER BY TITEL DESC, AUSGABE")};
            return texts;
        });
    QVERIFY(ServerArchive::opening());
    std::vector<std::unique_ptr<Query>> early;
    for (const QStringList& lines : std::as_const(statements)) {
        early.push_back(std::make_unique<Query>());
        early.back()->setSql(lines);
        early.back()->open();
        QVERIFY(early.back()->isEarly());
    }
    QTRY_VERIFY_WITH_TIMEOUT(!ServerArchive::opening(), 60000);
    const auto row = [](const Query& q, int r) {
        QStringList cells{QString::number(q.rowId(r))};
        for (int f = 0; f < q.fieldCount(); ++f)
            cells << (q.value(r, f).isNull() ? QStringLiteral("<NULL>") : q.value(r, f));
        return cells.join(u'|');
    };
    for (size_t i = 0; i < early.size(); ++i) {
        Query file;
        file.setSql(statements[qsizetype(i)]);
        file.open();
        QVERIFY(!file.isEarly());
        QVERIFY(file.recordCount() > 3100 || i < 2);
        QCOMPARE(early[i]->recordCount(), file.recordCount());
        QCOMPARE(early[i]->fieldNames(), file.fieldNames());
        // Past the rows read early, the early result reads its file.
        for (int r = 0; r < std::min(file.recordCount(), EarlyResults::kRows + 20); ++r)
            QCOMPARE(row(*early[i], r), row(file, r));
        QCOMPARE(early[i]->isEarly(), file.recordCount() <= EarlyResults::kRows && i < 4);
    }
}

void TestServerArchive::tableLostAfterTheFirstRowsIsSaidOnce() {
    m_app = new AppFixture;
    QVERIFY(m_app->makeArchive());
    load();
    // A table the login may see but no longer read: its first rows and its copy fail once the
    // start has gone on without them. The first showing meets the failure and says it; the
    // program, told that the table is lost, says it no second time.
    QCOMPARE(otherProgram(QStringLiteral("REVOKE SELECT ON \"GameData\" FROM leser")), QString());
    m_app->options.archive = as(QStringLiteral("leser"));
    QCOMPARE(m_app->start(), StartupOutcome::Running);
    QTRY_VERIFY_WITH_TIMEOUT(!ServerArchive::opening(), 20000);
    QCoreApplication::processEvents();
    QCOMPARE(m_app->boxes.size(), 1);
    QVERIFY2(m_app->boxes.constFirst().contains(QStringLiteral("Das Lesen der Tabelle GameData")),
             qPrintable(m_app->boxes.constFirst()));
}

QTEST_MAIN(TestServerArchive)
#include "test_serverarchive.moc"
