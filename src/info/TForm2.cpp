#include "TForm2.h"

#include "Accessibility.h"
#include "AppState.h"
#include "ArtPalette.h"
#include "ErrorGuard.h"
#include "FittingLabel.h"
#include "GradientBackground.h"
#include "KeyboardReach.h"
#include "ToolFrame.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace {

const QColor& kLavender = ArtPalette::headingBlue;
const QColor& kOffWhite = ArtPalette::nearWhite;
const QColor& kDarkBlue = ArtPalette::darkBlue;

QFont boldArial(int pixelSize) {
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace

TForm2::TForm2(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Info"));
    ToolFrame::closeButtonOnly(this);
    setFixedSize(441, 224);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kDarkBlue);
    setPalette(pal);

    const auto left = Qt::AlignLeft | Qt::AlignTop;
    const auto centre = Qt::AlignHCenter | Qt::AlignTop;
    Label9 =
        addLabel("Label9", QStringLiteral("CD/DVD-Modus"), {8, 8, 161, 17}, 11, kLavender, left);
    Label3 = addLabel("Label3", QStringLiteral("Kalmor"), {16, 8, 409, 25}, 21, kOffWhite, centre);
    // The shadow first, so that the title is drawn over it.
    Label4 =
        addLabel("Label4", QStringLiteral("Vantora"), {17, 26, 409, 57}, 43, kDarkBlue, centre);
    // Screen readers skip what is only decoration.
    Accessibility::hideFromScreenReaders(Label4);
    Label5 =
        addLabel("Label5", QStringLiteral("Vantora"), {14, 22, 409, 57}, 43, kOffWhite, centre);
    Label6 = addLabel("Label6", QStringLiteral("V 3.5c"), {320, 32, 81, 17}, 11, kLavender, left);
    Label8 =
        addLabel("Label8", QStringLiteral("Alle Rechte der Wiedergabe: Kalmor Verlag, Lindhafen"),
                 {16, 78, 409, 17}, 13, Qt::white, centre);
    Label1 = addLabel("Label1",
                      QStringLiteral("Programm und Gestaltung: Kalmor Software-Werkstatt\n"
                                     "Texte und Wertungen: die Redaktion des Kalmor Verlags"),
                      {16, 96, 409, 33}, 13, kOffWhite, centre);
    Label2 = addLabel("Label2", QStringLiteral("Datenbank-Pflege: das Vantora-Archivteam"),
                      {16, 136, 409, 25}, 13, kLavender, centre);
    Label7 = addLabel("Label7", QStringLiteral("- - -"), {16, 152, 409, 25}, 13, kLavender, centre);

    Button2 = addButton("Button2", QStringLiteral("ASCII-Export (.txt)"), {32, 184, 129, 25});
    Button2->setToolTip(QStringLiteral("Exportiert die aktuelle Tabelle als TXT-Datei mit\n"
                                       "Tabulator-Trennzeichen in das DATA-Verzeichnis."));
    Button2->setAccessibleDescription(Button2->toolTip());
    Button3 = addButton("Button3", QStringLiteral("ASCII-Import (.txt)"), {176, 184, 137, 25});
    Button1 = addButton("Button1", QStringLiteral("Ok"), {352, 184, 59, 25});
    Button1->setDefault(true);
    Button2->hide();
    Button3->hide();

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { Button2Click(); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { guarded([this] { Button3Click(); }); });
}

QLabel* TForm2::addLabel(const char* name, const QString& text, const QRect& place, int pixelSize,
                         const QColor& colour, Qt::Alignment alignment) {
    auto* label = new FittingLabel(this);
    label->setText(text);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(place);
    label->setFont(boldArial(pixelSize));
    label->setAlignment(alignment);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setAutoFillBackground(false);
    label->setTextFormat(Qt::PlainText);
    label->setContentsMargins(0, 0, 0, 0);
    label->setMargin(0);
    label->setIndent(0);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
    return label;
}

QPushButton* TForm2::addButton(const char* name, const QString& caption, const QRect& place) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(place);
    button->setFont(boldArial(13));
    // Enter presses the focused button, as Space does.
    button->setAutoDefault(true);
    QPalette pal = button->palette();
    pal.setColor(QPalette::ButtonText, Qt::black);
    button->setPalette(pal);
    button->setAccessibleName(caption);
    return button;
}

QString TForm2::dataStatusLine() {
    const AppState& s = State();
    return QStringLiteral("Aktuelle Daten: %1/%2 (Spiele); %3/%4 (CD); %5/%6 (Tips)")
        .arg(s.GamesLastMonth)
        .arg(s.GamesLastYear)
        .arg(s.DiscLastMonth)
        .arg(s.DiscLastYear)
        .arg(s.TipsLastMonth)
        .arg(s.TipsLastYear);
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* shown = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(shown->availableGeometry().center());
        move(frame.topLeft());
    }
    // Opened by its key or its button, it takes the keys at once, also without a window
    // manager to hand them over.
    activateWindow();
    FormShow();
}

void TForm2::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    GradientBackground::paint(painter, rect());
}

void TForm2::showModal(bool hardDisk, bool offerImport) {
    if (hardDisk)
        Label9->setText(QStringLiteral("Festplatten-Modus"));
    Button3->setVisible(offerImport);
    exec();
}

void TForm2::offerExport(bool on) {
    Button2->setVisible(on);
    if (!on)
        Button3->setVisible(false);
}

void TForm2::FormShow() {
    Label7->setText(dataStatusLine());
    // The mode and status lines are set from outside; each text shows whole.
    for (FittingLabel* label : findChildren<FittingLabel*>())
        label->refit();
}

void TForm2::Button1Click() {
    accept();
}

void TForm2::connectKeys() {
    KeyboardReach::clickInWindow(this, {Qt::Key_Escape}, Button1);
}
