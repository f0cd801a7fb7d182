#include "startup/form2.h"

#include "core/password.h"
#include "ui/routines.h"
#include "ui/toolkit.h"

#include <QLineEdit>

Form2::Form2() : PasswordScreen(QStringLiteral("Form2"), 3630) {}

void Form2::load() {
    if (!Password::checking(Toolkit::current().dataFile()))
        showImportantNotice();
    else
        Text2->hide();
}

void Form2::Command1_Click() {
    const QString file = Toolkit::current().dataFile();
    if (!Password::checking(file)) {
        if (recordPassword(false))
            openMainWindow();
        return;
    }
    Core::Notice failed;
    switch (Password::check(file, Text1->text(), &failed)) {
    case Password::Check::Open:
        return openMainWindow();
    case Password::Check::Wrong:
        // One attempt per start.
        Ui::ShowNotice(Password::wrong());
        break;
    case Password::Check::Failed:
        Ui::ShowNotice(failed);
        break;
    }
    Toolkit::current().endProgram();
}
