#include "Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace Dialogs {

namespace {
const Handler* g_handler = nullptr;
const QString kTitle = QStringLiteral("Vantora");

QWidget* parentWindow() {
    return QApplication::activeWindow();
}
} // namespace

void setHandler(const Handler* handler) {
    g_handler = handler;
}

QString errorText(const QString& text) {
    if (!text.isEmpty() && text.back() <= QChar(u'.'))
        return text;
    return text + u'.';
}

void message(const QString& text) {
    if (g_handler && g_handler->message) {
        g_handler->message(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, kTitle, text, QMessageBox::Ok, parentWindow());
    box.exec();
}

void error(const QString& text) {
    const QString shown = errorText(text);
    if (g_handler && g_handler->error) {
        g_handler->error(shown);
        return;
    }
    QMessageBox box(QMessageBox::Critical, kTitle, shown, QMessageBox::Ok, parentWindow());
    box.exec();
}

bool confirm(const QString& text) {
    if (g_handler && g_handler->confirm)
        return g_handler->confirm(text);
    QMessageBox box(QMessageBox::Question, kTitle, text, QMessageBox::Ok | QMessageBox::Cancel,
                    parentWindow());
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

QString openFile(const QString& defaultSuffix, const QString& filter) {
    if (g_handler && g_handler->openFile)
        return g_handler->openFile(defaultSuffix, filter);
    QFileDialog dialog(parentWindow());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setNameFilter(filter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace Dialogs
