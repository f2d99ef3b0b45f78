// The search page: condition texts, the view query they give, the indicator, the two title
// boxes, "Alle" and "OK", and the statistics windows following a category pick.
#include "AppFixture.h"
#include "AppState.h"
#include "AppWindows.h"
#include "CaptionLabel.h"
#include "ClickArea.h"
#include "DataSource.h"
#include "StatisticsWindows.h"
#include "TForm1.h"
#include "TSuchPage.h"
#include "TestSupport.h"
#include "UserSteps.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <functional>

using namespace UserSteps;

namespace {

using TestSupport::kGamesSchema;

// Titles that exercise letter case, umlauts, wildcard characters and a double quote.
const QStringList kOwnTitles = {
    QStringLiteral("über alles"), QStringLiteral("Über Land"),     QStringLiteral("Uber"),
    QStringLiteral("ABC"),        QStringLiteral("AXC"),           QStringLiteral("A_C"),
    QStringLiteral("A%C"),        QStringLiteral("Das \"Spiel\""), QStringLiteral("Zebra"),
};

// The games statistics' count line for the rows the main grid shows now.
QString gamesCountLine() {
    const int n = Form1->DataSource1->rowCount();
    return QStringLiteral("Auswahl: %1 Spiel%2").arg(n).arg(n == 1 ? "" : "e");
}

bool indicatorOn() {
    return !Form1->LED2->isHidden() && !Form1->Aktiv4->isHidden();
}
bool indicatorOff() {
    return Form1->LED2->isHidden() && Form1->Aktiv4->isHidden();
}

QStringList gridTitles() {
    QStringList titles;
    DataSource* source = Form1->DataSource1;
    for (int r = 0; r < source->rowCount(); ++r)
        titles << source->data(source->index(r, 0), Qt::DisplayRole).toString();
    titles.sort();
    return titles;
}

} // namespace

class TestSearchPage : public QObject {
    Q_OBJECT
private slots:
    void cleanup();

    void pageAsLaidOut();
    void selectionConditionFromTheLists_data();
    void selectionConditionFromTheLists();
    void typingIntoEitherTitleBox_data();
    void typingIntoEitherTitleBox();
    void deletingTheTitleKeyByKey_data();
    void deletingTheTitleKeyByKey();
    void titleTextFindsItsRows_data();
    void titleTextFindsItsRows();
    void alleResetsEverything();
    void okKeepsTheCriteria();
    void viewSwitchClearsAnActiveSearch();
    void categoryPickMovesTheGamesStatistics();

private:
    void start(bool ownGames = false);
    void openPage() { QTest::mouseClick(Form1->Image6, Qt::LeftButton); }
    int countRows(const QString& file, const std::function<bool(const QStringList&)>& keep) const;
    QString whereLine() const;

    AppFixture* m_app = nullptr;
};

void TestSearchPage::cleanup() {
    delete m_app;
    m_app = nullptr;
}

void TestSearchPage::start(bool ownGames) {
    m_app = new AppFixture;
    QVERIFY(m_app->makeArchive());
    if (ownGames) {
        QList<QStringList> rows;
        for (const QString& title : kOwnTitles)
            rows << QStringList{title,
                                QStringLiteral("Action"),
                                QStringLiteral("Rennspiel"),
                                QStringLiteral("Studio"),
                                QStringLiteral("70"),
                                QStringLiteral("2001/05"),
                                QString()};
        TestSupport::makeTable(m_app->dataDir() + QStringLiteral("/GameData.DB"),
                               QStringLiteral("GameData"), kGamesSchema, rows);
    }
    QCOMPARE(m_app->start(), StartupOutcome::Running);
}

// Rows of a table file, read apart from the program, that `keep` accepts.
int TestSearchPage::countRows(const QString& file,
                              const std::function<bool(const QStringList&)>& keep) const {
    int n = 0;
    const QString path = m_app->dataDir() + u'/' + file;
    for (const QString& row : TestSupport::readTable(path, QFileInfo(file).completeBaseName()))
        if (keep(row.split(u'|')))
            ++n;
    return n;
}

QString TestSearchPage::whereLine() const {
    const QStringList& lines = Form1->Query1.sql();
    return lines.size() == 3 ? lines.at(1) : QString();
}

void TestSearchPage::pageAsLaidOut() {
    start();
    TSuchPage* page = SuchPage;
    QCOMPARE(page->windowTitle(), QStringLiteral("Auswahl-Modul"));
    QCOMPARE(page->size(), QSize(115, 217));
    QVERIFY(page->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!(page->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint |
                                     Qt::WindowSystemMenuHint)));
    QCOMPARE(page->Image3->geometry(), QRect(0, 0, 115, 217));
    QCOMPARE(page->Edit1->geometry(), QRect(9, 26, 97, 23));
    QCOMPARE(page->ComboBox1->geometry(), QRect(9, 81, 97, 23));
    QCOMPARE(page->ComboBox2->geometry(), QRect(9, 135, 97, 23));
    QCOMPARE(page->Image2->geometry(), QRect(8, 179, 48, 27));
    QCOMPARE(page->Image1->geometry(), QRect(62, 179, 45, 27));
    QCOMPARE(page->Edit1->toolTip(), QStringLiteral("Dieser Text muß im Titel vorkommen"));
    QCOMPARE(page->ComboBox1->toolTip(),
             QStringLiteral("Nur Spiele mit dieser Mindestwertung auswählen"));
    QCOMPARE(page->ComboBox2->toolTip(), QStringLiteral("Nur Einträge dieser Kategorie anzeigen"));
    for (QWidget* w : {static_cast<QWidget*>(page->ComboBox2), static_cast<QWidget*>(page->Image2),
                       static_cast<QWidget*>(page->Image1)})
        QCOMPARE(w->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(page->Edit1->nextInFocusChain(), page->ComboBox1);
    QCOMPARE(page->ComboBox1->nextInFocusChain(), page->ComboBox2);
    QStringList ratings;
    for (int i = 0; i < page->ComboBox1->count(); ++i)
        ratings << page->ComboBox1->itemText(i);
    QCOMPARE(ratings.join(u','), QStringLiteral("(alle),10,20,30,40,50,60,70,80,90"));
    QVERIFY(!page->ComboBox1->isEditable() && !page->ComboBox2->isEditable());

    openPage();
    QVERIFY(page->isVisible());
    QTest::keyClicks(page->Edit1, QStringLiteral("ace"));
    const QImage shot = page->grab().toImage();
    if (const QByteArray dir = qgetenv("VANTORA_SHOTS"); !dir.isEmpty())
        shot.save(QString::fromLocal8Bit(dir) + QStringLiteral("/search-page.png"));
    // Typed letters are red on the page colour, the rest of the picture is painted.
    const QImage box = shot.copy(page->Edit1->geometry().adjusted(2, 2, -2, -2));
    bool red = false, light = false;
    for (int y = 0; y < box.height(); ++y)
        for (int x = 0; x < box.width(); ++x) {
            const QColor c = box.pixelColor(x, y);
            red |= c.red() > 200 && c.green() < 60 && c.blue() < 60;
            light |= c == QColor(0xF5, 0xF5, 0xF5);
        }
    QVERIFY(red && light);
    QVERIFY(shot.pixelColor(3, 65) != QColor(0xF5, 0xF5, 0xF5));
}

void TestSearchPage::selectionConditionFromTheLists_data() {
    QTest::addColumn<int>("view");
    QTest::addColumn<QString>("rating");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("categoryColumn");
    const QString all = QStringLiteral("(alle)");
    QTest::newRow("games, both (alle)") << 0 << all << all << QString() << "GameData.DB" << 1;
    QTest::newRow("disc, both (alle)") << 1 << all << all << QString() << "CDData.DB" << 2;
    QTest::newRow("tips, both (alle)") << 2 << all << all << QString() << "TipsData.DB" << 2;
    QTest::newRow("rating alone") << 0 << "70" << all << "WERTUNG >= 70"
                                  << "GameData.DB" << 1;
    QTest::newRow("category alone") << 0 << all << "Action"
                                    << "RUBRIK LIKE \"%cti%\""
                                    << "GameData.DB" << 1;
    QTest::newRow("category and rating") << 0 << "80"
                                         << "Sport"
                                         << "RUBRIK LIKE \"%por%\" AND WERTUNG >= 80"
                                         << "GameData.DB" << 1;
    QTest::newRow("umlaut fragment") << 2 << all << "Lösung"
                                     << "ART LIKE \"%ösu%\""
                                     << "TipsData.DB" << 2;
    QTest::newRow("disc category") << 1 << all << "Demo"
                                   << "ART LIKE \"%emo%\""
                                   << "CDData.DB" << 2;
}

void TestSearchPage::selectionConditionFromTheLists() {
    QFETCH(int, view);
    QFETCH(QString, rating);
    QFETCH(QString, category);
    QFETCH(QString, condition);
    QFETCH(QString, file);
    QFETCH(int, categoryColumn);
    start();
    showView(view);
    openPage();
    QCOMPARE(SuchPage->ComboBox1->isEnabled(), view == 0);
    if (view == 0)
        pick(SuchPage->ComboBox1, rating);
    QCOMPARE(SuchPage->ComboBox1->currentText(), rating);
    pick(SuchPage->ComboBox2, category);

    QCOMPARE(State().SelectionCondition, condition);
    QCOMPARE(State().TitleCondition, QString());
    if (condition.isEmpty())
        QCOMPARE(Form1->Query1.sql().size(), 2);
    else
        QCOMPARE(whereLine(), QStringLiteral("WHERE ") + condition + u' ');
    QCOMPARE(indicatorOn(), !condition.isEmpty());

    const QString fragment = category == QLatin1String("(alle)") ? QString() : category.mid(1, 3);
    const int minimum = rating == QLatin1String("(alle)") ? -1 : rating.toInt();
    const int expected = countRows(file, [&](const QStringList& f) {
        return f.at(categoryColumn).contains(fragment) &&
               (minimum < 0 || (f.at(4) != QLatin1String("\\N") && f.at(4).toInt() >= minimum));
    });
    QCOMPARE(Form1->DataSource1->rowCount(), expected);
}

void TestSearchPage::typingIntoEitherTitleBox_data() {
    QTest::addColumn<bool>("intoMainWindow");
    QTest::newRow("search page's box") << false;
    QTest::newRow("main window's box") << true;
}

void TestSearchPage::typingIntoEitherTitleBox() {
    QFETCH(bool, intoMainWindow);
    start();
    openPage();
    QTest::keyClicks(intoMainWindow ? Form1->Edit1 : SuchPage->Edit1, QStringLiteral("space"));
    QCOMPARE(SuchPage->Edit1->text(), QStringLiteral("SPACE"));
    QCOMPARE(Form1->Edit1->text(), QStringLiteral("SPACE"));
    QCOMPARE(State().TitleCondition, QStringLiteral("UPPER(TITEL) LIKE \"%SPACE%\""));
    QCOMPARE(whereLine(), QStringLiteral("WHERE UPPER(TITEL) LIKE \"%SPACE%\" "));
    QVERIFY(indicatorOn());
    const int expected = countRows(QStringLiteral("GameData.DB"), [](const QStringList& f) {
        return f.at(0).toUpper().contains(QLatin1String("SPACE"));
    });
    QCOMPARE(Form1->DataSource1->rowCount(), expected);
    QVERIFY(m_app->boxes.isEmpty());
}

void TestSearchPage::deletingTheTitleKeyByKey_data() {
    QTest::addColumn<QString>("rating");
    QTest::addColumn<bool>("indicatorAtTheEnd");
    QTest::newRow("lists at (alle)") << QStringLiteral("(alle)") << false;
    QTest::newRow("rating chosen") << QStringLiteral("70") << true;
}

void TestSearchPage::deletingTheTitleKeyByKey() {
    QFETCH(QString, rating);
    QFETCH(bool, indicatorAtTheEnd);
    start();
    openPage();
    const int allRows = Form1->DataSource1->rowCount();
    pick(SuchPage->ComboBox1, rating);
    QTest::keyClicks(SuchPage->Edit1, QStringLiteral("ab"));
    QTest::keyClick(SuchPage->Edit1, Qt::Key_Backspace);
    QCOMPARE(State().TitleCondition, QStringLiteral("UPPER(TITEL) LIKE \"%A%\""));
    QVERIFY(indicatorOn());
    QTest::keyClick(SuchPage->Edit1, Qt::Key_Backspace);
    QCOMPARE(Form1->Edit1->text(), QString());
    QCOMPARE(State().TitleCondition, QStringLiteral("UPPER(TITEL) LIKE \"%%\""));
    QVERIFY(whereLine().startsWith(QLatin1String("WHERE UPPER(TITEL) LIKE \"%%\"")));
    QCOMPARE(indicatorOn(), indicatorAtTheEnd);
    QCOMPARE(indicatorOff(), !indicatorAtTheEnd);
    if (!indicatorAtTheEnd)
        QCOMPARE(Form1->DataSource1->rowCount(), allRows);
}

void TestSearchPage::titleTextFindsItsRows_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("umlaut in any case")
        << QStringLiteral("ü") << QStringLiteral("UPPER(TITEL) LIKE \"%Ü%\"")
        << QStringList{QStringLiteral("Über Land"), QStringLiteral("über alles")};
    QTest::newRow("underscore is one character")
        << QStringLiteral("a_c") << QStringLiteral("UPPER(TITEL) LIKE \"%A_C%\"")
        << QStringList{QStringLiteral("A%C"), QStringLiteral("ABC"), QStringLiteral("AXC"),
                       QStringLiteral("A_C")};
    QTest::newRow("percent is any text")
        << QStringLiteral("z%a") << QStringLiteral("UPPER(TITEL) LIKE \"%Z%A%\"")
        << QStringList{QStringLiteral("Zebra")};
    QTest::newRow("double quote") << QStringLiteral("\"s")
                                  << QStringLiteral("UPPER(TITEL) LIKE \"%\"\"S%\"")
                                  << QStringList{QStringLiteral("Das \"Spiel\"")};
}

void TestSearchPage::titleTextFindsItsRows() {
    QFETCH(QString, typed);
    QFETCH(QString, condition);
    QFETCH(QStringList, titles);
    start(true);
    openPage();
    typeText(SuchPage->Edit1, typed);
    QCOMPARE(State().TitleCondition, condition);
    QCOMPARE(gridTitles(), titles);
    QCOMPARE(m_app->boxes, QStringList());
}

void TestSearchPage::alleResetsEverything() {
    start();
    openPage();
    QTest::keyClicks(SuchPage->Edit1, QStringLiteral("a"));
    pick(SuchPage->ComboBox1, QStringLiteral("50"));
    pick(SuchPage->ComboBox2, QStringLiteral("Action"));
    QVERIFY(indicatorOn());

    QTest::mouseClick(SuchPage->Image2, Qt::LeftButton);
    QCOMPARE(SuchPage->ComboBox1->currentIndex(), 0);
    QCOMPARE(SuchPage->ComboBox2->currentIndex(), 0);
    QCOMPARE(SuchPage->Edit1->text(), QString());
    QCOMPARE(Form1->Edit1->text(), QString());
    QCOMPARE(State().TitleCondition, QString());
    QCOMPARE(State().SelectionCondition, QString());
    QCOMPARE(Form1->Query1.sql().size(), 2);
    QVERIFY(indicatorOff());
    QVERIFY(SuchPage->isHidden());
    QCOMPARE(Form1->DataSource1->rowCount(),
             countRows(QStringLiteral("GameData.DB"), [](const QStringList&) { return true; }));
}

void TestSearchPage::okKeepsTheCriteria() {
    start();
    openPage();
    QTest::keyClicks(SuchPage->Edit1, QStringLiteral("e"));
    pick(SuchPage->ComboBox2, QStringLiteral("Strategie"));
    const QStringList sql = Form1->Query1.sql();
    const int rows = Form1->DataSource1->rowCount();

    QTest::mouseClick(SuchPage->Image1, Qt::LeftButton);
    QVERIFY(SuchPage->isHidden());
    QCOMPARE(Form1->Query1.sql(), sql);
    QCOMPARE(Form1->DataSource1->rowCount(), rows);
    QCOMPARE(State().SelectionCondition, QStringLiteral("RUBRIK LIKE \"%tra%\""));
    QCOMPARE(State().TitleCondition, QStringLiteral("UPPER(TITEL) LIKE \"%E%\""));
    QVERIFY(indicatorOn());

    openPage();
    QCOMPARE(SuchPage->Edit1->text(), QStringLiteral("E"));
    QCOMPARE(SuchPage->ComboBox2->currentText(), QStringLiteral("Strategie"));
}

void TestSearchPage::viewSwitchClearsAnActiveSearch() {
    start();
    openPage();
    QTest::keyClicks(SuchPage->Edit1, QStringLiteral("r"));
    pick(SuchPage->ComboBox1, QStringLiteral("60"));
    pick(SuchPage->ComboBox2, QStringLiteral("Sport"));

    showView(1);
    QVERIFY(SuchPage->isHidden());
    QVERIFY(indicatorOff());
    QCOMPARE(SuchPage->Edit1->text(), QString());
    QCOMPARE(Form1->Edit1->text(), QString());
    QCOMPARE(SuchPage->ComboBox1->currentText(), QStringLiteral("(alle)"));
    QCOMPARE(SuchPage->ComboBox2->currentText(), QStringLiteral("(alle)"));
    QCOMPARE(State().TitleCondition, QString());
    QCOMPARE(State().SelectionCondition, QString());
    QCOMPARE(Form1->Query1.sql().size(), 2);
    QVERIFY(Form1->Query1.sql().constFirst().endsWith(QLatin1String("CDData.db\"")));
}

void TestSearchPage::categoryPickMovesTheGamesStatistics() {
    start();
    QTest::mouseClick(Form1->Image7, Qt::LeftButton);
    QVERIFY(Form3->isVisible());
    openPage();
    const int allRows = Form1->DataSource1->rowCount();
    pick(SuchPage->ComboBox2, QStringLiteral("Sport"));
    QVERIFY(Form1->DataSource1->rowCount() < allRows);
    QCOMPARE(Form3->Label4->text(), gamesCountLine());
    QCOMPARE(Form3->StringGrid1->currentRow(), SuchPage->ComboBox2->currentIndex() + 1);
    QCOMPARE(Form3->StringGrid1->currentRow(), 4);
    QVERIFY(Form3->isVisible());
    QVERIFY(SuchPage->isVisible());
    QCOMPARE(State().SelectionCondition, QStringLiteral("RUBRIK LIKE \"%por%\""));

    pick(SuchPage->ComboBox2, QStringLiteral("(alle)"));
    QCOMPARE(Form3->StringGrid1->currentRow(), 1);
    QCOMPARE(Form3->Label4->text(), gamesCountLine());
    QVERIFY(Form3->isVisible() && SuchPage->isVisible());
}

QTEST_MAIN(TestSearchPage)
#include "test_search.moc"
