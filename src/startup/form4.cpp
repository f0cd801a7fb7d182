#include "startup/form4.h"

#include "mainwindow/form1.h"
#include "startup/passwordscreen.h"
#include "ui/windows.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

Form4::Form4() {
    setObjectName(QStringLiteral("Form4"));
    PasswordScreen::layOut(this, 3510, Text1, Text2, Command1, Command2);
    connect(Command1, &QPushButton::clicked, this, &Form4::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form4::Command2_Click);
}

void Form4::load() {
    PasswordScreen::showImportantNotice();
}

void Form4::Command1_Click() {
    // The old password is not asked for: whoever is in the main window may change it.
    if (!PasswordScreen::recordPassword(Text1, Text2, true))
        return;
    QPointer<Form4> self(this);
    Windows::show<Form1>();
    if (self)
        Windows::unload(this);
}

void Form4::Command2_Click() {
    PasswordScreen::showClue();
}

void Form4::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Windows::forget(this);
}
