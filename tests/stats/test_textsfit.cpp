// Every text of the windows fits whole into its control, measured with the control's own
// font, also when the statistics count millions of rows.
#include "AppState.h"
#include "AppWindows.h"
#include "CaptionLabel.h"
#include "StatisticsWindows.h"
#include "StatsFixture.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TSuchPage.h"
#include "VerticalCaption.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

using namespace StatsFixture;

class TestTextsFit : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyLabelFitsAfterTheStart();
    void selectionCountFits_data();
    void selectionCountFits();
    void scaleCaptionFits_data();
    void scaleCaptionFits();

private:
    std::unique_ptr<AppFixture> m_app;
};

namespace {

// Why a label's text does not fit whole, or empty when it does.
QString overflow(const QLabel* label) {
    const QRect room = label->contentsRect();
    const QRect needed =
        label->fontMetrics().boundingRect(room, int(label->alignment()), label->text());
    if (room.contains(needed) || label->text().isEmpty())
        return {};
    return QStringLiteral("%1 \"%2\" needs %3x%4 in %5x%6")
        .arg(label->objectName(), label->text())
        .arg(needed.width())
        .arg(needed.height())
        .arg(room.width())
        .arg(room.height());
}

QList<QWidget*> statWindows() {
    return {Form3, Form5, Form6};
}

} // namespace

void TestTextsFit::init() {
    m_app = std::make_unique<AppFixture>();
    QVERIFY(m_app->makeArchive());
    QCOMPARE(m_app->start(), StartupOutcome::Running);
}

void TestTextsFit::cleanup() {
    m_app.reset();
}

void TestTextsFit::everyLabelFitsAfterTheStart() {
    State().HardDiskMode = 1; // the longer mode line
    Form2->Label9->setText(QStringLiteral("Festplatten-Modus"));
    Form2->FormShow();
    QList<QWidget*> windows = statWindows();
    windows << Form1 << Form2 << SuchPage;
    for (QWidget* window : windows) {
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            if (label->pixmap().isNull())
                QVERIFY2(overflow(label).isEmpty(), qPrintable(overflow(label)));
        }
    }
}

void TestTextsFit::selectionCountFits_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("designedSize");
    QTest::newRow("one") << 1 << true;
    QTest::newRow("9,999") << 9999 << true;
    QTest::newRow("100,000") << 100000 << false;
    QTest::newRow("1,000,000") << 1000000 << false;
    QTest::newRow("9,999,999") << 9999999 << false;
}

// The count keeps the designed 21 pixels where it fits and shrinks only when it must, never
// reaching the "Ok" button beside it.
void TestTextsFit::selectionCountFits() {
    QFETCH(int, rows);
    QFETCH(bool, designedSize);
    for (QWidget* window : statWindows()) {
        auto* label = window->findChild<CaptionLabel*>(QStringLiteral("Label4"));
        auto* ok = window->findChild<QPushButton*>(QStringLiteral("Button1"));
        QVERIFY(label && ok);
        const QString before = label->caption(); // "Auswahl:" before the first count
        label->setCaption(QStringLiteral("Auswahl: %1 Spiele").arg(rows));
        QVERIFY2(overflow(label).isEmpty(), qPrintable(overflow(label)));
        QVERIFY(label->geometry().right() < ok->x());
        QCOMPARE(label->font().family(), QStringLiteral("Arial"));
        if (designedSize)
            QCOMPARE(label->font().pixelSize(), 21);
        else
            QVERIFY(label->font().pixelSize() < 21 && label->font().pixelSize() >= 14);
        label->setCaption(before);
        QCOMPARE(label->font().pixelSize(), 21);
    }
}

void TestTextsFit::scaleCaptionFits_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::newRow("games") << "Form3"
                           << " Testanzahlschnitt (max=17026.2)";
    QTest::newRow("games, seven digits") << "Form3"
                                         << " Testanzahlschnitt (max=9999999.9)";
    QTest::newRow("disc") << "Form5"
                          << " Dateianzahlschnitt (max=9999999.9)";
    QTest::newRow("tips") << "Form6"
                          << " Tippsanzahlschnitt (max=9999999.9)";
    QTest::newRow("distribution") << "Form3"
                                  << " Maximum=9999999 Spiele";
}

void TestTextsFit::scaleCaptionFits() {
    QFETCH(QString, window);
    QFETCH(QString, caption);
    QWidget* w = nullptr;
    for (QWidget* candidate : statWindows())
        if (candidate->objectName() == window)
            w = candidate;
    QVERIFY(w);
    const QString name = caption.startsWith(QLatin1String(" Maximum"))
                             ? QStringLiteral("LMDLabel3")
                             : QStringLiteral("LMDLabel1");
    auto* box = w->findChild<VerticalCaption*>(name);
    QVERIFY(box);
    box->setText(caption);
    // The text runs along the box's height, inside the border and two pixels of space.
    const int room = box->height() - 2 * box->frameWidth() - 2;
    QVERIFY2(QFontMetrics(box->shownFont(), box).horizontalAdvance(caption) <= room,
             qPrintable(QStringLiteral("%1 in %2 pixels").arg(caption).arg(room)));
    QCOMPARE(box->font().pixelSize(), 11);
}

QTEST_MAIN(TestTextsFit)
#include "test_textsfit.moc"
