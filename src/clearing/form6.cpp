#include "clearing/form6.h"

#include "ui/windows.h"

#include <QCloseEvent>
#include <QLabel>
#include <QTimer>

Form6::Form6() {
    setObjectName(QStringLiteral("Form6"));
    Label1 = new QLabel(this);
    Timer1 = new QTimer(this);
}

void Form6::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
}

void Form6::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Windows::forget(this);
}
