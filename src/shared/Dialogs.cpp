#include "Dialogs.h"

#include "GermanFileFigures.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace Dialogs {

namespace {
const Handler* g_handler = nullptr;
int g_errorsShown = 0;
const QString kTitle = QStringLiteral("Vantora");

bool staysOnTop(const QWidget* w) {
    return w && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

// The program's topmost visible window that stays on top (the wait window, the Info window,
// the search page, a statistics window), or nullptr.
QWidget* visibleOnTopWindow() {
    QWidget* found = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && staysOnTop(w) && !w->isMinimized())
            found = w;
    return found;
}

// The window the user works in: a modal one first (the Info window is shown modally), then
// the active one. Right after a file dialog closes, or while the program starts, no window
// may be active yet; then a window that stays on top, else the first visible window.
QWidget* parentWindow() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    if (QWidget* onTop = visibleOnTopWindow())
        return onTop;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !w->isMinimized())
            return w;
    return nullptr;
}

// Shows a box above every window of the program and gives it the keyboard focus. While a
// window that stays on top is visible (always so while the wait window exists), the box
// stays on top as well: a window manager keeps such windows above all others, and a box
// below one of them would be hidden and out of reach.
int execOnTop(QDialog& box) {
    if (visibleOnTopWindow() || staysOnTop(box.parentWidget()))
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.show();
    box.raise();
    box.activateWindow();
    return box.exec();
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
    execOnTop(box);
}

int errorsShown() {
    return g_errorsShown;
}

void error(const QString& text) {
    const QString shown = errorText(text);
    ++g_errorsShown;
    if (g_handler && g_handler->error) {
        g_handler->error(shown);
        return;
    }
    QMessageBox box(QMessageBox::Critical, kTitle, shown, QMessageBox::Ok, parentWindow());
    execOnTop(box);
}

bool confirm(const QString& text) {
    if (g_handler && g_handler->confirm)
        return g_handler->confirm(text);
    QMessageBox box(QMessageBox::Question, kTitle, text, QMessageBox::Ok | QMessageBox::Cancel,
                    parentWindow());
    box.setDefaultButton(QMessageBox::Cancel);
    return execOnTop(box) == QMessageBox::Ok;
}

void setUpOpenDialog(QFileDialog& dialog, const QString& defaultSuffix, const QString& filter) {
    // The toolkit's own dialog: its filter can match names in any letter case, it stacks
    // like the program's boxes, and it speaks the program's language on every desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setNameFilter(filter);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    dialog.setProxyModel(new GermanFileFigures(&dialog));
}

QString openFile(const QString& defaultSuffix, const QString& filter, const QString& folder) {
    if (g_handler && g_handler->openFile)
        return g_handler->openFile(defaultSuffix, filter);
    QFileDialog dialog(parentWindow(), QString(), folder);
    setUpOpenDialog(dialog, defaultSuffix, filter);
    if (execOnTop(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace Dialogs
