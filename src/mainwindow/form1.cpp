#include "mainwindow/form1.h"

#include "ui/windows.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

Form1::Form1() {
    setObjectName(QStringLiteral("Form1"));
    auto* central = new QWidget(this);
    setCentralWidget(central);
    Label1 = new QLabel(central);
    Label2 = new QLabel(central);
    for (int n = 1; n <= 31; ++n) {
        m_text[n - 1] = new QLineEdit(central);
        m_text[n - 1]->setObjectName(QStringLiteral("Text%1").arg(n));
    }
    for (int s = 1; s <= 5; ++s)
        m_setEntries[s - 1] = new QAction(this);
    asset1 = new QAction(this);
}

void Form1::load() {}

void Form1::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        Windows::forget(this);
}
