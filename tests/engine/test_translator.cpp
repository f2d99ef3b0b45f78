#include "EngineError.h"
#include "EngineFixture.h"
#include "LocalSqlTranslator.h"

#include <QTest>

using OrderTerms = QList<TranslatedStatement::OrderTerm>;

class TranslatorTest : public QObject {
    Q_OBJECT

private slots:
    void takesTheTablePathAsWritten_data();
    void takesTheTablePathAsWritten();
    void constantsBecomeLiterals_data();
    void constantsBecomeLiterals();
    void readsTheOrderTerms_data();
    void readsTheOrderTerms();
    void rejectsMalformedStatements_data();
    void rejectsMalformedStatements();
};

void TranslatorTest::takesTheTablePathAsWritten_data() {
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("path");

    QTest::newRow("backslashes") << "SELECT * FROM \"D:\\DATA\\GameData.db\"\nORDER BY TITEL"
                                 << "D:\\DATA\\GameData.db";
    QTest::newRow("blanks and umlauts")
        << "SELECT * FROM \"/home/prüfer/Meine Spiele/CDData.db\"\nORDER BY TITEL"
        << "/home/prüfer/Meine Spiele/CDData.db";
    QTest::newRow("small keywords, bare file name") << "select * from \"TipsData.db\""
                                                    << "TipsData.db";
    QTest::newRow("doubled quote in the path") << "SELECT * FROM \"a\"\"b.db\""
                                               << "a\"b.db";
}

void TranslatorTest::takesTheTablePathAsWritten() {
    QFETCH(QString, statement);
    QFETCH(QString, path);
    const TranslatedStatement t = LocalSqlTranslator::translate(statement);
    QCOMPARE(t.tablePath, path);
    QCOMPARE(t.selectList, QStringLiteral("*"));
}

void TranslatorTest::constantsBecomeLiterals_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("literal"); // the constant as SQLite reads it

    QTest::newRow("category fragment") << "WHERE RUBRIK LIKE \"%tra%\" "
                                       << "'%tra%'";
    QTest::newRow("title pattern") << "WHERE UPPER(TITEL) LIKE \"%RACE%\" "
                                   << "'%RACE%'";
    QTest::newRow("non-ASCII letter") << "WHERE ART LIKE \"%ösu%\" "
                                      << "'%ösu%'";
    QTest::newRow("doubled quote is one quote") << "WHERE UPPER(TITEL) LIKE \"%12\"\" RACER%\" "
                                                << "'%12\" RACER%'";
    QTest::newRow("single quote inside") << "WHERE UPPER(TITEL) LIKE \"%O'NEIL%\" "
                                         << "'%O''NEIL%'";
    QTest::newRow("empty constant") << "WHERE ART = \"\" "
                                    << "''";
    QTest::newRow("words of the dialect inside a constant")
        << "WHERE UPPER(TITEL) LIKE \"%ORDER BY TITEL%\" "
        << "'%ORDER BY TITEL%'";
}

void TranslatorTest::constantsBecomeLiterals() {
    QFETCH(QString, where);
    QFETCH(QString, literal);
    const TranslatedStatement t =
        LocalSqlTranslator::translate(QStringLiteral("SELECT * FROM \"D:\\DATA\\GameData.db\"\n") +
                                      where + QStringLiteral("\nORDER BY TITEL"));
    QVERIFY2(t.whereTail.contains(literal), qPrintable(t.whereTail));
    // No double quote is left outside the literal.
    QVERIFY2(!QString(t.whereTail).remove(literal).contains(u'"'), qPrintable(t.whereTail));
    // The ORDER BY clause is found after the constant, whatever the constant holds.
    QCOMPARE(t.orderTerms.size(), 1);
    QCOMPARE(t.orderTerms.value(0).field, QStringLiteral("TITEL"));
}

void TranslatorTest::readsTheOrderTerms_data() {
    QTest::addColumn<QString>("order");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QList<bool>>("descending");

    QTest::newRow("title") << "ORDER BY TITEL" << QStringList{"TITEL"} << QList<bool>{false};
    QTest::newRow("rating, then title")
        << "ORDER BY WERTUNG DESC, TITEL" << QStringList{"WERTUNG", "TITEL"}
        << QList<bool>{true, false};
    QTest::newRow("both descending") << "ORDER BY TITEL DESC, AUSGABE DESC"
                                     << QStringList{"TITEL", "AUSGABE"} << QList<bool>{true, true};
    QTest::newRow("small keywords")
        << "order by ausgabe desc" << QStringList{"ausgabe"} << QList<bool>{true};
}

void TranslatorTest::readsTheOrderTerms() {
    QFETCH(QString, order);
    QFETCH(QStringList, fields);
    QFETCH(QList<bool>, descending);
    const TranslatedStatement t = LocalSqlTranslator::translate(
        QStringLiteral("SELECT * FROM \"GameData.db\"\nWHERE WERTUNG >= 70 \n") + order);
    QVERIFY(t.orderIsFieldList);
    QStringList gotFields;
    QList<bool> gotDescending;
    for (const auto& term : t.orderTerms) {
        gotFields << term.field;
        gotDescending << term.descending;
    }
    QCOMPARE(gotFields, fields);
    QCOMPARE(gotDescending, descending);
    QVERIFY(!t.whereTail.contains(QStringLiteral("ORDER"), Qt::CaseInsensitive));
}

void TranslatorTest::rejectsMalformedStatements_data() {
    QTest::addColumn<QString>("statement");

    QTest::newRow("lone quote in the title text")
        << "SELECT * FROM \"D:\\DATA\\GameData.db\"\nWHERE UPPER(TITEL) LIKE \"%A\"B%\" \n"
           "ORDER BY TITEL";
    QTest::newRow("unterminated table path") << "SELECT * FROM \"D:\\DATA\\GameData.db";
    QTest::newRow("unterminated single quote")
        << "SELECT * FROM \"GameData.db\"\nWHERE TITEL = 'x \nORDER BY TITEL";
    QTest::newRow("not a SELECT") << "DELETE FROM \"GameData.db\"";
    QTest::newRow("table not quoted") << "SELECT * FROM GameData";
    QTest::newRow("empty table path") << "SELECT * FROM \"\"";
    QTest::newRow("empty statement") << "";
}

void TranslatorTest::rejectsMalformedStatements() {
    QFETCH(QString, statement);
    QVERIFY_THROWS_EXCEPTION(EngineError, LocalSqlTranslator::translate(statement));
}

ENGINE_TEST_MAIN(TranslatorTest)

#include "test_translator.moc"
