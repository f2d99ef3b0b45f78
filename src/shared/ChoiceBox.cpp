#include "ChoiceBox.h"

#include <QAbstractItemView>
#include <QKeyEvent>

void ChoiceBox::showPopup() {
    QComboBox::showPopup();
    // Installed after the list's own handling, so it is asked first.
    view()->removeEventFilter(this);
    view()->installEventFilter(this);
}

bool ChoiceBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view() && event->type() == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // Accepted here, the key goes to the list as a key press; the list goes on to
        // handle it as it always does.
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
            event->accept();
    }
    return QComboBox::eventFilter(watched, event);
}
