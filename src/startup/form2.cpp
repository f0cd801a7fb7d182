#include "startup/form2.h"

#include "mainwindow/form1.h"
#include "startup/passwordscreen.h"
#include "storage/profileroutines.h"
#include "ui/toolkit.h"
#include "ui/windows.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {
// Check mode once the main window has been loaded; set-password mode before.
bool checkMode() {
    return ProfileRoutines::ReadProfileValue(QStringLiteral("readone"), QStringLiteral("read1"),
                                             Toolkit::current().dataFile()) == QLatin1String("1");
}
} // namespace

Form2::Form2() {
    setObjectName(QStringLiteral("Form2"));
    PasswordScreen::layOut(this, 3630, Text1, Text2, Command1, Command2);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
}

void Form2::load() {
    if (!checkMode())
        PasswordScreen::showImportantNotice();
    else
        Text2->hide();
}

void Form2::Command1_Click() {
    if (!checkMode()) {
        if (PasswordScreen::recordPassword(Text1, Text2, false))
            openMainWindow();
        return;
    }
    const QString stored = ProfileRoutines::ReadProfileValue(
        QStringLiteral("readone"), QStringLiteral("read2"), Toolkit::current().dataFile());
    if (Text1->text().toLower() == stored.toLower()) {
        openMainWindow();
        return;
    }
    // One attempt per start.
    Toolkit::current().notice(QStringLiteral("Sorry, wrong password"), QStringLiteral("Sorry"));
    Toolkit::current().endProgram();
}

void Form2::Command2_Click() {
    PasswordScreen::showClue();
}

void Form2::openMainWindow() {
    QPointer<Form2> self(this);
    Windows::show<Form1>();
    if (self)
        Windows::unload(this);
}

void Form2::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Windows::forget(this);
}
