#include "clearing/clearing.h"

#include "clearing/form5.h"
#include "clearing/form6.h"
#include "mainwindow/form1.h"
#include "startup/form4.h"
#include "ui/toolkit.h"
#include "ui/windows.h"

namespace Clearing {

void ClearCurrentSet() {
    // With no set chosen there is nothing to clear.
    const Form1* main = Windows::find<Form1>();
    if (!Windows::find<Form5>() && (!main || main->currentSlot() == 0))
        return Form1::remindToChooseASet();
    if (!Toolkit::current().confirm(
            QStringLiteral("Are you sure you want to clear the current set?"),
            QStringLiteral("WARNING")))
        return;
    // A run already under way is only brought to the front; its window never runs twice.
    Windows::show<Form5>();
}

void ClearAll() {
    if (!Toolkit::current().confirm(QStringLiteral("Are you sure you want to DELETE EVERYTHING?"),
                                    QStringLiteral("WARNING")))
        return;
    // The progress window opens first, so that some window of the program stays open. A new
    // password entered meanwhile would open a main window the clear knows nothing of: what was
    // typed there goes with the screen.
    Windows::show<Form6>();
    Windows::unload<Form1>();
    Windows::unload<Form4>();
}

} // namespace Clearing
