// Paradox tables in the DATA folder: the program shows, sorts, searches, counts and exports
// them exactly as the same data in SQLite table files; it never changes them, refuses every
// edit with a pointer to the converter, and the converter turns them into SQLite for good.
#include "AppFixture.h"
#include "AppState.h"
#include "AppWindows.h"
#include "CaptionLabel.h"
#include "ClickArea.h"
#include "DataGrid.h"
#include "DataSource.h"
#include "EngineError.h"
#include "ParadoxFixture.h"
#include "ParadoxReader.h"
#include "StatisticsWindows.h"
#include "StripPicture.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TSuchPage.h"
#include "TestSupport.h"
#include "UserSteps.h"
#include "VerticalCaption.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <sqlite3.h>

using ParadoxFixture::Schema;
using TestSupport::joined;
using TestSupport::Rows;

namespace {

// Umlauts in every text field, empty ratings and counters, empty texts, ties in the sort
// fields, and categories the statistics count under their last row.
const Rows kGames = {
    {"Über Land", "Action", "Rennspiel", "Kalmor", "85", "2001/05", "schön schnell"},
    {"über alles", "Strategie", "Echtzeit-Strategie", "Studio Ä", "\\N", "2000/11", "\\N"},
    {"Ärger im Büro", "Simulationen", "Wirtschaftssimulation", "Größe GmbH", "70", "2001/05",
     "heiß"},
    {"Zebra", "Sport", "Sportspiel", "Zoo", "0", "1999/03", "\\N"},
    {"Alpha", "Action", "3D-Action", "Alpha Soft", "92", "2002/06", "Straße frei"},
    {"Beta", "Adventures", "Adventure", "\\N", "\\N", "1997/10", "ohne Wertung"},
    {"Öl", "Budget", "Aufbauspiel", "Ölwerke", "55", "2000/11", "\\N"},
    {"Mitte", "Software", "Software", "Tool AG", "100", "2002/01", "Werkzeug"},
    {"Alpha", "Sport", "Sportspiel", "Zoo", "70", "1999/03", "zweiter Test"},
};
const Rows kDisc = {
    {"Völkerball", "2001/05", "Demo", "CD"},
    {"Patch für Ärger", "2001/05", "Patch", "DVD"},
    {"Treiberpaket", "2000/11", "Treiber", "CD/DVD"},
    {"Übersicht", "2002/06", "Video", "\\N"},
    {"Karten", "1999/03", "Mods", "CD"},
    {"Sonstwas", "2002/01", "Bildschirmschoner", "CD"},
};
const Rows kTips = {
    {"Über Land", "2001/05", "Lösung", "12"}, {"Alpha", "2002/06", "Cheat", "3"},
    {"Öl", "2000/11", "Kurztipp", "\\N"},     {"Zebra", "1999/03", "Taktik", "40"},
    {"Beta", "2001/05", "Lösung", "7"},       {"Mitte", "2002/01", "Sonstiges", "1"},
};

const Rows& rowsOf(Schema schema) {
    return schema == Schema::Games ? kGames : schema == Schema::Disc ? kDisc : kTips;
}

constexpr Schema kSchemas[] = {Schema::Games, Schema::Disc, Schema::Tips};

enum class Store { Paradox, Sqlite };

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArrayLiteral("<missing>");
}

// Bytes as text: printable ASCII as it is, tab and carriage return as \t and \r, every other
// byte as \xhh.
QString escaped(const QByteArray& bytes) {
    QString out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '\t')
            out += QStringLiteral("\\t");
        else if (b == '\r')
            out += QStringLiteral("\\r");
        else if (b >= 0x20 && b < 0x7f && b != '\\')
            out += QLatin1Char(c);
        else
            out += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
    }
    return out;
}

// Field names and declared types of a table file's table, "NAME TYPE" each.
QStringList columnsOf(const QString& path, const QString& table) {
    QStringList out;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        const QByteArray sql = QStringLiteral("PRAGMA table_info(\"%1\")").arg(table).toUtf8();
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK)
            while (sqlite3_step(st) == SQLITE_ROW)
                out << QString::fromUtf8(
                           reinterpret_cast<const char*>(sqlite3_column_text(st, 1))) +
                           u' ' +
                           QString::fromUtf8(
                               reinterpret_cast<const char*>(sqlite3_column_text(st, 2)));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return out;
}

// The rows of the main window's view query, in result order.
QStringList queryRows() {
    QStringList out;
    Query& q = Form1->Query1;
    for (q.first(); !q.eof(); q.next()) {
        QStringList fields;
        for (int f = 0; f < q.fieldCount(); ++f)
            fields << q.fieldText(f);
        out << fields.join(u'|');
    }
    return out;
}

QString pictureHash(QWidget* w) {
    const QImage image = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    return QString::fromLatin1(
        QCryptographicHash::hash(QByteArrayView(image.constBits(), image.sizeInBytes()),
                                 QCryptographicHash::Sha1)
            .toHex());
}

// Every figure a statistics window shows: its grid, its captions, and its picture.
QStringList statisticsTexts(TStatForm* form) {
    QStringList out;
    for (int r = 0; r < form->StringGrid1->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < form->StringGrid1->columnCount(); ++c) {
            const QTableWidgetItem* item = form->StringGrid1->item(r, c);
            cells << (item ? item->text() : QStringLiteral("<none>"));
        }
        out << cells.join(u';');
    }
    for (const CaptionLabel* label : form->findChildren<CaptionLabel*>())
        out << label->objectName() + u'=' + label->text();
    for (const VerticalCaption* caption : form->findChildren<VerticalCaption*>())
        out << caption->objectName() + u'=' + caption->text();
    out << QStringLiteral("picture ") + pictureHash(form);
    return out;
}

// Chooses a list item as a user's pick does.
void pick(QComboBox* box, const QString& item) {
    const int index = box->findText(item);
    QVERIFY2(index >= 0, qPrintable(item));
    box->setCurrentIndex(index);
    emit box->activated(index);
}

using Scenario = std::function<QStringList()>;

// The user's steps of each comparison and what the program shows after them.
QStringList sortSteps(int view, const QList<int>& clicks) {
    UserSteps::showView(view);
    QStringList out;
    for (int column : clicks) {
        Form1->DBGrid1TitleClick(column);
        out << QStringLiteral("-- after a click on %1: %2%3")
                   .arg(Form1->DataSource1->heading(column), State().SortField,
                        State().SortDirection);
        out << queryRows();
    }
    return out;
}

QStringList searchSteps(int view, const QString& title, const QString& rating,
                        const QString& category) {
    UserSteps::showView(view);
    QTest::mouseClick(Form1->Image6, Qt::LeftButton);
    if (!rating.isEmpty())
        pick(SuchPage->ComboBox1, rating);
    if (!category.isEmpty())
        pick(SuchPage->ComboBox2, category);
    if (!title.isEmpty())
        SuchPage->Edit1->setText(title);
    // The statement, without the folder that differs from run to run.
    QStringList out{
        Form1->Query1.sql().join(u' ').replace(State().DataDir, QStringLiteral("DATA"))};
    out << queryRows();
    return out;
}

QStringList statisticsSteps(int view, const QString& category) {
    UserSteps::showView(view);
    if (!category.isEmpty()) {
        QTest::mouseClick(Form1->Image6, Qt::LeftButton);
        pick(SuchPage->ComboBox2, category);
    }
    TStatForm* forms[] = {Form3, Form5, Form6};
    TStatForm* form = forms[view];
    QTest::mouseClick(Form1->Image7, Qt::LeftButton);
    if (!form->isVisible())
        return {QStringLiteral("statistics window not shown")};
    form->FormShow();
    return statisticsTexts(form);
}

} // namespace

class TestParadox : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void sameAsSqlite_data();
    void sameAsSqlite();
    void codePagesDecoded_data();
    void codePagesDecoded();
    void numberFieldsReadAsNumbers_data();
    void numberFieldsReadAsNumbers();
    void fractionsStayFractions();
    void damagedTableIsAnError_data();
    void damagedTableIsAnError();
    void readingLeavesTheTablesAndConvertsOnce();
    void changedTableIsReadAnew();
    void editsRefusedWithAPointerToTheConverter();

    void converterRoundTrip();
    void converterCopiesSqliteAndMatchesAnyCase();
    void converterFailures_data();
    void converterFailures();

private:
    void writeData(const QString& dir, Store store, int codePage = 1252,
                   ParadoxFixture::NumberType numbers = ParadoxFixture::NumberType::Short);
    QStringList observe(Store store, const Scenario& steps,
                        ParadoxFixture::NumberType numbers = ParadoxFixture::NumberType::Short);
    QString cacheDir() const { return m_cache.path() + QStringLiteral("/vantora-paradox"); }
    QStringList cachedCopies() const {
        return QDir(cacheDir()).entryList({QStringLiteral("*.sqlite")}, QDir::Files);
    }
    int runConverter(const QStringList& arguments, QString* out = nullptr, QString* err = nullptr);

    QTemporaryDir m_cache;
    AppFixture* m_app = nullptr;
};

void TestParadox::initTestCase() {
    QVERIFY(m_cache.isValid());
    // The copies go to a cache folder of this run, not the user's.
    qputenv("XDG_CACHE_HOME", m_cache.path().toUtf8());
}

void TestParadox::cleanup() {
    if (Form2)
        Form2->hide();
    delete m_app;
    m_app = nullptr;
}

void TestParadox::writeData(const QString& dir, Store store, int codePage,
                            ParadoxFixture::NumberType numbers) {
    QDir().mkpath(dir);
    for (Schema schema : kSchemas) {
        const QString path = dir + u'/' + ParadoxFixture::fileName(schema);
        if (store == Store::Paradox) {
            const QString error =
                ParadoxFixture::writeTable(path, schema, rowsOf(schema), codePage, numbers);
            QVERIFY2(error.isEmpty(), qPrintable(error));
            QVERIFY(!fileBytes(path).startsWith("SQLite format 3"));
        } else {
            TestSupport::makeTable(path, ParadoxFixture::tableName(schema),
                                   ParadoxFixture::sqliteSchema(schema), rowsOf(schema));
        }
    }
}

// Starts the program on the data in one form, runs the steps, and ends the program.
QStringList TestParadox::observe(Store store, const Scenario& steps,
                                 ParadoxFixture::NumberType numbers) {
    delete m_app;
    m_app = new AppFixture;
    writeData(m_app->dataDir(), store, 1252, numbers);
    if (QTest::currentTestFailed())
        return {};
    if (m_app->start() != StartupOutcome::Running)
        return {QStringLiteral("program did not start")};
    QStringList seen = steps();
    seen << m_app->boxes;
    delete m_app;
    m_app = nullptr;
    return seen;
}

void TestParadox::sameAsSqlite_data() {
    QTest::addColumn<Scenario>("steps");
    QTest::addColumn<QStringList>("mustShow");

    QTest::newRow("games rows")
        << Scenario([] {
               UserSteps::showView(0);
               return queryRows() << QStringLiteral("grid ") + pictureHash(Form1->DBGrid1);
           })
        << QStringList{"Zebra|Sport|Sportspiel|Zoo|0|1999/03|",
                       "über alles|Strategie|Echtzeit-Strategie|Studio Ä||2000/11|"};
    QTest::newRow("disc rows") << Scenario([] {
        UserSteps::showView(1);
        return queryRows();
    }) << QStringList{"Übersicht|2002/06|Video|"};
    QTest::newRow("tips rows") << Scenario([] {
        UserSteps::showView(2);
        return queryRows();
    }) << QStringList{"Öl|2000/11|Kurztipp|"};

    QTest::newRow("games by rating, both ways") << Scenario([] {
        return sortSteps(0, {4, 4});
    }) << QStringList{"-- after a click on Wert.: WERTUNG DESC"};
    QTest::newRow("games by issue, then publisher") << Scenario([] {
        return sortSteps(0, {5, 5, 3});
    }) << QStringList{"-- after a click on Ausgabe: AUSGABE DESC"};
    QTest::newRow("games by rubric and genre") << Scenario([] {
        return sortSteps(0, {1, 2, 2});
    }) << QStringList{};
    QTest::newRow("disc by category and medium") << Scenario([] {
        return sortSteps(1, {2, 3, 3});
    }) << QStringList{};
    QTest::newRow("tips by counter, both ways") << Scenario([] {
        return sortSteps(2, {3, 3, 0});
    }) << QStringList{};

    QTest::newRow("title with an umlaut")
        << Scenario([] { return searchSteps(0, QStringLiteral("Ü"), {}, {}); })
        << QStringList{"Über Land|Action|Rennspiel|Kalmor|85|2001/05|schön schnell",
                       "über alles|Strategie|Echtzeit-Strategie|Studio Ä||2000/11|"};
    QTest::newRow("rating and rubric") << Scenario([] {
        return searchSteps(0, {}, QStringLiteral("70"), QStringLiteral("Sport"));
    }) << QStringList{"Alpha|Sport|Sportspiel|Zoo|70|1999/03|zweiter Test"};
    QTest::newRow("tip kind with an umlaut")
        << Scenario([] { return searchSteps(2, {}, {}, QStringLiteral("Lösung")); })
        << QStringList{"Beta|2001/05|Lösung|7"};
    QTest::newRow("disc title and category")
        << Scenario([] { return searchSteps(1, QStringLiteral("Ä"), {}, QStringLiteral("Patch")); })
        << QStringList{"Patch für Ärger|2001/05|Patch|DVD"};

    QTest::newRow("games statistics") << Scenario([] { return statisticsSteps(0, {}); })
                                      << QStringList{"Label4=Auswahl: 9 Spiele"};
    QTest::newRow("games statistics of a rubric")
        << Scenario([] { return statisticsSteps(0, QStringLiteral("Action")); })
        << QStringList{"Label4=Auswahl: 2 Spiele"};
    QTest::newRow("disc statistics") << Scenario([] { return statisticsSteps(1, {}); })
                                     << QStringList{"Label4=Auswahl: 6 Files", " > Sonstiges; 1"};
    QTest::newRow("tips statistics") << Scenario([] { return statisticsSteps(2, {}); })
                                     << QStringList{" > Lösung; 2", " > Sonstige; 1"};

    // The export's first line, in the file's Windows-1252 bytes.
    const QString firstLines[] = {
        QStringLiteral(
            "\\xdcber Land\\tAction\\tRennspiel\\tKalmor\\t85\\t2001/05\\tsch\\xf6n schnell"),
        QStringLiteral("V\\xf6lkerball\\t2001/05\\tDemo\\tCD"),
        QStringLiteral("\\xdcber Land\\t2001/05\\tL\\xf6sung\\t12")};
    for (int view = 0; view < 3; ++view) {
        const QString file =
            QFileInfo(ParadoxFixture::fileName(kSchemas[view])).completeBaseName() +
            QStringLiteral(".db.txt");
        QTest::addRow("export of %s", qPrintable(file)) << Scenario([view, file] {
            UserSteps::showView(view);
            UserSteps::switchEditMode();
            Form2->Button2Click();
            QStringList out{QStringLiteral("edit mode %1").arg(State().EditMode)};
            for (const QByteArray& line : fileBytes(State().DataDir + u'/' + file).split('\n'))
                out << escaped(line);
            return out;
        }) << QStringList{QStringLiteral("edit mode 1"), firstLines[view] + QStringLiteral("\\r")};
    }
}

void TestParadox::sameAsSqlite() {
    QFETCH(Scenario, steps);
    QFETCH(QStringList, mustShow);
    const QStringList fromParadox = observe(Store::Paradox, steps);
    const QStringList fromSqlite = observe(Store::Sqlite, steps);
    QCOMPARE(fromParadox, fromSqlite);
    QVERIFY(fromParadox.size() > 1);
    for (const QString& line : mustShow)
        QVERIFY2(fromParadox.contains(line), qPrintable(line));
}

void TestParadox::codePagesDecoded_data() {
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QByteArray>("storedTitle");
    QTest::newRow("Windows-1252") << 1252 << QByteArray("\xc4rger im B\xfcro");
    QTest::newRow("DOS 850") << 850 << QByteArray("\x8erger im B\x81ro");
    QTest::newRow("DOS 437") << 437 << QByteArray("\x8erger im B\x81ro");
}

void TestParadox::codePagesDecoded() {
    QFETCH(int, codePage);
    QFETCH(QByteArray, storedTitle);
    m_app = new AppFixture;
    const Rows games = {
        {"Ärger im Büro", "Action", "Größe", "Straße", "\\N", "2001/05", "ä ö ü ß Ä"}};
    const QString path = m_app->dataDir() + QStringLiteral("/GameData.DB");
    writeData(m_app->dataDir(), Store::Paradox, codePage);
    const QString error = ParadoxFixture::writeTable(path, Schema::Games, games, codePage);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    // The texts are stored in the code page's own bytes.
    QVERIFY(fileBytes(path).contains(storedTitle));
    QCOMPARE(m_app->start(), StartupOutcome::Running);
    QCOMPARE(queryRows(),
             joined({{"Ärger im Büro", "Action", "Größe", "Straße", "", "2001/05", "ä ö ü ß Ä"}}));
    UserSteps::showView(2);
    QVERIFY(queryRows().contains(QStringLiteral("Beta|2001/05|Lösung|7")));
    QCOMPARE(m_app->boxes, QStringList());
}

void TestParadox::numberFieldsReadAsNumbers_data() {
    QTest::addColumn<ParadoxFixture::NumberType>("numbers");
    QTest::newRow("long integers") << ParadoxFixture::NumberType::Long;
    QTest::newRow("Paradox numbers") << ParadoxFixture::NumberType::Number;
}

// Ratings and counters kept in wider number fields read, sort, count and export as the
// whole numbers they are.
void TestParadox::numberFieldsReadAsNumbers() {
    QFETCH(ParadoxFixture::NumberType, numbers);
    const Scenario steps = [] {
        QStringList out = sortSteps(0, {4}) << sortSteps(2, {3});
        out << statisticsSteps(0, {});
        Form3->hide();
        UserSteps::switchEditMode();
        Form2->Button2Click();
        out << escaped(fileBytes(State().DataDir + QStringLiteral("/TipsData.db.txt")));
        return out;
    };
    const QStringList fromParadox = observe(Store::Paradox, steps, numbers);
    QCOMPARE(fromParadox, observe(Store::Sqlite, steps));
    QVERIFY(fromParadox.contains(
        QStringLiteral("Über Land|Action|Rennspiel|Kalmor|85|2001/05|schön schnell")));
    QVERIFY(fromParadox.contains(QStringLiteral("Zebra|1999/03|Taktik|40")));
}

void TestParadox::fractionsStayFractions() {
    QTemporaryDir work;
    const QString path = work.filePath(QStringLiteral("TipsData.DB"));
    QVERIFY(ParadoxFixture::writeTable(path, Schema::Tips,
                                       {{"A", "2001/05", "Cheat", "2.5"},
                                        {"B", "2001/06", "Cheat", "\\N"},
                                        {"C", "2001/07", "Cheat", "7"}},
                                       1252, ParadoxFixture::NumberType::Number)
                .isEmpty());
    const QString copy = work.filePath(QStringLiteral("copy.DB"));
    QCOMPARE(ParadoxReader::convertToSqlite(path, copy, QStringLiteral("TipsData")), 3L);
    QCOMPARE(TestSupport::readTable(copy, QStringLiteral("TipsData")),
             (QStringList{"A|2001/05|Cheat|2.5", "B|2001/06|Cheat|\\N", "C|2001/07|Cheat|7.0"}));
    QCOMPARE(columnsOf(copy, QStringLiteral("TipsData")).constLast(),
             QStringLiteral("COUNTER REAL"));
}

void TestParadox::damagedTableIsAnError_data() {
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    // The first data block follows the 2048-byte header; its first word links the next one.
    QTest::newRow("a block linking itself")
        << 0x800 << QByteArray("\x01\x00", 2) << "die Kette der Datenblöcke ist unterbrochen";
    QTest::newRow("a password") << 0x5C << QByteArray("\x12\x34\x56\x78")
                                << "die Tabelle ist kennwortgeschützt";
    // The key field of the older header layout; pxlib decrypted with it and never returned.
    QTest::newRow("a key in the older header field")
        << 0x25 << QByteArray("\x00\xff\x00\x36", 4) << "die Tabelle ist kennwortgeschützt";
    // A version 3.5 table has no header extension to hold the key that FF00FF00 points to.
    QTest::newRow("version 3.5 pointing to an extension key")
        << 0x39 << QByteArray("\x04") << "die Tabelle ist kennwortgeschützt";
    // pxlib copies a number field into a variable of the number's size.
    QTest::newRow("a short integer field 80 bytes long")
        << 0x81 << QByteArray("\x50") << "Feld 5 hat nicht die Länge seines Typs";
    QTest::newRow("cut short") << -1 << QByteArray() << "die Datei ist kürzer als ihre Blöcke";
    QTest::newRow("fields beyond the record")
        << 0x79 << QByteArray("\xff") << "die Felder ergeben nicht die Satzgröße";
}

// A damaged table ends the operation with the engine's message, like a damaged SQLite file;
// it neither hangs the program nor shows made-up rows.
void TestParadox::damagedTableIsAnError() {
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    m_app = new AppFixture;
    writeData(m_app->dataDir(), Store::Paradox);
    QFile file(m_app->dataDir() + QStringLiteral("/GameData.DB"));
    QVERIFY(file.open(QIODevice::ReadWrite));
    if (offset < 0) {
        QVERIFY(file.resize(0x1000));
    } else {
        QVERIFY(file.seek(offset));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    file.close();
    QVERIFY(ParadoxReader::looksLikeParadox(file.fileName()));
    m_app->start();
    const QString boxes = m_app->boxes.join(u'\n');
    QVERIFY2(boxes.contains(QStringLiteral("kann nicht gelesen werden: ") + reason),
             qPrintable(boxes));
    QCOMPARE(QDir(cacheDir()).entryList({QStringLiteral("*.part")}, QDir::Files), QStringList());
}

void TestParadox::readingLeavesTheTablesAndConvertsOnce() {
    m_app = new AppFixture;
    writeData(m_app->dataDir(), Store::Paradox);
    QDir data(m_app->dataDir());
    QMap<QString, QByteArray> before;
    for (Schema schema : kSchemas)
        before[ParadoxFixture::fileName(schema)] =
            fileBytes(data.filePath(ParadoxFixture::fileName(schema)));
    const QStringList cachedBefore = cachedCopies();

    QCOMPARE(m_app->start(), StartupOutcome::Running);
    QTest::mouseClick(Form1->Image7, Qt::LeftButton);
    searchSteps(0, QStringLiteral("A"), QStringLiteral("50"), {});
    QStringList made = cachedCopies();
    for (const QString& old : cachedBefore)
        made.removeAll(old);
    QCOMPARE(made.size(), 3);
    m_app->stop();

    // Opened again, the program reads the copies it made.
    QMap<QString, QDateTime> times;
    for (const QString& copy : made)
        times[copy] = QFileInfo(cacheDir() + u'/' + copy).lastModified();
    QCOMPARE(m_app->start(), StartupOutcome::Running);
    QCOMPARE(Form1->Query1.recordCount(), kGames.size());
    for (const QString& copy : made)
        QCOMPARE(QFileInfo(cacheDir() + u'/' + copy).lastModified(), times[copy]);
    m_app->stop();

    // Nothing beside the tables and nothing in them changed.
    QStringList expected = before.keys();
    expected.sort(Qt::CaseInsensitive);
    QCOMPARE(data.entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase), expected);
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QVERIFY2(fileBytes(data.filePath(it.key())) == it.value(), qPrintable(it.key()));
    QCOMPARE(m_app->boxes, QStringList());
}

void TestParadox::changedTableIsReadAnew() {
    m_app = new AppFixture;
    writeData(m_app->dataDir(), Store::Paradox);
    QCOMPARE(m_app->start(), StartupOutcome::Running);
    QCOMPARE(Form1->Query1.recordCount(), kGames.size());
    m_app->stop();

    const Rows replaced = {{"Neu", "Action", "Rennspiel", "Kalmor", "60", "2002/06", "\\N"}};
    const QString error = ParadoxFixture::writeTable(
        m_app->dataDir() + QStringLiteral("/GameData.DB"), Schema::Games, replaced);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(m_app->start(), StartupOutcome::Running);
    QCOMPARE(queryRows(), QStringList{QStringLiteral("Neu|Action|Rennspiel|Kalmor|60|2002/06|")});
}

void TestParadox::editsRefusedWithAPointerToTheConverter() {
    m_app = new AppFixture;
    writeData(m_app->dataDir(), Store::Paradox);
    const QString path = m_app->dataDir() + QStringLiteral("/GameData.DB");
    const QByteArray before = fileBytes(path);
    QCOMPARE(m_app->start(), StartupOutcome::Running);
    UserSteps::switchEditMode();
    QCOMPARE(State().EditMode, 1);
    QVERIFY(Form1->Table1.isOpen());
    QCOMPARE(Form1->DataSource1->rowCount(), kGames.size());

    const std::function<void()> edits[] = {
        [] { Form1->Table1.setFieldText(0, QStringLiteral("Geändert")); },
        [] { Form1->Table1.append(); },
        [] { Form1->Table1.deleteCurrent(); },
    };
    for (const auto& edit : edits) {
        try {
            edit();
            QFAIL("an edit of a Paradox table was accepted");
        } catch (const EngineError& e) {
            QVERIFY2(e.message().contains(QLatin1String("vantora-convert")),
                     qPrintable(e.message()));
        }
    }
    QCOMPARE(Form1->Table1.fieldText(0), QStringLiteral("Über Land"));

    // Typed into the grid, an edit ends in the error box with the same message.
    const QRect cell = Form1->DBGrid1->visualRect(Form1->DataSource1->index(0, 1));
    QTest::mouseClick(Form1->DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::keyClicks(Form1->DBGrid1, QStringLiteral("x"));
    if (QWidget* editor = Form1->DBGrid1->openEditor())
        QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClick(Form1->DBGrid1, Qt::Key_Down);
    QVERIFY(!m_app->boxes.isEmpty());
    for (const QString& box : std::as_const(m_app->boxes))
        QVERIFY2(box.startsWith(QLatin1String("error: ")) &&
                     box.contains(QLatin1String("vantora-convert")),
                 qPrintable(box));
    QCOMPARE(Form1->Table1.value(0, 1), QStringLiteral("Action"));
    UserSteps::switchEditMode();
    QCOMPARE(State().EditMode, 0);
    QCOMPARE(Form1->DataSource1->rowCount(), kGames.size());
    m_app->stop();
    QVERIFY(fileBytes(path) == before);
}

int TestParadox::runConverter(const QStringList& arguments, QString* out, QString* err) {
    QProcess p;
    p.start(QStringLiteral(VANTORA_CONVERT_PATH), arguments);
    if (!p.waitForFinished(120000))
        return -1;
    if (out)
        *out = QString::fromUtf8(p.readAllStandardOutput());
    if (err)
        *err = QString::fromLocal8Bit(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

void TestParadox::converterRoundTrip() {
    QTemporaryDir work;
    const QString in = work.filePath(QStringLiteral("paradox"));
    const QString out = work.filePath(QStringLiteral("converted"));
    const QString reference = work.filePath(QStringLiteral("sqlite"));
    writeData(in, Store::Paradox, 850);
    writeData(reference, Store::Sqlite);
    const QByteArray gamesBefore = fileBytes(in + QStringLiteral("/GameData.DB"));

    QString printed;
    QCOMPARE(runConverter({QStringLiteral("--in"), in, QStringLiteral("--out"), out}, &printed), 0);
    QCOMPARE(printed, QStringLiteral("GameData.DB: 9 Datensätze\nCDData.DB: 6 Datensätze\n"
                                     "TipsData.DB: 6 Datensätze\n"));
    QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot),
             (QStringList{"CDData.DB", "GameData.DB", "TipsData.DB"}));
    for (Schema schema : kSchemas) {
        const QString name = ParadoxFixture::fileName(schema);
        const QString table = ParadoxFixture::tableName(schema);
        QVERIFY(fileBytes(out + u'/' + name).startsWith("SQLite format 3"));
        QCOMPARE(TestSupport::readTable(out + u'/' + name, table),
                 TestSupport::readTable(reference + u'/' + name, table));
        QCOMPARE(columnsOf(out + u'/' + name, table), columnsOf(reference + u'/' + name, table));
    }
    QCOMPARE(columnsOf(out + QStringLiteral("/GameData.DB"), QStringLiteral("GameData")),
             TestSupport::kGamesSchema.split(QStringLiteral(", ")));
    QVERIFY(fileBytes(in + QStringLiteral("/GameData.DB")) == gamesBefore);

    // The converted tables take edits.
    m_app = new AppFixture;
    for (Schema schema : kSchemas)
        QVERIFY(QFile::copy(out + u'/' + ParadoxFixture::fileName(schema),
                            m_app->dataDir() + u'/' + ParadoxFixture::fileName(schema)));
    QCOMPARE(m_app->start(), StartupOutcome::Running);
    UserSteps::switchEditMode();
    Form1->Table1.setFieldText(0, QStringLiteral("Geändert"));
    Form1->Table1.post();
    QCOMPARE(TestSupport::readTable(m_app->dataDir() + QStringLiteral("/GameData.DB"),
                                    QStringLiteral("GameData"))
                 .constFirst(),
             QStringLiteral("Geändert|Action|Rennspiel|Kalmor|85|2001/05|schön schnell"));
}

void TestParadox::converterCopiesSqliteAndMatchesAnyCase() {
    QTemporaryDir work;
    const QString in = work.filePath(QStringLiteral("in"));
    const QString out = work.filePath(QStringLiteral("out"));
    QDir().mkpath(in);
    QVERIFY(ParadoxFixture::writeTable(in + QStringLiteral("/gamedata.db"), Schema::Games, kGames)
                .isEmpty());
    TestSupport::makeTable(in + QStringLiteral("/CDDATA.DB"), QStringLiteral("CDData"),
                           ParadoxFixture::sqliteSchema(Schema::Disc), kDisc);
    QVERIFY(
        ParadoxFixture::writeTable(in + QStringLiteral("/TipsData.db"), Schema::Tips, kTips, 437)
            .isEmpty());
    // An older output under another spelling gives way to the new one.
    QDir().mkpath(out);
    TestSupport::makeTable(out + QStringLiteral("/gamedata.DB"), QStringLiteral("GameData"),
                           ParadoxFixture::sqliteSchema(Schema::Games), {});

    QString printed;
    QCOMPARE(runConverter({QStringLiteral("--in"), in, QStringLiteral("--out"), out}, &printed), 0);
    QCOMPARE(printed, QStringLiteral("GameData.DB: 9 Datensätze\n"
                                     "CDData.DB: 6 Datensätze (SQLite-Datei, unverändert kopiert)\n"
                                     "TipsData.DB: 6 Datensätze\n"));
    QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot),
             (QStringList{"CDData.DB", "GameData.DB", "TipsData.DB"}));
    QVERIFY(fileBytes(out + QStringLiteral("/CDData.DB")) ==
            fileBytes(in + QStringLiteral("/CDDATA.DB")));
    QCOMPARE(
        TestSupport::readTable(out + QStringLiteral("/TipsData.DB"), QStringLiteral("TipsData")),
        joined(kTips));
}

void TestParadox::converterFailures_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("written");
    QTest::newRow("output folder is the input")
        << "same"
        << "the output folder is the input folder" << QStringList{};
    QTest::newRow("a table missing")
        << "missing"
        << "TipsData.DB not found" << QStringList{"CDData.DB", "GameData.DB"};
    QTest::newRow("not a table file")
        << "garbage"
        << "CDData.DB not converted" << QStringList{"GameData.DB", "TipsData.DB"};
    QTest::newRow("a field missing")
        << "fields"
        << "hat kein Feld Rubrik" << QStringList{"CDData.DB", "TipsData.DB"};
    QTest::newRow("no such input folder") << "nofolder"
                                          << "no such folder" << QStringList{};
}

void TestParadox::converterFailures() {
    QFETCH(QString, setup);
    QFETCH(QString, message);
    QFETCH(QStringList, written);
    QTemporaryDir work;
    QString in = work.filePath(QStringLiteral("in"));
    QString out = work.filePath(QStringLiteral("out"));
    writeData(in, Store::Paradox);
    if (setup == QLatin1String("same"))
        out = in + QStringLiteral("/.");
    if (setup == QLatin1String("missing"))
        QVERIFY(QFile::remove(in + QStringLiteral("/TipsData.DB")));
    if (setup == QLatin1String("garbage")) {
        QFile f(in + QStringLiteral("/CDData.DB"));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(4096, 'x'));
    }
    if (setup == QLatin1String("fields"))
        QVERIFY(ParadoxFixture::writeTable(in + QStringLiteral("/GameData.DB"), Schema::Disc, kDisc)
                    .isEmpty());
    if (setup == QLatin1String("nofolder"))
        in = work.filePath(QStringLiteral("nowhere"));
    QMap<QString, QByteArray> before;
    for (const QString& name : QDir(in).entryList(QDir::Files))
        before[name] = fileBytes(in + u'/' + name);

    QString printed, complaint;
    QCOMPARE(runConverter({QStringLiteral("--in"), in, QStringLiteral("--out"), out}, &printed,
                          &complaint),
             1);
    QVERIFY2(complaint.contains(message, Qt::CaseInsensitive), qPrintable(complaint));
    if (setup != QLatin1String("same"))
        QCOMPARE(
            QDir(out).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot),
            written);
    QCOMPARE(printed.count(QStringLiteral(" Datensätze")), written.size());
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QVERIFY2(fileBytes(in + u'/' + it.key()) == it.value(), qPrintable(it.key()));
    QCOMPARE(QDir(in).entryList(QDir::Files), before.keys());
}

QTEST_MAIN(TestParadox)
#include "test_paradox.moc"
