#include "clearing/form6.h"

#include "core/clears.h"
#include "ui/toolkit.h"
#include "ui/windowregistry.h"

#include <QLabel>

Form6::Form6()
    : ProgressWindow(QStringLiteral("Form6"), QStringLiteral("Clearing all"), 5370, 5295) {}

void Form6::runSequence() {
    Label1->setText(QStringLiteral("Deleting everything"));
    if (!pause(1))
        return;

    const Core::Notice failed = Clears::clearAll(Toolkit::current().dataFile());
    if (!failed.isNull() && !report(failed))
        return;
    if (!pause(1))
        return;

    // The password is in the new file already: this step is only shown.
    Label1->setText(QStringLiteral("Putting your password back in"));
    if (!pause(1))
        return;

    showNow(QStringLiteral("Reloading Registration Tallivor"));
    // Whatever main window was opened meanwhile, the one that follows is loaded afresh.
    Windows::unload(Windows::Window::Main);
    Windows::show(Windows::Window::Main);
    finish();
}
