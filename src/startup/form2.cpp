#include "startup/form2.h"

#include "ui/windows.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>

Form2::Form2() {
    setObjectName(QStringLiteral("Form2"));
    Text1 = new QLineEdit(this);
    Text2 = new QLineEdit(this);
    Command1 = new QPushButton(this);
    Command2 = new QPushButton(this);
}

void Form2::load() {}

void Form2::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Windows::forget(this);
}
