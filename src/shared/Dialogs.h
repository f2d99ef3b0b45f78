#pragma once

#include <QString>
#include <functional>

class QFileDialog;
class QWidget;

// The program's message boxes and the file-open dialog, in one place so that tests can
// answer them without a person at the screen. Each opens above the window the user works
// in and takes the keyboard focus.
namespace Dialogs {

// A plain box titled "Vantora" with one OK button.
void message(const QString& text);
// The error box titled "Vantora"; a full stop is appended unless the text already ends in
// one or in a character that sorts before it.
void error(const QString& text);
// OK/Cancel confirmation; true for OK.
bool confirm(const QString& text);
// The file-open dialog, opened in `folder`; empty when cancelled.
QString openFile(const QString& defaultSuffix, const QString& filter,
                 const QString& folder = QString());
// Sets up a file-open dialog as openFile shows it.
void setUpOpenDialog(QFileDialog& dialog, const QString& defaultSuffix, const QString& filter);

// The text the error box shows for an error text.
QString errorText(const QString& text);
// How many error boxes were shown so far.
int errorsShown();

// Test hook: when set, it receives every box instead of the screen.
struct Handler {
    std::function<void(const QString&)> message;
    std::function<void(const QString&)> error;
    std::function<bool(const QString&)> confirm;
    std::function<QString(const QString& suffix, const QString& filter)> openFile;
};
void setHandler(const Handler* handler);

} // namespace Dialogs
