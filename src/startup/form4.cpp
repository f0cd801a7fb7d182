#include "startup/form4.h"

Form4::Form4() : PasswordScreen(QStringLiteral("Form4"), 3510) {}

void Form4::load() {
    showImportantNotice();
}

void Form4::Command1_Click() {
    // The old password is not asked for: whoever is in the main window may change it.
    // The main window is open already: it is only brought forward.
    if (recordPassword(true))
        openMainWindow();
}
