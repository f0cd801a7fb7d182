#include "ui/sequencetimer.h"

#include "ui/routines.h"
#include "ui/toolkit.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

SequenceTimer::SequenceTimer(QWidget* window) : QTimer(window) {
    setObjectName(QStringLiteral("Timer1"));
    setInterval(1);
    connect(this, &QTimer::timeout, this, &SequenceTimer::tick);
    // Started by the first paint, not by the window's creation: under X a timer started earlier
    // fires before the window is on screen.
    window->installEventFilter(this);
}

bool SequenceTimer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint)
        arm();
    // A window shown while the window manager starts may stay unmapped, and is never painted:
    // the sequence must not wait for a key press to get it painted.
    if (event->type() == QEvent::Show && !m_started)
        QTimer::singleShot(UnpaintedStartMs, this, &SequenceTimer::arm);
    return QTimer::eventFilter(watched, event);
}

void SequenceTimer::arm() {
    if (m_started)
        return;
    m_started = true;
    start();
}

void SequenceTimer::tick() {
    stop();
    // Pauses dispatch events: a tick that comes due during one must not start a second run.
    if (m_ran)
        return;
    m_ran = true;
    m_running = true;
    const QPointer<SequenceTimer> self(this);
    emit sequence();
    if (self)
        m_running = false;
}

bool SequenceTimer::pause(QObject* window, int seconds) {
    const QPointer<QObject> alive(window);
    Ui::Pause(seconds);
    return alive && !Toolkit::current().ending();
}
