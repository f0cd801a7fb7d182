#include "clearing/clearing.h"

#include "clearing/form5.h"
#include "clearing/form6.h"
#include "core/clears.h"
#include "core/sets.h"
#include "ui/routines.h"
#include "ui/toolkit.h"
#include "ui/windowregistry.h"

namespace Clearing {

void ClearCurrentSet(int slot) {
    // A second clear would be lost on the one running: say so rather than ask.
    if (Windows::find<Form5>())
        return Ui::ShowNotice(Clears::alreadyClearing());
    // With no set chosen there is nothing to clear.
    if (slot == 0)
        return Ui::ShowNotice(Sets::chooseASet());
    if (!Toolkit::current().confirm(
            QStringLiteral("Are you sure you want to clear the current set?"),
            QStringLiteral("WARNING")))
        return;
    Windows::show<Form5>(slot);
}

void ClearAll() {
    if (!Toolkit::current().confirm(QStringLiteral("Are you sure you want to DELETE EVERYTHING?"),
                                    QStringLiteral("WARNING")))
        return;
    // The progress window opens first, so that some window of the program stays open. A new
    // password entered meanwhile would open a main window the clear knows nothing of: what was
    // typed there goes with the screen.
    Windows::show<Form6>();
    Windows::unload(Windows::Window::Main);
    Windows::unload(Windows::Window::ChangePassword);
}

} // namespace Clearing
