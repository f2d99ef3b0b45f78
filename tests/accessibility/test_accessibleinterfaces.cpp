// What the program tells assistive tools, read in-process through the toolkit's interfaces:
// the parts the bus test cannot open (the modal Info window) and the charts' figures.
#include "AppFixture.h"
#include "AppState.h"
#include "AppWindows.h"
#include "ClickArea.h"
#include "StatisticsWindows.h"
#include "StripPicture.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TSuchPage.h"
#include "UserSteps.h"

#include <QAccessible>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>

namespace {

QList<QObject*> accessibleChildren(QWidget* window) {
    QList<QObject*> out;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(window);
    for (int i = 0; iface && i < iface->childCount(); ++i)
        out.append(iface->child(i)->object());
    return out;
}

} // namespace

class TestAccessibleInterfaces : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void windowsAndDecorations_data();
    void windowsAndDecorations();
    void buttonsPressOnlyWhenEnabled();
    void dropDownsAreNamedByWhatTheyChoose();
    void gamesChartsDescribeTheirFigures();
    void statisticsGridsAnnounceTheirHeadingRowAsHeadings();

private:
    AppFixture* m_app = nullptr;
};

void TestAccessibleInterfaces::init() {
    m_app = new AppFixture;
    QVERIFY(m_app->makeArchive());
    QCOMPARE(m_app->start(), StartupOutcome::Running);
}

void TestAccessibleInterfaces::cleanup() {
    delete m_app;
    m_app = nullptr;
}

void TestAccessibleInterfaces::windowsAndDecorations_data() {
    // The windows exist only once init() started the program.
    QTest::addColumn<QString>("window");
    QTest::newRow("main window, strip picture") << QStringLiteral("Form1");
    QTest::newRow("Info, title shadow") << QStringLiteral("Form2");
    QTest::newRow("statistics") << QStringLiteral("Form3");
}

void TestAccessibleInterfaces::windowsAndDecorations() {
    QFETCH(QString, window);
    struct Expected {
        QWidget* window;
        QAccessible::Role role;
        QWidget* hidden;
        QWidget* shown;
    };
    const Expected e = window == QLatin1String("Form1")
                           ? Expected{Form1, QAccessible::Window, Form1->Image4, Form1->Image1}
                       : window == QLatin1String("Form2")
                           ? Expected{Form2, QAccessible::Dialog, Form2->Label4, Form2->Label5}
                           : Expected{Form3, QAccessible::Dialog, nullptr, Form3->StringGrid1};
    QCOMPARE(QAccessible::queryAccessibleInterface(e.window)->role(), e.role);
    const QList<QObject*> children = accessibleChildren(e.window);
    QVERIFY(children.contains(e.shown));
    if (e.hidden)
        QVERIFY(!children.contains(e.hidden));
}

void TestAccessibleInterfaces::buttonsPressOnlyWhenEnabled() {
    QAccessibleInterface* button = QAccessible::queryAccessibleInterface(Form1->Image2);
    QCOMPARE(button->role(), QAccessible::Button);
    QCOMPARE(button->text(QAccessible::Name), QStringLiteral("CD & DVD"));
    QVERIFY(button->text(QAccessible::Description).contains(QStringLiteral("Strg+2")));
    QAccessibleActionInterface* actions = button->actionInterface();
    QVERIFY(actions);
    Form1->setQueryButtonsEnabled(false);
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(State().CurrentView, QStringLiteral("Spiele"));
    Form1->setQueryButtonsEnabled(true);
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(State().CurrentView, QStringLiteral("CD-Inhalt"));
    QCOMPARE(QAccessible::queryAccessibleInterface(Form1->LED1)->text(QAccessible::Name),
             QStringLiteral("Ansicht: CD-Inhalt"));

    // In edit mode "Auswahl" and "Statistik" do nothing, and are announced so.
    for (bool editMode : {true, false}) {
        UserSteps::switchEditMode();
        for (ClickArea* area : {Form1->Image6, Form1->Image7})
            QCOMPARE(QAccessible::queryAccessibleInterface(area)->state().disabled, editMode);
        QVERIFY(!QAccessible::queryAccessibleInterface(Form1->Image2)->state().disabled);
    }
}

void TestAccessibleInterfaces::dropDownsAreNamedByWhatTheyChoose() {
    SuchPage->ComboBox1->setCurrentIndex(2);
    for (QComboBox* box : {SuchPage->ComboBox1, SuchPage->ComboBox2}) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(box);
        QCOMPARE(iface->role(), QAccessible::ComboBox);
        QCOMPARE(iface->text(QAccessible::Name), box->accessibleName());
        QCOMPARE(iface->text(QAccessible::Value), box->currentText());
        // The chosen item is read as its words, never as its place in the list.
        QVERIFY(!iface->valueInterface());
        QAccessibleTextInterface* text = iface->textInterface();
        QVERIFY(text);
        QCOMPARE(text->text(0, text->characterCount()), box->currentText());
    }
    // Named as the captions above them read.
    QCOMPARE(SuchPage->ComboBox1->accessibleName(), QStringLiteral("Mindestwertung"));
    QCOMPARE(SuchPage->ComboBox2->accessibleName(), QStringLiteral("Genre / Art"));
}

void TestAccessibleInterfaces::gamesChartsDescribeTheirFigures() {
    Form3->show();
    const RatingFigures& figures = Form3->figures();
    // Every rating value that occurs, with its count, and no other.
    const QString distribution = Form3->Bevel1->accessibleDescription();
    static const QRegularExpression entry(QStringLiteral("Wertung (\\d+): (\\d+)"));
    int entries = 0;
    for (const QRegularExpressionMatch& m : entry.globalMatch(distribution)) {
        QCOMPARE(double(m.captured(2).toInt()), figures.distribution(m.captured(1).toInt()));
        ++entries;
    }
    int occurring = 0;
    for (int v = 0; v < RatingFigures::kValues; ++v)
        occurring += figures.distribution(v) > 0 ? 1 : 0;
    QVERIFY(occurring > 0);
    QCOMPARE(entries, occurring);
    // The monthly chart: the hover read-out of all twelve months.
    const QStringList months = Form3->Bevel2->accessibleDescription().split(QStringLiteral("; "));
    QCOMPARE(months.size(), 12);
    QVERIFY(months[0].startsWith(QStringLiteral("1er-Durchschnitt: Wertung=")));
    QVERIFY(months[11].startsWith(QStringLiteral("12er-Durchschnitt: Wertung=")));
    Form3->hide();
}

void TestAccessibleInterfaces::statisticsGridsAnnounceTheirHeadingRowAsHeadings() {
    Form3->show();
    QTableWidget* grid = Form3->StringGrid1;
    QAccessibleTableInterface* table =
        QAccessible::queryAccessibleInterface(grid)->tableInterface();
    QVERIFY(table);
    QCOMPARE(table->rowCount(), grid->rowCount() - 1);
    QCOMPARE(table->columnCount(), grid->columnCount());
    for (int column = 0; column < grid->columnCount(); ++column) {
        const QString heading = grid->item(0, column)->text().trimmed();
        QVERIFY(!heading.isEmpty());
        QCOMPARE(table->columnDescription(column), heading);
        QAccessibleInterface* first = table->cellAt(0, column);
        QCOMPARE(first->text(QAccessible::Name),
                 grid->item(1, column) ? grid->item(1, column)->text().trimmed() : QString());
        const QList<QAccessibleInterface*> headers =
            first->tableCellInterface()->columnHeaderCells();
        QCOMPARE(headers.size(), 1);
        QCOMPARE(headers[0]->role(), QAccessible::ColumnHeader);
        QCOMPARE(headers[0]->text(QAccessible::Name), heading);
    }
    Form3->hide();
}

QTEST_MAIN(TestAccessibleInterfaces)
#include "test_accessibleinterfaces.moc"
