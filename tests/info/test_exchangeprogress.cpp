// Long exports and imports: the progress window, and what a click on "Abbrechen" leaves.
#include "AppFixture.h"
#include "AppState.h"
#include "AppWindows.h"
#include "ClickArea.h"
#include "ExchangeProgressDialog.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TestSupport.h"
#include "UserSteps.h"

#include <QDir>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// Clicks "Abbrechen" as soon as the progress window shows, and keeps what it showed.
class CancelOnSight : public QObject {
public:
    CancelOnSight() {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QProgressDialog*>(w);
                if (!dialog || !dialog->isVisible() || clicked)
                    continue;
                label = dialog->findChild<QLabel*>()->text();
                modality = dialog->windowModality();
                if (auto* button = dialog->findChild<QPushButton*>()) {
                    buttonText = button->text();
                    button->click();
                    clicked = true;
                }
            }
        });
        m_timer.start(0);
    }
    bool clicked = false;
    QString label;
    QString buttonText;
    Qt::WindowModality modality = Qt::NonModal;

private:
    QTimer m_timer;
};

} // namespace

class TestExchangeProgress : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cancelledImportKeepsWholeGroupsAndSaysSo();
    void cancelledExportLeavesTheOlderFileAsItWas();

private:
    void editDiscTable() {
        UserSteps::showView(UserSteps::Disc);
        UserSteps::switchEditMode();
        QCOMPARE(State().EditMode, 1);
    }
    QStringList discRows() const {
        return TestSupport::readTable(m_app->dataDir() + QStringLiteral("/CDData.DB"),
                                      QStringLiteral("CDData"));
    }
    AppFixture* m_app = nullptr;
};

void TestExchangeProgress::init() {
    // The window shows at once, so the tests need no long work to see it.
    ExchangeProgressDialog::setDelay(0);
    m_app = new AppFixture;
    QVERIFY(m_app->makeArchive());
    QCOMPARE(m_app->start(), StartupOutcome::Running);
    editDiscTable();
}

void TestExchangeProgress::cleanup() {
    delete m_app;
    m_app = nullptr;
    ExchangeProgressDialog::setDelay(500);
}

void TestExchangeProgress::cancelledImportKeepsWholeGroupsAndSaysSo() {
    const int lines = 9000;
    QByteArray file;
    for (int i = 0; i < lines; ++i)
        file += "Titel " + QByteArray::number(i) + "\t2002/05\tDemo\tCD\r\n";
    const QStringList before = discRows();
    CancelOnSight cancel;
    m_app->openFileAnswer = m_app->writeImportFile(file);
    Form2->Button3->click();

    QVERIFY(cancel.clicked);
    QVERIFY2(cancel.label.endsWith(QStringLiteral(" von 9000 Datensätzen")),
             qPrintable(cancel.label));
    QCOMPARE(cancel.buttonText, QStringLiteral("Abbrechen"));
    QCOMPARE(cancel.modality, Qt::ApplicationModal);

    // Whole groups of records only, the first ones of the file, and the box counts them.
    const QStringList after = discRows();
    const int stored = int(after.size() - before.size());
    QVERIFY2(stored > 0 && stored < lines && stored % 2000 == 0,
             qPrintable(QString::number(stored)));
    QCOMPARE(after.mid(0, before.size()), before);
    QCOMPARE(after.constLast(), QStringLiteral("Titel %1|2002/05|Demo|CD").arg(stored - 1));
    QCOMPARE(m_app->boxes,
             QStringList{QStringLiteral("message: Import abgebrochen.\r%1 Datensätze "
                                        "eingefügt.\rDer Rest der Datei wurde nicht übernommen.")
                             .arg(stored)});
    QCOMPARE(Form1->Table1.recordCount(), after.size());
}

void TestExchangeProgress::cancelledExportLeavesTheOlderFileAsItWas() {
    const QString target = m_app->dataDir() + QStringLiteral("/CDData.db.txt");
    const QByteArray older("an older export\r\nwith two lines\r\n");
    {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        QCOMPARE(old.write(older), older.size());
    }
    const QStringList filesBefore = QDir(m_app->dataDir()).entryList(QDir::Files);
    CancelOnSight cancel;
    Form2->Button2->click();

    QVERIFY(cancel.clicked);
    QVERIFY2(cancel.label.endsWith(QStringLiteral(" von 60 Datensätzen")),
             qPrintable(cancel.label));
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), older);
    QCOMPARE(QDir(m_app->dataDir()).entryList(QDir::Files), filesBefore);
    QVERIFY(m_app->boxes.isEmpty());
    // Nothing of the progress window is left behind.
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<QProgressDialog*>(w));
}

QTEST_MAIN(TestExchangeProgress)
#include "test_exchangeprogress.moc"
