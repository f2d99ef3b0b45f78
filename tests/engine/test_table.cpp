#include "EngineError.h"
#include "EngineFixture.h"
#include "RecordConflict.h"
#include "Table.h"
#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sqlite3.h>

namespace {

const QStringList kStored{"Alpha|2001/05|Cheat|5", "Beta|2001/06|Taktik|\\N",
                          "Gamma|2001/07|Lösung|12"};

enum class Move { Next, MoveTo, ToEnd, Close };

enum class Action { Post, Delete, DeleteShown };

// Runs statements through a connection of its own, as another program would.
void otherProgramRuns(const QString& file, const QString& sql) {
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(rc, SQLITE_OK);
}

} // namespace

Q_DECLARE_METATYPE(Move)
Q_DECLARE_METATYPE(Action)
Q_DECLARE_METATYPE(RecordConflict::Kind)

class TableTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensTheFileWhateverItsLetterCase();
    void settingsRefusedWhileOpen();
    void openFailuresAreEngineErrors();
    void readOnlyTableRefusesChanges();

    void movingPostsAChangedRecord_data();
    void movingPostsAChangedRecord();
    void movingDropsAnUnchangedRecord();
    void settingTheSameTextIsNoChange();
    void valueShowsThePendingRecord();
    void cancelDiscardsTheChange();
    void appendedRecordGoesToTheEnd();
    void cancelDropsAnAppendedRecord();
    void droppedInsertKeepsTheRowMovedTo();
    void insertPutsTheRecordAtTheCurrentRow();
    void insertWhileEditingPostsTheEditFirst();
    void insertTwiceMakesOneNewRecord();
    void deleteRemovesTheCurrentRecord();
    void deleteDropsAnUnpostedRecord();

    void integerFieldTexts_data();
    void integerFieldTexts();
    void integerFieldRefusesText_data();
    void integerFieldRefusesText();
    void postedRecordsSurviveAReopen();

    void anotherProgramsWriteIsNeverUndone_data();
    void anotherProgramsWriteIsNeverUndone();
    void fileDamagedSinceItsCheckOpensReadOnly();
    void deleteOfARecordDeletedElsewhereDropsIt();

private:
    QString file() const { return m_dir->path() + QStringLiteral("/TipsData.DB"); }
    QStringList stored() const {
        return TestSupport::readTable(file(), QStringLiteral("TipsData"));
    }
    QString title() const { return t->fieldByName(QStringLiteral("TITEL")); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Table> t;
};

void TableTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    TestSupport::makeTable(file(), QStringLiteral("TipsData"), TestSupport::kTipsSchema,
                           {{"Alpha", "2001/05", "Cheat", "5"},
                            {"Beta", "2001/06", "Taktik", "\\N"},
                            {"Gamma", "2001/07", "Lösung", "12"}});
    QCOMPARE(stored(), kStored);
    t = std::make_unique<Table>();
    t->setDatabaseName(m_dir->path());
    t->setTableName(QStringLiteral("TipsData.db"));
    t->setReadOnly(false);
    t->open();
    QCOMPARE(t->recordCount(), 3);
}

void TableTest::cleanup() {
    if (t) {
        try {
            t->cancel();
            t->close();
        } catch (const EngineError&) {
        }
    }
    t.reset();
    m_dir.reset();
}

void TableTest::opensTheFileWhateverItsLetterCase() {
    // The program asks for "TipsData.db"; the folder holds "TipsData.DB".
    QVERIFY(t->isOpen());
    QCOMPARE(t->state(), Table::State::Browse);
    QCOMPARE(t->fieldNames(), (QStringList{"TITEL", "Ausgabe", "Art", "COUNTER"}));
    QCOMPARE(t->fieldIndex(QStringLiteral("ausgabe")), 1);
    QVERIFY(t->isIntegerField(3));
    QVERIFY(!t->isIntegerField(0));
    QCOMPARE(title(), QStringLiteral("Alpha"));
    t->close();
    t->setTableName(QStringLiteral("TIPSDATA.DB"));
    t->open();
    QCOMPARE(t->recordCount(), 3);
}

void TableTest::settingsRefusedWhileOpen() {
    QVERIFY_THROWS_EXCEPTION(EngineError, t->setDatabaseName(QStringLiteral("/elsewhere")));
    QVERIFY_THROWS_EXCEPTION(EngineError, t->setTableName(QStringLiteral("CDData.db")));
    QVERIFY_THROWS_EXCEPTION(EngineError, t->setReadOnly(true));
    QCOMPARE(t->databaseName(), m_dir->path());
    QCOMPARE(t->tableName(), QStringLiteral("TipsData.db"));
    QVERIFY(!t->readOnly());
    QVERIFY(t->isOpen());

    t->close();
    t->setTableName(QStringLiteral("CDData.db"));
    QCOMPARE(t->tableName(), QStringLiteral("CDData.db"));
}

void TableTest::openFailuresAreEngineErrors() {
    t->close();
    t->setTableName(QStringLiteral("CDData.db"));
    QVERIFY_THROWS_EXCEPTION(EngineError, t->open());
    QVERIFY(!t->isOpen());

    const QString other = m_dir->path() + QStringLiteral("/GameData.db");
    TestSupport::makeTable(other, QStringLiteral("Kunden"), QStringLiteral("NAME TEXT"), {{"x"}});
    t->setTableName(QStringLiteral("GameData.db"));
    QVERIFY_THROWS_EXCEPTION(EngineError, t->open());
    QVERIFY(!t->isOpen());
    QVERIFY_THROWS_EXCEPTION(EngineError, t->edit());
}

void TableTest::readOnlyTableRefusesChanges() {
    t->close();
    t->setReadOnly(true);
    t->open();
    t->moveTo(1);
    QVERIFY_THROWS_EXCEPTION(EngineError, t->setFieldText(0, QStringLiteral("X")));
    QVERIFY_THROWS_EXCEPTION(EngineError, t->append());
    QVERIFY_THROWS_EXCEPTION(EngineError, t->insert());
    QCOMPARE(t->recNo(), 1); // a refused append moves nowhere
    QVERIFY_THROWS_EXCEPTION(EngineError, t->deleteCurrent());
    QCOMPARE(t->state(), Table::State::Browse);
    QCOMPARE(t->recordCount(), 3);
    QCOMPARE(stored(), kStored);
}

void TableTest::movingPostsAChangedRecord_data() {
    QTest::addColumn<Move>("move");
    QTest::newRow("next") << Move::Next;
    QTest::newRow("to another row") << Move::MoveTo;
    QTest::newRow("past the last row") << Move::ToEnd;
    QTest::newRow("close") << Move::Close;
}

void TableTest::movingPostsAChangedRecord() {
    QFETCH(Move, move);
    t->setFieldByName(QStringLiteral("ART"), QStringLiteral("Kurztipp"));
    QCOMPARE(t->state(), Table::State::Edit);
    QVERIFY(t->isModified());
    QCOMPARE(stored(), kStored); // nothing written before the post
    switch (move) {
    case Move::Next:
        t->next();
        QCOMPARE(t->recNo(), 1);
        break;
    case Move::MoveTo:
        t->moveTo(2);
        QCOMPARE(title(), QStringLiteral("Gamma"));
        break;
    case Move::ToEnd:
        t->moveTo(t->recordCount());
        QVERIFY(t->eof());
        break;
    case Move::Close:
        t->close();
        break;
    }
    QVERIFY(t->state() == Table::State::Browse || t->state() == Table::State::Inactive);
    QVERIFY(!t->isModified());
    // Read back through a connection of its own: the record is on disk.
    QCOMPARE(stored(), (QStringList{"Alpha|2001/05|Kurztipp|5", kStored[1], kStored[2]}));
}

void TableTest::movingDropsAnUnchangedRecord() {
    t->moveTo(1);
    t->edit();
    QCOMPARE(t->state(), Table::State::Edit);
    t->next();
    QCOMPARE(t->state(), Table::State::Browse);

    t->append();
    QCOMPARE(t->state(), Table::State::Insert);
    QCOMPARE(t->recordCount(), 4);
    t->first();
    QCOMPARE(t->recordCount(), 3);
    QCOMPARE(t->state(), Table::State::Browse);
    QCOMPARE(title(), QStringLiteral("Alpha"));
    QCOMPARE(stored(), kStored);
}

void TableTest::settingTheSameTextIsNoChange() {
    t->setFieldByName(QStringLiteral("Art"), QStringLiteral("Cheat"));
    QCOMPARE(t->state(), Table::State::Edit);
    QVERIFY(!t->isModified());
    t->setFieldByName(QStringLiteral("Art"), QStringLiteral("Taktik"));
    QVERIFY(t->isModified());
}

void TableTest::valueShowsThePendingRecord() {
    t->setFieldText(2, QStringLiteral("Taktik"));
    QCOMPARE(t->value(0, 2), QStringLiteral("Taktik"));
    QCOMPARE(t->fieldText(2), QStringLiteral("Taktik"));
    QCOMPARE(t->value(1, 2), QStringLiteral("Taktik")); // Beta's own value
    QCOMPARE(t->value(2, 2), QStringLiteral("Lösung"));
    QCOMPARE(t->value(1, 3), QString()); // NULL reads as the empty text
    QCOMPARE(t->value(7, 0), QString());
    QVERIFY_THROWS_EXCEPTION(EngineError, t->fieldByName(QStringLiteral("MEDIUM")));
    QVERIFY_THROWS_EXCEPTION(EngineError, t->setFieldByName(QStringLiteral("MEDIUM"), "CD"));
}

void TableTest::cancelDiscardsTheChange() {
    t->moveTo(2);
    t->setFieldByName(QStringLiteral("ART"), QStringLiteral("Cheat"));
    t->cancel();
    QCOMPARE(t->state(), Table::State::Browse);
    QCOMPARE(t->fieldByName(QStringLiteral("ART")), QStringLiteral("Lösung"));
    t->first();
    QCOMPARE(stored(), kStored);
}

void TableTest::appendedRecordGoesToTheEnd() {
    t->moveTo(1);
    t->append();
    QCOMPARE(t->recNo(), 3);
    t->setFieldByName(QStringLiteral("titel"), QStringLiteral("Delta"));
    t->setFieldByName(QStringLiteral("AUSGABE"), QStringLiteral("2002/01"));
    t->first();
    QCOMPARE(t->recordCount(), 4);
    QCOMPARE(t->value(3, 0), QStringLiteral("Delta"));
    // The text field left alone is empty, the integer field left alone is NULL.
    QCOMPARE(stored(), kStored + QStringList{"Delta|2002/01||\\N"});
}

void TableTest::cancelDropsAnAppendedRecord() {
    t->append();
    t->setFieldText(0, QStringLiteral("Delta"));
    t->cancel();
    QCOMPARE(t->recordCount(), 3);
    QCOMPARE(t->state(), Table::State::Browse);
    t->first();
    QCOMPARE(stored(), kStored);
}

void TableTest::droppedInsertKeepsTheRowMovedTo() {
    t->moveTo(1);
    t->insert(); // rows: Alpha, new, Beta, Gamma
    QCOMPARE(t->recordCount(), 4);
    t->moveTo(2); // to Beta
    QCOMPARE(t->recordCount(), 3);
    QCOMPARE(title(), QStringLiteral("Beta"));
    QCOMPARE(stored(), kStored);
}

void TableTest::insertPutsTheRecordAtTheCurrentRow() {
    t->moveTo(1);
    t->insert();
    QCOMPARE(t->state(), Table::State::Insert);
    QCOMPARE(t->recNo(), 1);
    QCOMPARE(t->value(1, 0), QString());
    QCOMPARE(t->value(2, 0), QStringLiteral("Beta"));
    t->setFieldText(0, QStringLiteral("Alpha II"));
    t->setFieldText(3, QStringLiteral("7"));
    t->first();
    QCOMPARE(t->recordCount(), 4);
    QStringList shown;
    for (int row = 0; row < t->recordCount(); ++row)
        shown << t->value(row, 0);
    QCOMPARE(shown, (QStringList{"Alpha", "Alpha II", "Beta", "Gamma"}));
    QVERIFY(stored().contains(QStringLiteral("Alpha II|||7")));
    QCOMPARE(stored().size(), 4);
}

void TableTest::insertWhileEditingPostsTheEditFirst() {
    t->moveTo(1);
    t->setFieldByName(QStringLiteral("ART"), QStringLiteral("Cheat"));
    t->insert();
    QCOMPARE(t->state(), Table::State::Insert);
    QCOMPARE(t->recordCount(), 4);
    QCOMPARE(t->value(2, 2), QStringLiteral("Cheat"));
    QCOMPARE(stored(), (QStringList{kStored[0], "Beta|2001/06|Cheat|\\N", kStored[2]}));
}

void TableTest::insertTwiceMakesOneNewRecord() {
    t->moveTo(1);
    t->insert();
    t->insert(); // the first new record was left unchanged: it goes
    QCOMPARE(t->recordCount(), 4);
    t->cancel();
    QCOMPARE(t->recordCount(), 3);
    QStringList shown;
    for (int row = 0; row < t->recordCount(); ++row)
        shown << t->value(row, 0);
    QCOMPARE(shown, (QStringList{"Alpha", "Beta", "Gamma"}));
}

void TableTest::deleteRemovesTheCurrentRecord() {
    t->moveTo(1);
    t->setFieldByName(QStringLiteral("ART"), QStringLiteral("Cheat")); // not posted
    t->deleteCurrent();
    QCOMPARE(t->recordCount(), 2);
    QCOMPARE(t->state(), Table::State::Browse);
    QCOMPARE(title(), QStringLiteral("Gamma"));
    QCOMPARE(stored(), (QStringList{kStored[0], kStored[2]}));
}

void TableTest::deleteDropsAnUnpostedRecord() {
    t->append();
    t->setFieldText(0, QStringLiteral("Delta"));
    t->deleteCurrent();
    QCOMPARE(t->recordCount(), 3);
    t->first();
    QCOMPARE(stored(), kStored);
}

void TableTest::integerFieldTexts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("storedAs");
    QTest::newRow("empty text is NULL") << ""
                                        << "\\N";
    QTest::newRow("blanks only are NULL") << "  "
                                          << "\\N";
    QTest::newRow("number") << "42"
                            << "42";
    QTest::newRow("blanks around") << " 42 "
                                   << "42";
    QTest::newRow("negative") << "-3"
                              << "-3";
    QTest::newRow("zero") << "0"
                          << "0";
}

void TableTest::integerFieldTexts() {
    QFETCH(QString, text);
    QFETCH(QString, storedAs);
    t->setFieldByName(QStringLiteral("COUNTER"), text);
    t->post();
    QCOMPARE(t->state(), Table::State::Browse);
    QCOMPARE(stored().value(0), QStringLiteral("Alpha|2001/05|Cheat|") + storedAs);
}

void TableTest::integerFieldRefusesText_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("letters") << "abc";
    QTest::newRow("digits and letters") << "12a";
    QTest::newRow("decimal") << "1.5";
}

void TableTest::integerFieldRefusesText() {
    QFETCH(QString, text);
    t->setFieldByName(QStringLiteral("COUNTER"), text);
    QVERIFY_THROWS_EXCEPTION(EngineError, t->post());
    QCOMPARE(t->state(), Table::State::Edit);
    QCOMPARE(t->fieldByName(QStringLiteral("COUNTER")), text);
    // Moving away posts, and is refused the same way: the record stays where it is.
    QVERIFY_THROWS_EXCEPTION(EngineError, t->next());
    QCOMPARE(t->recNo(), 0);
    QCOMPARE(t->state(), Table::State::Edit);
    QCOMPARE(stored(), kStored);
    // Corrected, it goes through.
    t->setFieldByName(QStringLiteral("COUNTER"), QStringLiteral("6"));
    t->next();
    QCOMPARE(stored().value(0), QStringLiteral("Alpha|2001/05|Cheat|6"));
}

void TableTest::postedRecordsSurviveAReopen() {
    t->moveTo(2);
    t->setFieldByName(QStringLiteral("TITEL"), QStringLiteral("Größenwahn – Teil 2"));
    t->append();
    t->setFieldByName(QStringLiteral("TITEL"), QStringLiteral("Ölpest"));
    t->setFieldByName(QStringLiteral("ART"), QStringLiteral("Lösung"));
    t->first();
    t->close();

    const QStringList expected{kStored[0], kStored[1], "Größenwahn – Teil 2|2001/07|Lösung|12",
                               "Ölpest||Lösung|\\N"};
    QCOMPARE(stored(), expected);
    t->open();
    QCOMPARE(t->recordCount(), 4);
    QCOMPARE(t->value(2, 0), QStringLiteral("Größenwahn – Teil 2"));
    QCOMPARE(t->value(3, 2), QStringLiteral("Lösung"));
}

ENGINE_TEST_MAIN(TableTest)

#include "test_table.moc"

void TableTest::anotherProgramsWriteIsNeverUndone_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("other");
    QTest::addColumn<RecordConflict::Kind>("refusal");
    QTest::addColumn<QStringList>("storedAfter");
    QTest::addColumn<int>("rowsAfterCancel");

    const auto changed = RecordConflict::Kind::Changed;
    const auto deleted = RecordConflict::Kind::Deleted;
    const QString betaCheat = QStringLiteral("Beta|2001/06|Cheat|\\N");
    QTest::newRow("edit against a change of another field")
        << 1 << Action::Post << "UPDATE TipsData SET Art='Cheat' WHERE rowid=2" << changed
        << QStringList{kStored[0], betaCheat, kStored[2]} << 3;
    QTest::newRow("edit against an empty field filled")
        << 1 << Action::Post << "UPDATE TipsData SET COUNTER=0 WHERE rowid=2" << changed
        << QStringList{kStored[0], "Beta|2001/06|Taktik|0", kStored[2]} << 3;
    QTest::newRow("edit against a delete")
        << 1 << Action::Post << "DELETE FROM TipsData WHERE rowid=2" << deleted
        << QStringList{kStored[0], kStored[2]} << 2;
    QTest::newRow("edit against a new record under the same row id")
        << 2 << Action::Post
        << "DELETE FROM TipsData WHERE rowid=3; INSERT INTO TipsData VALUES('Delta','2002/01',"
           "'Cheat',1)"
        << changed << QStringList{kStored[0], kStored[1], "Delta|2002/01|Cheat|1"} << 3;
    QTest::newRow("delete in edit state against a change")
        << 1 << Action::Delete << "UPDATE TipsData SET Art='Cheat' WHERE rowid=2" << changed
        << QStringList{kStored[0], betaCheat, kStored[2]} << 3;
    QTest::newRow("delete of the shown record against a change")
        << 1 << Action::DeleteShown << "UPDATE TipsData SET Art='Cheat' WHERE rowid=2" << changed
        << QStringList{kStored[0], betaCheat, kStored[2]} << 3;
}

void TableTest::anotherProgramsWriteIsNeverUndone() {
    QFETCH(int, row);
    QFETCH(Action, action);
    QFETCH(QString, other);
    QFETCH(RecordConflict::Kind, refusal);
    QFETCH(QStringList, storedAfter);
    QFETCH(int, rowsAfterCancel);

    t->moveTo(row);
    if (action == Action::DeleteShown)
        t->rememberShownRecord();
    else
        t->setFieldByName(QStringLiteral("TITEL"), QStringLiteral("Von Hand"));
    otherProgramRuns(file(), other);

    try {
        if (action == Action::Post)
            t->post();
        else
            t->deleteCurrent();
        QFAIL("the write went through");
    } catch (const RecordConflict& c) {
        QCOMPARE(c.kind(), refusal);
        QCOMPARE(c.message(), RecordConflict::text(refusal));
    }
    // Nothing of the other program's write is lost, and what was typed is still there.
    QCOMPARE(stored(), storedAfter);
    QCOMPARE(t->recNo(), row);
    if (action != Action::DeleteShown) {
        QCOMPARE(t->state(), Table::State::Edit);
        QCOMPARE(title(), QStringLiteral("Von Hand"));
    }

    // Esc: the stored state, or the row gone.
    t->cancel();
    QCOMPARE(t->state(), Table::State::Browse);
    QCOMPARE(t->recordCount(), rowsAfterCancel);
    QCOMPARE(stored(), storedAfter);
    if (rowsAfterCancel == 3)
        QCOMPARE(t->fieldText(0) + u'|' + t->fieldText(1) + u'|' + t->fieldText(2) + u'|' +
                     (t->fieldText(3).isEmpty() ? QStringLiteral("\\N") : t->fieldText(3)),
                 storedAfter[row]);
    // A new edit reads the stored state and goes through.
    if (!t->eof()) {
        t->setFieldByName(QStringLiteral("ART"), QStringLiteral("Taktik 2"));
        t->post();
        QVERIFY(stored()[t->recNo()].contains(QStringLiteral("Taktik 2")));
    }
}

void TableTest::fileDamagedSinceItsCheckOpensReadOnly() {
    // The file passed when it was opened for writing; this program's own post is no reason
    // to check again.
    QVERIFY(!t->damaged());
    t->setFieldByName(QStringLiteral("TITEL"), QStringLiteral("Alpha 2"));
    t->post();
    t->close();
    t->open();
    QVERIFY(!t->damaged());
    t->close();

    // Cut short behind the program's back: the next opening for writing checks again.
    QFile f(file());
    const qint64 size = f.size();
    QVERIFY(f.resize(size - 1000));
    t->open();
    QVERIFY(t->damaged());
    QVERIFY(!t->canModify());
    QCOMPARE(
        t->damagedMessage(),
        QStringLiteral("Die Tabelle TipsData.DB ist beschädigt und wird nur zum Lesen geöffnet."));
    QVERIFY_THROWS_EXCEPTION(EngineError, t->append());
    QVERIFY_THROWS_EXCEPTION(EngineError, t->setFieldText(0, QStringLiteral("x")));
    QCOMPARE(QFileInfo(file()).size(), size - 1000);

    // Browsing opens it as before.
    t->close();
    t->setReadOnly(true);
    t->open();
    QVERIFY(!t->damaged());
}

void TableTest::deleteOfARecordDeletedElsewhereDropsIt() {
    t->moveTo(1);
    t->rememberShownRecord();
    otherProgramRuns(file(), QStringLiteral("DELETE FROM TipsData WHERE rowid=2"));
    // What the user wanted is done already: no refusal, the row leaves.
    t->deleteCurrent();
    QCOMPARE(t->recordCount(), 2);
    QCOMPARE(title(), QStringLiteral("Gamma"));
    QCOMPARE(stored(), (QStringList{kStored[0], kStored[2]}));
}
