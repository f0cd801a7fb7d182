#include "clearing/form6.h"

#include "mainwindow/form1.h"
#include "storage/datafile.h"
#include "storage/profileroutines.h"
#include "ui/toolkit.h"
#include "ui/windows.h"

#include <QLabel>

using ProfileRoutines::ProfileSnapshot;
using ProfileRoutines::ProfileWrite;
using namespace DataFile;

Form6::Form6()
    : ProgressWindow(QStringLiteral("Form6"), QStringLiteral("Clearing all"), 5370, 5295) {}

void Form6::runSequence() {
    Label1->setText(QStringLiteral("Deleting everything"));
    if (!pause(1))
        return;

    // One replacement instead of a delete and a later write: the file is never without the
    // password or the mark of a program that has been used, so no start could take it for a
    // first one and ask anyone for a new password. The password kept is the one stored at this
    // moment: one changed during the pause is not undone.
    QString reason;
    const bool replaced = ProfileRoutines::ReplaceProfileFile(
        [](const ProfileSnapshot& now, QString*) {
            QList<ProfileWrite> writes{
                {StateSection, PasswordKey, now.value(StateSection, PasswordKey)},
                {StateSection, LoadedKey, Loaded}};
            for (int slot = 1; slot <= Slots; ++slot)
                writes.append({NamesSection, nameKey(slot), defaultName(slot)});
            return writes;
        },
        Toolkit::current().dataFile(), &reason);
    if (!replaced && !report(QStringLiteral("Nothing was deleted: ") + reason))
        return;
    if (!pause(1))
        return;

    // The password is in the new file already: this step is only shown.
    Label1->setText(QStringLiteral("Putting your password back in"));
    if (!pause(1))
        return;

    showNow(QStringLiteral("Reloading Registration Tallivor"));
    // Whatever main window was opened meanwhile, the one that follows is loaded afresh.
    Windows::unload<Form1>();
    Windows::show<Form1>();
    finish();
}
