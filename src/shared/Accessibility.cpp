#include "Accessibility.h"

#include "ClickArea.h"
#include "HeadedGridAccessible.h"

#include <QAccessibleWidget>
#include <QComboBox>
#include <QDialog>
#include <QMenu>

namespace {

const char kHidden[] = "vantoraAccessibleHidden";

bool isHidden(const QWidget* w) {
    return w->property(kHidden).toBool();
}

// One of the program's windows; its children are those screen readers should find.
class AccessibleWindow : public QAccessibleWidget {
public:
    AccessibleWindow(QWidget* window, QAccessible::Role role) : QAccessibleWidget(window, role) {}

    int childCount() const override { return int(children().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> list = children();
        return index >= 0 && index < list.size()
                   ? QAccessible::queryAccessibleInterface(list[index])
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child ? int(children().indexOf(qobject_cast<QWidget*>(child->object()))) : -1;
    }

private:
    QList<QWidget*> children() const {
        QList<QWidget*> list;
        for (QObject* o : widget()->children()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w && !w->isWindow() && !isHidden(w))
                list.append(w);
        }
        return list;
    }
};

// A click area: a push button that can be pressed and focused.
class AccessibleClickArea : public QAccessibleWidget {
public:
    explicit AccessibleClickArea(ClickArea* area) : QAccessibleWidget(area, QAccessible::Button) {}

    QStringList actionNames() const override { return {pressAction(), setFocusAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction())
            static_cast<ClickArea*>(widget())->press();
        else
            QAccessibleWidget::doAction(name);
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        if (name == pressAction())
            return {QStringLiteral("Return"), QStringLiteral("space")};
        return QAccessibleWidget::keyBindingsForAction(name);
    }
};

// A drop-down named by what it chooses; the item it holds is its value and its text, read
// as the words shown (a value interface would hand screen readers the item's number).
class AccessibleChoice : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit AccessibleChoice(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return box()->currentText();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {showMenuAction(), setFocusAction()}; }
    void doAction(const QString& name) override {
        if (name == showMenuAction())
            box()->showPopup();
        else
            QAccessibleWidget::doAction(name);
    }

    // The chosen item's words, read-only, with no caret or selection of their own.
    QString text(int startOffset, int endOffset) const override {
        return box()->currentText().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(box()->currentText().size()); }
    void selection(int, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

private:
    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

bool isOwnClass(const QObject* object) {
    // The toolkit's own windows (message boxes, file dialogs) keep their interfaces.
    return !QByteArray(object->metaObject()->className()).startsWith('Q');
}

QAccessibleInterface* programInterfaces(const QString& className, QObject* object) {
    if (QAccessibleInterface* grid = HeadedGridAccessible::interfaceFor(object))
        return grid;
    auto* widget = qobject_cast<QWidget*>(object);
    // A menu of the program's own is a menu with its lines as items, as the toolkit shows it.
    if (!widget || !isOwnClass(object) || qobject_cast<QMenu*>(object))
        return nullptr;
    if (auto* area = qobject_cast<ClickArea*>(object))
        return new AccessibleClickArea(area);
    if (auto* box = qobject_cast<QComboBox*>(object))
        return new AccessibleChoice(box);
    // Only the most derived class decides; the factory is asked again for each base class.
    if (widget->isWindow() && className == QLatin1String(object->metaObject()->className())) {
        const bool frame =
            !qobject_cast<QDialog*>(widget) && !(widget->windowFlags() & (Qt::Tool & ~Qt::Window));
        return new AccessibleWindow(widget, frame ? QAccessible::Window : QAccessible::Dialog);
    }
    return nullptr;
}

} // namespace

namespace Accessibility {

void install() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(programInterfaces);
}

void hideFromScreenReaders(QWidget* widget) {
    widget->setProperty(kHidden, true);
}

} // namespace Accessibility
