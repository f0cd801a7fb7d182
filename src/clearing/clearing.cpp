#include "clearing/clearing.h"

#include "clearing/form5.h"
#include "clearing/form6.h"
#include "mainwindow/form1.h"
#include "ui/toolkit.h"
#include "ui/windows.h"

namespace Clearing {

void ClearCurrentSet() {
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
    // The progress window opens first, so that some window of the program stays open.
    Windows::show<Form6>();
    Windows::unload<Form1>();
}

} // namespace Clearing
