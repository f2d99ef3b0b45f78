#include "Accessibility.h"

#include "ClickArea.h"

#include <QAccessibleWidget>
#include <QComboBox>
#include <QDialog>

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

// A drop-down named by what it chooses; the item it holds is its value.
class AccessibleChoice : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccessibleChoice(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
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

    // The value as a position in the list, for tools that read values as numbers.
    QVariant currentValue() const override { return box()->currentIndex(); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return box()->count() - 1; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

bool isOwnClass(const QObject* object) {
    // The toolkit's own windows (message boxes, file dialogs) keep their interfaces.
    return !QByteArray(object->metaObject()->className()).startsWith('Q');
}

QAccessibleInterface* programInterfaces(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || !isOwnClass(object))
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
