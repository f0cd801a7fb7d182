#include "startup/form3.h"

#include "ui/windows.h"

#include <QCloseEvent>
#include <QLabel>
#include <QTimer>

Form3::Form3() {
    setObjectName(QStringLiteral("Form3"));
    Label1 = new QLabel(this);
    Label2 = new QLabel(this);
    Label3 = new QLabel(this);
    Timer1 = new QTimer(this);
}

void Form3::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
}

void Form3::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Windows::forget(this);
}
