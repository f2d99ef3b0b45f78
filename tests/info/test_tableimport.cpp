// Appending import records to a table file: what is on disk when the engine refuses.
#include "Connection.h"
#include "EngineError.h"
#include "Table.h"
#include "TableTextImport.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using TextExchange::Record;

class TestTableImport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyRecordIsOnDiskWhenAppendReturns();
    void aFullFileKeepsTheTableInStepWithTheDisk();

private:
    QList<Record> records(int count, int titleLength = 8) const;
    QString path() const { return m_dir->path() + QStringLiteral("/CDData.db"); }
    QStringList onDisk() const { return TestSupport::readTable(path(), QStringLiteral("CDData")); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Table> m_table;
};

void TestTableImport::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    TestSupport::makeTable(path(), QStringLiteral("CDData"), TestSupport::kDiscSchema,
                           {{"alt", "2001/01", "Demo", "CD"}});
    m_table = std::make_unique<Table>();
    m_table->setDatabaseName(m_dir->path());
    m_table->setTableName(QStringLiteral("CDData.db"));
    m_table->setReadOnly(false);
    m_table->open();
}

void TestTableImport::cleanup() {
    m_table.reset();
    m_dir.reset();
}

QList<Record> TestTableImport::records(int count, int titleLength) const {
    QList<Record> out;
    for (int i = 0; i < count; ++i)
        out.append(Record{QString::number(i).rightJustified(titleLength, u'x'),
                          QStringLiteral("2002/05"), QStringLiteral("Demo"), QStringLiteral("CD")});
    return out;
}

void TestTableImport::everyRecordIsOnDiskWhenAppendReturns() {
    // More than one group of commits, and a last group that is not full.
    const auto outcome = TableTextImport::append(*m_table, records(4500));
    QVERIFY(outcome.error.isEmpty());
    QCOMPARE(outcome.count, 4500);
    QVERIFY(!m_table->inBatch());
    const QStringList rows = onDisk(); // through a connection of its own
    QCOMPARE(rows.size(), 4501);
    QCOMPARE(rows.constLast(), QStringLiteral("xxxx4499|2002/05|Demo|CD"));
    QCOMPARE(m_table->recordCount(), 4501);
}

void TestTableImport::aFullFileKeepsTheTableInStepWithTheDisk() {
    // The file may grow by only a few pages: the import runs into a full disk.
    auto conn = Connection::open(path());
    conn->exec("PRAGMA max_page_count=12");
    const auto outcome = TableTextImport::append(*m_table, records(400, 300));
    QVERIFY2(!outcome.error.isEmpty(), "the import should have hit the limit");
    QVERIFY(outcome.count < 400);
    QVERIFY(!m_table->inBatch());
    QCOMPARE(m_table->state(), Table::State::Browse);
    // The records before the refused one are on disk, the table shows exactly what the
    // file holds, and it can go on working.
    const QStringList rows = onDisk();
    QVERIFY(outcome.count > 0);
    QCOMPARE(int(rows.size()), 1 + outcome.count);
    QCOMPARE(rows.constLast(), QString::number(outcome.count - 1).rightJustified(300, u'x') +
                                   QStringLiteral("|2002/05|Demo|CD"));
    QCOMPARE(m_table->recordCount(), int(rows.size()));
    QCOMPARE(rows.constFirst(), QStringLiteral("alt|2001/01|Demo|CD"));
    conn->exec("PRAGMA max_page_count=100000");
    const auto more = TableTextImport::append(*m_table, records(1));
    QVERIFY(more.error.isEmpty());
    QCOMPARE(m_table->recordCount(), int(rows.size()) + 1);
    QCOMPARE(onDisk().size(), rows.size() + 1);
}

QTEST_GUILESS_MAIN(TestTableImport)
#include "test_tableimport.moc"
