// The search page: its controls, and the search every change of a criterion runs.
#include "TSuchPage.h"

#include "AppState.h"
#include "ArtPalette.h"
#include "CapitalsValidator.h"
#include "ChoiceBox.h"
#include "ClickArea.h"
#include "ErrorGuard.h"
#include "KeyboardReach.h"
#include "SearchConditions.h"
#include "ToolFrame.h"
#include "Views.h"
#include "WindowLinks.h"
#include "artwork/Artwork.h"
#include "artwork/SearchPageLayout.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSignalBlocker>

namespace {

const QColor& kPageColour = ArtPalette::nearWhite;
const QColor kTextColour(0xFF, 0x00, 0x00);

QFont criteriaFont() {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(12);
    f.setBold(true);
    return f;
}

// Red bold text on the page colour, in the box and in its open list alike.
void paintLikeTheTitleBox(QWidget* w) {
    w->setFont(criteriaFont());
    QPalette p = w->palette();
    for (QPalette::ColorRole role : {QPalette::Base, QPalette::Button, QPalette::Window})
        p.setColor(role, kPageColour);
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
        p.setColor(role, kTextColour);
    w->setPalette(p);
}

QComboBox* choiceList(QWidget* parent, const char* name, const QRect& place, const QString& caption,
                      const QString& hint) {
    auto* box = new ChoiceBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(place);
    box->setEditable(false);
    paintLikeTheTitleBox(box);
    box->setToolTip(hint);
    box->setAccessibleName(caption);
    box->setAccessibleDescription(hint);
    return box;
}

} // namespace

TSuchPage::TSuchPage(QWidget* parent)
    : QWidget(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("SuchPage"));
    setWindowTitle(QStringLiteral("Auswahl-Modul"));
    ToolFrame::titleBarOnly(this);
    setFixedSize(SearchPageLayout::pictureSize);
    QPalette p = palette();
    p.setColor(QPalette::Window, kPageColour);
    setPalette(p);
    setAutoFillBackground(true);
    buildControls();
    connectHandlers();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    FormCreate();
}

void TSuchPage::buildControls() {
    Image3 = new QLabel(this);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->setGeometry(QRect(QPoint(0, 0), SearchPageLayout::pictureSize));
    Image3->setPixmap(Artwork::searchPageBackground(devicePixelRatioF()));
    Image3->setAccessibleName(windowTitle());

    const QString titleHint = QStringLiteral("Dieser Text muß im Titel vorkommen");
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(SearchPageLayout::titleBox);
    Edit1->setValidator(new CapitalsValidator(Edit1));
    paintLikeTheTitleBox(Edit1);
    Edit1->setToolTip(titleHint);
    Edit1->setAccessibleName(QStringLiteral("Titel-Suchbegriff"));
    Edit1->setAccessibleDescription(titleHint);

    ComboBox1 =
        choiceList(this, "ComboBox1", SearchPageLayout::ratingBox, QStringLiteral("Mindestwertung"),
                   QStringLiteral("Nur Spiele mit dieser Mindestwertung auswählen"));
    ComboBox1->addItems(Views::ratingItems());

    ComboBox2 =
        choiceList(this, "ComboBox2", SearchPageLayout::categoryBox, QStringLiteral("Genre / Art"),
                   QStringLiteral("Nur Einträge dieser Kategorie anzeigen"));
    ComboBox2->setCursor(Qt::PointingHandCursor);
    // The first view set-up adds the view's categories.
    ComboBox2->addItem(Views::kAll);

    Image2 =
        ClickArea::create(this, "Image2", SearchPageLayout::alleButton, QStringLiteral("Alle"));
    Image1 = ClickArea::create(this, "Image1", SearchPageLayout::okButton, QStringLiteral("OK"));

    setTabOrder(Edit1, ComboBox1);
    setTabOrder(ComboBox1, ComboBox2);
}

void TSuchPage::connectHandlers() {
    // Any change of the title text counts, typed or set by the program; the lists count only
    // when the user picks an item, so the program can set them without searching.
    connect(Edit1, &QLineEdit::textChanged, this, [this] { guarded([this] { Edit1Change(); }); });
    connect(ComboBox1, &QComboBox::activated, this,
            [this] { guarded([this] { ComboBox1Change(); }); });
    connect(ComboBox2, &QComboBox::activated, this,
            [this] { guarded([this] { ComboBox2Change(); }); });
    connect(Image2, &ClickArea::clicked, this, [this] { guarded([this] { Image2Click(); }); });
    connect(Image1, &ClickArea::clicked, this, &TSuchPage::Image1Click);
}

void TSuchPage::FormCreate() {
    ComboBox1->setCurrentIndex(0);
    ComboBox2->setCurrentIndex(0);
}

QString TSuchPage::titleText() const {
    return Edit1->text();
}

void TSuchPage::setTitleText(const QString& text) {
    Edit1->setText(text);
}

void TSuchPage::setCategories(const QStringList& categories, bool ratingApplies, bool editing) {
    ComboBox2->clear();
    ComboBox1->setEnabled(ratingApplies);
    // Setting the lists from here raises no change handling.
    const QSignalBlocker b1(ComboBox1);
    const QSignalBlocker b2(ComboBox2);
    ComboBox2->addItem(Views::kAll);
    ComboBox2->addItems(categories);
    if (editing) {
        ComboBox2->setCurrentIndex(-1);
    } else {
        ComboBox1->setCurrentIndex(0);
        ComboBox2->setCurrentIndex(0);
    }
}

int TSuchPage::categoryCount() const {
    return ComboBox2->count();
}

int TSuchPage::chosenCategory() const {
    return ComboBox2->currentIndex();
}

void TSuchPage::chooseCategory(int item) {
    {
        const QSignalBlocker block(ComboBox2);
        ComboBox2->setCurrentIndex(item);
    }
    Suchen();
}

void TSuchPage::Suchen() {
    AppState& s = State();
    const bool anyRating = ComboBox1->currentText() != Views::kAll;
    const bool anyCategory = ComboBox2->currentText() != Views::kAll;

    // Category first, then the rating.
    s.SelectionCondition = SearchConditions::selection(s.CategoryField, ComboBox2->currentText(),
                                                       ComboBox1->currentText());

    // The title condition stays as the title box last built it.
    if (!Links().rerunViewQuery())
        return;

    // The indicator follows the boxes, not the condition texts.
    const bool restricted = anyRating || anyCategory || !Edit1->text().isEmpty();
    Links().showSearchIndicator(restricted);

    // Open statistics follow the new selection; the page comes back in front of them.
    if (!isVisible())
        return;
    Links().refreshOpenStatistics([this] {
        show();
        raise();
    });
}

void TSuchPage::Edit1Change() {
    // The main window's box hands a change back only when its text differs, so the mirror
    // stops after one round.
    if (Links().mainTitleText() != Edit1->text())
        Links().setMainTitleText(Edit1->text());
    State().TitleCondition = SearchConditions::title(Edit1->text());
    Suchen();
}

void TSuchPage::ComboBox1Change() {
    Suchen();
}

void TSuchPage::ComboBox2Change() {
    // Row 0 of the statistics grids is their heading row.
    const int row = ComboBox2->currentIndex() + 1;
    Links().selectStatisticsRow(row);
    Suchen();
}

void TSuchPage::Image2Click() {
    AppState& s = State();
    // Setting the lists from here raises no change handling.
    ComboBox1->setCurrentIndex(0);
    ComboBox2->setCurrentIndex(0);
    // A box that held text runs its change once, which also empties the main window's box.
    Edit1->clear();
    s.TitleCondition.clear();
    s.SelectionCondition.clear();
    Suchen();
    hide();
}

void TSuchPage::Image1Click() {
    hide();
}

void TSuchPage::connectKeys() {
    KeyboardReach::pressInWindow(this, {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}, Image1);
    KeyboardReach::pressInWindow(this, {Qt::ALT | Qt::Key_A}, Image2);
}
