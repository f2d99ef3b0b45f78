// From a record to the same title in the other views: the menu's lines against SQLite, the
// step to a view, and edit mode without the menu.
#include "AppFixture.h"
#include "AppState.h"
#include "AppWindows.h"
#include "ClickArea.h"
#include "DataGrid.h"
#include "DataSource.h"
#include "StripPicture.h"
#include "TForm1.h"
#include "UserSteps.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <sqlite3.h>

namespace {

// Crafted records beside the generated ones: one title in all three tables (in other letter
// case, and four times on the discs), one in games and tips, one in games only.
struct Crafted {
    const char* file;
    const char* sql;
};
const Crafted kCrafted[] = {
    {"GameData.DB", "INSERT INTO GameData (TITEL, Rubrik, Ausgabe) VALUES "
                    "('Quertal Ärger', 'Action', '1998/01'), ('Nur Hier 3', 'Sport', '1999/02'),"
                    "('Zweimal Da', 'Strategie', '2000/04')"},
    {"CDData.DB", "INSERT INTO CDData (TITEL, Ausgabe, Art, Medium) VALUES "
                  "('QUERTAL Ärger', '1998/03', 'Demo', 'CD'),"
                  "('quertal Ärger', '2001/11', 'Vollversion', 'DVD'),"
                  "('Quertal Ärger', '1999/06', 'Patch', 'CD'),"
                  "('Quertal Ärger', '2000/01', 'Video', 'CD'),"
                  "('Quertal Ärger ', '2002/01', 'Demo', 'CD')"},
    {"TipsData.DB", "INSERT INTO TipsData (TITEL, Ausgabe, Art, COUNTER) VALUES "
                    "('quertal Ärger', '1998/05', 'Lösung', 1),"
                    "('zweimal da', '2001/02', 'Cheat', 2)"},
};

// The lines the menu should show, straight from SQLite: the same title with letter case
// ignored (the crafted titles differ only in ASCII letters' case, or not at all).
QString expectedLine(const QString& dataDir, const QString& file, const QString& table,
                     const QString& category, const QString& caption, const QString& title) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(qPrintable(dataDir + '/' + file), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    const QString sql = QStringLiteral("SELECT %1, Ausgabe FROM %2 WHERE TITEL = ?1 COLLATE "
                                       "NOCASE ORDER BY Ausgabe DESC")
                            .arg(category, table);
    sqlite3_prepare_v2(db, qPrintable(sql), -1, &st, nullptr);
    const QByteArray t = title.toUtf8();
    sqlite3_bind_text(st, 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    QStringList named;
    int count = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        if (++count <= 3)
            named << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))) +
                         ' ' +
                         QString::fromUtf8(
                             reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    if (count == 0)
        return caption + QStringLiteral(": keine Einträge");
    if (count > 3)
        named << QStringLiteral("…");
    return QStringLiteral("%1: %2 %3 (%4)")
        .arg(caption)
        .arg(count)
        .arg(count == 1 ? QStringLiteral("Eintrag") : QStringLiteral("Einträge"), named.join(", "));
}

// A menu line as the menu shows it: "&&" is an "&", a single "&" marks the next letter.
QString shownText(QString text) {
    text.replace(QLatin1String("&&"), QChar(1));
    text.remove(u'&');
    return text.replace(QChar(1), u'&');
}

} // namespace

class TestCrossView : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void menuLinesMatchTheTables_data();
    void menuLinesMatchTheTables();
    void choosingALineTypesTheTitleInThatView();
    void escapeChangesNothing();
    void editModeHasNoMenu();

private:
    // Opens the menu on the grid row showing `title` by `how` ("double", "enter", "menukey",
    // "right"), lets `act` handle the open menu, and returns its lines ("-" marks a greyed one).
    QStringList openMenu(const QString& title, const QString& how,
                         const std::function<void(QMenu*)>& act);
    int rowOf(const QString& title) const;
    void typeTitle(const QString& text);
    AppFixture* m_app = nullptr;
};

void TestCrossView::init() {
    m_app = new AppFixture;
    QVERIFY(m_app->makeArchive());
    for (const Crafted& c : kCrafted) {
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(qPrintable(m_app->dataDir() + '/' + c.file), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, c.sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    QCOMPARE(m_app->start(), StartupOutcome::Running);
}

void TestCrossView::cleanup() {
    delete m_app;
    m_app = nullptr;
}

int TestCrossView::rowOf(const QString& title) const {
    const int field = Form1->Query1.fieldIndex(QStringLiteral("TITEL"));
    for (int r = 0; r < Form1->Query1.recordCount(); ++r)
        if (Form1->Query1.value(r, field) == title)
            return r;
    return -1;
}

void TestCrossView::typeTitle(const QString& text) {
    Form1->Edit1->setFocus();
    QTest::keyClicks(Form1->Edit1, text);
}

QStringList TestCrossView::openMenu(const QString& title, const QString& how,
                                    const std::function<void(QMenu*)>& act) {
    DataGrid* grid = Form1->DBGrid1;
    const int row = rowOf(title);
    if (row < 0)
        return {QStringLiteral("no row ") + title};
    const QModelIndex index = Form1->DataSource1->index(row, 0);
    grid->scrollTo(index);
    grid->setCurrentIndex(index);
    grid->setFocus();
    QStringList lines;
    bool opened = false;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        opened = true;
        for (QAction* a : menu->actions())
            lines << (a->isEnabled() ? QString() : QStringLiteral("-")) + shownText(a->text());
        act(menu);
    });
    const QPoint centre = grid->visualRect(index).center();
    if (how == "double")
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, centre);
    else if (how == "enter")
        QTest::keyClick(grid, Qt::Key_Return);
    else if (how == "menukey")
        QTest::keyClick(grid, Qt::Key_F10, Qt::ShiftModifier);
    else {
        QContextMenuEvent event(QContextMenuEvent::Mouse, centre,
                                grid->viewport()->mapToGlobal(centre));
        QApplication::sendEvent(grid->viewport(), &event);
    }
    QApplication::processEvents();
    if (!opened)
        return {QStringLiteral("no menu")};
    return lines;
}

void TestCrossView::menuLinesMatchTheTables_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("how");
    QTest::newRow("in all three, from games") << "Spiele"
                                              << "Quertal Ärger"
                                              << "double";
    QTest::newRow("in all three, from discs") << "CD-Inhalt"
                                              << "QUERTAL Ärger"
                                              << "enter";
    QTest::newRow("in all three, from tips") << "Tips"
                                             << "quertal Ärger"
                                             << "menukey";
    QTest::newRow("in two") << "Spiele"
                            << "Zweimal Da"
                            << "right";
    QTest::newRow("in one") << "Spiele"
                            << "Nur Hier 3"
                            << "double";
}

void TestCrossView::menuLinesMatchTheTables() {
    QFETCH(QString, view);
    QFETCH(QString, title);
    QFETCH(QString, how);
    ClickArea* buttons[] = {Form1->Image1, Form1->Image2, Form1->Image3};
    const QStringList views = {"Spiele", "CD-Inhalt", "Tips"};
    QTest::mouseClick(buttons[views.indexOf(view)], Qt::LeftButton);
    const QStringList lines = openMenu(title, how, [](QMenu* m) { m->close(); });

    struct Other {
        QString view, file, table, category, caption;
    };
    const QList<Other> all = {{"Spiele", "GameData.DB", "GameData", "Rubrik", "Spiele"},
                              {"CD-Inhalt", "CDData.DB", "CDData", "Art", "CD & DVD"},
                              {"Tips", "TipsData.DB", "TipsData", "Art", "Tipps"}};
    QStringList expected;
    for (const Other& o : all) {
        if (o.view == view)
            continue;
        const QString line =
            expectedLine(m_app->dataDir(), o.file, o.table, o.category, o.caption, title);
        expected << (line.endsWith(QStringLiteral("keine Einträge")) ? "-" + line : line);
    }
    QCOMPARE(lines, expected);
}

void TestCrossView::choosingALineTypesTheTitleInThatView() {
    const QStringList lines = openMenu("Quertal Ärger", "double", [](QMenu* m) {
        // The disc line: Down to the first enabled action, then Return.
        QTest::keyClick(m, Qt::Key_Down);
        QTest::keyClick(m, Qt::Key_Return);
    });
    QCOMPARE(lines.value(0), QStringLiteral("CD & DVD: 4 Einträge (Vollversion 2001/11, Video "
                                            "2000/01, Patch 1999/06, …)"));
    QCOMPARE(State().CurrentView, QStringLiteral("CD-Inhalt"));
    QCOMPARE(Form1->Edit1->text(), QStringLiteral("QUERTAL ÄRGER"));
    QVERIFY(!Form1->LED2->isHidden());
    const QStringList viaMenu = Form1->Query1.sql();
    const int rows = Form1->Query1.recordCount();
    QCOMPARE(rows, 5); // the four, and the one with a trailing blank, which the box also finds

    // The same by hand: the strip button, then the title typed.
    UserSteps::showView(UserSteps::Games);
    UserSteps::showView(UserSteps::Disc);
    typeTitle(QStringLiteral("Quertal Ärger"));
    QCOMPARE(Form1->Query1.sql(), viaMenu);
    QCOMPARE(Form1->Query1.recordCount(), rows);
}

void TestCrossView::escapeChangesNothing() {
    const QStringList before = Form1->Query1.sql();
    const QStringList lines =
        openMenu("Quertal Ärger", "enter", [](QMenu* m) { QTest::keyClick(m, Qt::Key_Escape); });
    QCOMPARE(lines.size(), 2);
    QCOMPARE(State().CurrentView, QStringLiteral("Spiele"));
    QCOMPARE(Form1->Query1.sql(), before);
    QVERIFY(Form1->Edit1->text().isEmpty());
}

void TestCrossView::editModeHasNoMenu() {
    UserSteps::switchEditMode();
    QCOMPARE(State().EditMode, 1);
    DataGrid* grid = Form1->DBGrid1;
    const QModelIndex index = Form1->DataSource1->index(0, 0);
    const QPoint centre = grid->visualRect(index).center();
    bool menu = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            menu = true;
            popup->close();
        }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, centre,
                            grid->viewport()->mapToGlobal(centre));
    QApplication::sendEvent(grid->viewport(), &event);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, centre);
    QApplication::processEvents();
    QVERIFY(!menu);
    // The double-click edits the cell instead.
    QVERIFY(grid->openEditor());
}

QTEST_MAIN(TestCrossView)
#include "test_crossview.moc"
