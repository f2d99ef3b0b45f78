#include "IssueText.h"

#include <QTest>

class IssueTextTest : public QObject {
    Q_OBJECT

private slots:
    void completeFromTemplate_data();
    void completeFromTemplate();
    void yearAndMonth_data();
    void yearAndMonth();
    void isWellFormed_data();
    void isWellFormed();
};

void IssueTextTest::completeFromTemplate_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("completes");
    QTest::addColumn<QString>("completed");

    QTest::newRow("5") << "5" << true << "2001/05";
    QTest::newRow("12") << "12" << true << "2001/12";
    QTest::newRow("2/03") << "2/03" << true << "2002/03";
    QTest::newRow("02/03") << "02/03" << true << "2002/03";
    QTest::newRow("/07") << "/07" << true << "2001/07";
    QTest::newRow("seven characters unchanged") << "2002/03" << true << "2002/03";
    QTest::newRow("no check of the characters") << "abc" << true << "2001abc";
    QTest::newRow("empty") << "" << false << "";
    QTest::newRow("eight characters") << "2002/031" << false << "";
}

void IssueTextTest::completeFromTemplate() {
    QFETCH(QString, typed);
    QFETCH(bool, completes);
    QFETCH(QString, completed);
    QString out = QStringLiteral("untouched");
    QCOMPARE(IssueText::complete(typed, out), completes);
    QCOMPARE(out, completes ? completed : QStringLiteral("untouched"));
}

void IssueTextTest::yearAndMonth_data() {
    QTest::addColumn<QString>("issue");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");

    QTest::newRow("first issue") << "1997/10" << 1997 << 10;
    QTest::newRow("March") << "2002/03" << 2002 << 3;
    QTest::newRow("December") << "2001/12" << 2001 << 12;
    QTest::newRow("month of one digit") << "2002/3" << 2002 << -1;
    QTest::newRow("letters") << "abcd/ef" << -1 << -1;
    QTest::newRow("short year") << "02/03" << -1 << -1;
    QTest::newRow("empty") << "" << -1 << -1;
}

void IssueTextTest::yearAndMonth() {
    QFETCH(QString, issue);
    QFETCH(int, year);
    QFETCH(int, month);
    QCOMPARE(IssueText::year(issue), year);
    QCOMPARE(IssueText::month(issue), month);
    // The statistics walk reads the month from the stored UTF-8 bytes.
    const QByteArray bytes = issue.toUtf8();
    QCOMPARE(IssueText::month(QByteArrayView(bytes)), month);
}

void IssueTextTest::isWellFormed_data() {
    QTest::addColumn<QString>("issue");
    QTest::addColumn<bool>("wellFormed");

    QTest::newRow("first issue") << "1997/10" << true;
    QTest::newRow("last year allowed") << "2005/12" << true;
    QTest::newRow("January") << "2003/01" << true;
    QTest::newRow("after the last year") << "2006/01" << false;
    QTest::newRow("before the first year") << "1996/12" << false;
    QTest::newRow("month 00") << "2002/00" << false;
    QTest::newRow("month 13") << "2002/13" << false;
    QTest::newRow("other separator") << "2002-03" << false;
    QTest::newRow("trailing blank") << "2002/3 " << false;
    QTest::newRow("too short") << "02/03" << false;
    QTest::newRow("too long") << "2002/031" << false;
    QTest::newRow("template") << "2001/00" << false;
}

void IssueTextTest::isWellFormed() {
    QFETCH(QString, issue);
    QFETCH(bool, wellFormed);
    QCOMPARE(IssueText::isWellFormed(issue, 2005), wellFormed);
}

QTEST_GUILESS_MAIN(IssueTextTest)

#include "test_issuetext.moc"
