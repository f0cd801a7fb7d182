#include "clearing/form5.h"

#include "core/clears.h"
#include "ui/routines.h"
#include "ui/toolkit.h"
#include "ui/windowregistry.h"

#include <QLabel>

Form5::Form5(int slot)
    : ProgressWindow(QStringLiteral("Form5"), QStringLiteral("Clearing it out."), 4680, 4575),
      m_slot(slot) {}

void Form5::runSequence() {
    using Clears::Step;
    static constexpr struct {
        const char* text;
        Step step;
    } steps[] = {{"Nullifying the names.....", Step::Names},
                 {"Nullifying the values.....", Step::Numbers},
                 {"Resetting the name.....", Step::Name}};
    for (const auto& s : steps) {
        Label1->setText(QLatin1String(s.text));
        // Once a step failed the rest is left as it is, for the report to describe.
        if (m_failure.isNull())
            m_failure = Clears::clearStep(Toolkit::current().dataFile(), m_slot, s.step);
        if (!pause(1))
            return;
    }
    if (!m_failure.isNull() && !report(m_failure))
        return;

    showNow(QStringLiteral("Reloading Registration Tallivor"));
    // The main window was closed meanwhile (Exit, or its frame): the program ends now that the
    // clear is done.
    const bool closed = !Windows::find(Windows::Window::Main);
    Windows::unload(Windows::Window::Main);
    if (!closed)
        Windows::show(Windows::Window::Main);
    finish();
    if (closed && !Toolkit::current().ending())
        Toolkit::current().endProgram();
}
