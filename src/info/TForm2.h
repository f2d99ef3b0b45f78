#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The info window "Info", shown modally: title, version, mode and the latest issue of each
// table; in edit mode also the text export and, in the disc-content view, the import.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    QLabel* Label9;       // mode line
    QLabel* Label3;       // "Kalmor"
    QLabel* Label4;       // shadow of the title
    QLabel* Label5;       // title
    QLabel* Label6;       // version
    QLabel* Label8;       // reproduction rights
    QLabel* Label1;       // credits
    QLabel* Label2;       // database staff
    QLabel* Label7;       // data status line
    QPushButton* Button2; // export
    QPushButton* Button3; // import
    QPushButton* Button1; // "Ok"

    // Shows the window modally; `hardDisk` names the mode, `offerImport` shows the import.
    void showModal(bool hardDisk, bool offerImport);
    // Export is offered in edit mode only; leaving edit mode also takes the import away.
    void offerExport(bool on);

    void FormShow();
    void Button1Click();
    // Escape clicks "Ok".
    void connectKeys();
    void Button2Click();
    void Button3Click();

    // The status line for the latest issues held in the process-wide state.
    static QString dataStatusLine();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* addLabel(const char* name, const QString& text, const QRect& place, int pixelSize,
                     const QColor& colour, Qt::Alignment alignment);
    QPushButton* addButton(const char* name, const QString& caption, const QRect& place);
};
