#include "KeyboardReach.h"

#include "ClickArea.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>

namespace {

QShortcut* shortcut(QWidget* owner, const QKeySequence& key, Qt::ShortcutContext context) {
    auto* s = new QShortcut(key, owner);
    s->setContext(context);
    // A key held down presses once, as one click does.
    s->setAutoRepeat(false);
    return s;
}

// Names the key in the widget's accessible description, as German keyboards label it.
void namedKey(QWidget* widget, const QKeySequence& key) {
    const QString name = key.toString(QKeySequence::PortableText)
                             .replace(QLatin1String("Ctrl"), QLatin1String("Strg"))
                             .replace(QLatin1String("Return"), QLatin1String("Eingabe"));
    const QString before = widget->accessibleDescription();
    widget->setAccessibleDescription(before.isEmpty() ? QStringLiteral("Taste ") + name
                                                      : before + QStringLiteral(", Taste ") + name);
}

// Sends Tab from the grid to the box and from the box to the grid.
class TabSwitch : public QObject {
public:
    TabSwitch(QAbstractItemView* grid, QLineEdit* box, bool (*gridKeepsTab)())
        : QObject(grid), m_grid(grid), m_box(box), m_gridKeepsTab(gridKeepsTab) {
        grid->installEventFilter(this);
        box->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab)
            return false;
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        const bool backwards = key->key() == Qt::Key_Backtab;
        if (watched == m_grid && !m_gridKeepsTab()) {
            m_box->setFocus(backwards ? Qt::BacktabFocusReason : Qt::TabFocusReason);
            return true;
        }
        if (watched == m_box) {
            m_grid->setFocus(backwards ? Qt::BacktabFocusReason : Qt::TabFocusReason);
            return true;
        }
        return false;
    }

private:
    QAbstractItemView* m_grid;
    QLineEdit* m_box;
    bool (*m_gridKeepsTab)();
};

// Runs an action on Enter or Space in a view.
class RowKeys : public QObject {
public:
    RowKeys(QAbstractItemView* view, std::function<void()> action)
        : QObject(view), m_action(std::move(action)) {
        view->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (!plain || (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter &&
                       key->key() != Qt::Key_Space))
            return false;
        m_action();
        return true;
    }

private:
    std::function<void()> m_action;
};

} // namespace

namespace KeyboardReach {

void pressEverywhere(const QKeySequence& key, ClickArea* area) {
    namedKey(area, key);
    QObject::connect(shortcut(area, key, Qt::ApplicationShortcut), &QShortcut::activated, area,
                     &ClickArea::press);
}

void focusEverywhere(const QKeySequence& key, QLineEdit* box) {
    namedKey(box, key);
    QObject::connect(shortcut(box, key, Qt::ApplicationShortcut), &QShortcut::activated, box,
                     [box] {
                         QWidget* window = box->window();
                         window->raise();
                         window->activateWindow();
                         box->setFocus(Qt::ShortcutFocusReason);
                     });
}

void pressInWindow(QWidget* window, const QList<QKeySequence>& keys, ClickArea* area) {
    for (const QKeySequence& key : keys)
        namedKey(area, key);
    for (const QKeySequence& key : keys)
        QObject::connect(shortcut(window, key, Qt::WindowShortcut), &QShortcut::activated, area,
                         &ClickArea::press);
}

void clickInWindow(QWidget* window, const QList<QKeySequence>& keys, QAbstractButton* button) {
    for (const QKeySequence& key : keys)
        namedKey(button, key);
    for (const QKeySequence& key : keys)
        QObject::connect(shortcut(window, key, Qt::WindowShortcut), &QShortcut::activated, button,
                         [button] {
                             if (button->isEnabled() && button->isVisible())
                                 button->click();
                         });
}

void tabBetween(QAbstractItemView* grid, QLineEdit* box, bool (*gridKeepsTab)()) {
    new TabSwitch(grid, box, gridKeepsTab);
}

void onRowKeys(QAbstractItemView* view, std::function<void()> action) {
    new RowKeys(view, std::move(action));
}

} // namespace KeyboardReach
