#include "runtime/Accessibility.h"

#include "runtime/Controls.h"
#include "runtime/Form.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace rt {

void describe(QWidget* control, const QString& name, const QString& description) {
    control->setAccessibleName(name);
    control->setAccessibleDescription(description);
}

namespace {

// A control the Tab key stops at by itself; one that hands its focus to another is a group
// (a notebook hands it to its tabs) whose parts are ordered in turn.
bool takesTab(const QWidget* w) {
    return (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy();
}

void collectByRows(const QWidget* container, std::vector<QWidget*>& chain) {
    std::vector<QWidget*> children;
    for (QObject* o : container->children())
        if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow())
            children.push_back(w);
    std::stable_sort(children.begin(), children.end(),
                     [](const QWidget* a, const QWidget* b) { return a->y() < b->y(); });
    for (auto row = children.begin(); row != children.end();) {
        const int top = (*row)->y();
        auto end = std::find_if(row, children.end(),
                                [top](const QWidget* w) { return w->y() >= top + kRowSlack; });
        std::stable_sort(row, end,
                         [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
        row = end;
    }
    for (QWidget* w : children) {
        if (takesTab(w))
            chain.push_back(w);
        else
            collectByRows(w, chain);
    }
}

} // namespace

std::vector<QWidget*> controlsByRows(const QWidget* container) {
    std::vector<QWidget*> chain;
    collectByRows(container, chain);
    std::erase_if(chain, [](const QWidget* w) { return !w->isVisible() || !w->isEnabled(); });
    return chain;
}

void showFocus(QWidget* control) {
    // Given to an active window, the focus by any reason but Tab clears the window's keyboard
    // mark; so the mark comes after.
    control->setFocus(Qt::OtherFocusReason);
    control->window()->setAttribute(Qt::WA_KeyboardFocusChange);
    control->update();
}

namespace {

// A window of the program is a frame to screen readers, named by its caption as it stands now
// (the caption reaches the window system on a path of its own, and a countdown in it is read
// when asked for, not told every second).
class FormInterface : public QAccessibleWidget {
public:
    explicit FormInterface(Form* form) : QAccessibleWidget(form, QAccessible::Window) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return static_cast<const Form*>(widget())->caption();
        return QAccessibleWidget::text(t);
    }
};

const char* const kAnnouncer = "quillet-announcer";

QAccessibleInterface* programInterface(const QString&, QObject* object) {
    if (auto* w = qobject_cast<QWidget*>(object); w && w->objectName() == QLatin1String(kAnnouncer))
        return new QAccessibleWidget(w, QAccessible::Notification);
    if (auto* picture = dynamic_cast<Image*>(object))
        return new QAccessibleWidget(picture, QAccessible::Graphic);
    if (auto* form = dynamic_cast<Form*>(object))
        return new FormInterface(form);
    return nullptr;
}

} // namespace

QWidget* announcer(QWidget* window) {
    return window->findChild<QWidget*>(QLatin1String(kAnnouncer), Qt::FindDirectChildrenOnly);
}

void announce(QWidget* window, const QString& text) {
    QWidget* to = announcer(window);
    if (!to) {
        to = new QWidget(window);
        to->setObjectName(QLatin1String(kAnnouncer));
        to->hide();
    }
    to->setAccessibleName(text);
    QAccessibleEvent shown(to, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

void registerAccessibleRoles() {
    static const bool registered = [] {
        QAccessible::installFactory(programInterface);
        return true;
    }();
    (void)registered;
}

} // namespace rt
