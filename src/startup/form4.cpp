#include "startup/form4.h"

#include "ui/windows.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>

Form4::Form4() {
    setObjectName(QStringLiteral("Form4"));
    Text1 = new QLineEdit(this);
    Text2 = new QLineEdit(this);
    Command1 = new QPushButton(this);
    Command2 = new QPushButton(this);
}

void Form4::load() {}

void Form4::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Windows::forget(this);
}
