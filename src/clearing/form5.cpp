#include "clearing/form5.h"

#include "ui/windows.h"

#include <QCloseEvent>
#include <QLabel>
#include <QTimer>

Form5::Form5() {
    setObjectName(QStringLiteral("Form5"));
    Label1 = new QLabel(this);
    Timer1 = new QTimer(this);
}

void Form5::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
}

void Form5::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Windows::forget(this);
}
