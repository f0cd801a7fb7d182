#include "clearing/form6.h"

#include "mainwindow/form1.h"
#include "storage/profileroutines.h"
#include "ui/toolkit.h"
#include "ui/windows.h"

#include <QLabel>

namespace {
const QString readone = QStringLiteral("readone");
const QString read2 = QStringLiteral("read2");
} // namespace

Form6::Form6()
    : ProgressWindow(QStringLiteral("Form6"), QStringLiteral("Clearing all"), 5370, 5295) {}

void Form6::runSequence() {
    const QString password =
        ProfileRoutines::ReadProfileValue(readone, read2, Toolkit::current().dataFile());

    Label1->setText(QStringLiteral("Deleting everything"));
    if (!pause(1))
        return;

    // One replacement instead of a delete and a later write: at no moment is the file without
    // the password, whatever happens between the steps.
    QString reason;
    const bool replaced = ProfileRoutines::ReplaceProfileFile(
        {{readone, read2, password}}, Toolkit::current().dataFile(), &reason);
    if (!replaced && reason.isEmpty())
        reason = QStringLiteral("the data file could not be replaced");
    if (!replaced && !report(QStringLiteral("Nothing was deleted: ") + reason))
        return;
    if (!pause(1))
        return;

    Label1->setText(QStringLiteral("Putting your password back in"));
    // The old file stays whole when nothing was deleted; writing to it could only change it.
    if (replaced)
        ProfileRoutines::WriteProfileValue(readone, read2, password, Toolkit::current().dataFile());
    if (!pause(1))
        return;

    showNow(QStringLiteral("Reloading Registration Tallivor"));
    Windows::show<Form1>();
    finish();
}
