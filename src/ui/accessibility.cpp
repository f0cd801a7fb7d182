#include "ui/accessibility.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

const char* const WindowProperty = "tallivorWindow";

QAccessibleInterface* windowFactory(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    // Only for the class itself: its base classes are asked too, and must not get a second one.
    if (!widget || !widget->property(WindowProperty).toBool() ||
        className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Window);
}

} // namespace

namespace Accessibility {

void exposeAsWindow(QWidget* window) {
    static const bool installed = [] {
        QAccessible::installFactory(windowFactory);
        return true;
    }();
    (void)installed;
    window->setProperty(WindowProperty, true);
}

} // namespace Accessibility
