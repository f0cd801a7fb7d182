#include "startup/form2.h"

#include "storage/datafile.h"
#include "storage/profileroutines.h"
#include "ui/toolkit.h"

#include <QLineEdit>

namespace {
// Check mode once the main window has been loaded; set-password mode before.
bool checkMode() {
    return ProfileRoutines::ReadProfileValue(DataFile::StateSection, DataFile::LoadedKey,
                                             Toolkit::current().dataFile()) == DataFile::Loaded;
}
} // namespace

Form2::Form2() : PasswordScreen(QStringLiteral("Form2"), 3630) {}

void Form2::load() {
    if (!checkMode())
        showImportantNotice();
    else
        Text2->hide();
}

void Form2::Command1_Click() {
    if (!checkMode()) {
        if (recordPassword(false))
            openMainWindow();
        return;
    }
    const QString stored = ProfileRoutines::ReadProfileValue(
        DataFile::StateSection, DataFile::PasswordKey, Toolkit::current().dataFile());
    if (Text1->text().toLower() == stored.toLower()) {
        openMainWindow();
        return;
    }
    // One attempt per start.
    Toolkit::current().notice(QStringLiteral("Sorry, wrong password"), QStringLiteral("Sorry"));
    Toolkit::current().endProgram();
}
