#include "clearing/progresswindow.h"

#include "storage/routines.h"
#include "ui/icons.h"
#include "ui/layout.h"
#include "ui/toolkit.h"
#include "ui/windows.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QTimer>

ProgressWindow::ProgressWindow(const QString& name, const QString& caption, int clientWidthTwips,
                               int labelWidthTwips) {
    setObjectName(name);
    setWindowTitle(caption);
    setWindowIcon(Icons::progress());
    // A fixed frame with a title bar and no maximize or minimize button.
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const QRect client = Layout::rect(3600, 3375, clientWidthTwips, 735);
    move(client.topLeft());
    setFixedSize(client.size());

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Layout::rect(0, 120, labelWidthTwips, 975));
    Label1->setFont(QFont(QStringLiteral("MS Sans Serif"), 18, QFont::Normal));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setWordWrap(true);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1);
    connect(Timer1, &QTimer::timeout, this, &ProgressWindow::tick);
}

void ProgressWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // Started only now, so that the window is on screen before the first step.
    if (!m_started) {
        m_started = true;
        Timer1->start();
    }
}

void ProgressWindow::tick() {
    Timer1->stop();
    // Pause dispatches events, and a tick that came due then must not start a second run.
    if (m_running)
        return;
    m_running = true;
    runSequence();
}

bool ProgressWindow::goOn() const {
    return !Toolkit::current().ending();
}

bool ProgressWindow::pause(int seconds) {
    const QPointer<ProgressWindow> self(this);
    ProfileRoutines::Pause(seconds);
    return self && goOn();
}

bool ProgressWindow::report(const QString& text) {
    const QPointer<ProgressWindow> self(this);
    Toolkit::current().notice(text, QStringLiteral("Tallivor II"));
    return self && goOn();
}

void ProgressWindow::showNow(const QString& text) {
    Label1->setText(text);
    Label1->repaint();
}

void ProgressWindow::finish() {
    m_running = false;
    Windows::unload(this);
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
    // There is nothing to cancel: a half-run sequence would leave the data half cleared.
    if (m_running) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Windows::forget(this);
}
