#include "ui/toolkit.h"

#include "storage/profileroutines.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QTime>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {
Toolkit* installed = nullptr;

QtToolkit& qtToolkit() {
    static QtToolkit toolkit;
    return toolkit;
}

bool showBox(const QString& text, const QString& title, bool withCancel) {
    QMessageBox box(QMessageBox::NoIcon, title, text,
                    withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Ok;
}
} // namespace

QString Toolkit::dataFile() const {
    return ProfileRoutines::DataFilePath(programFolder());
}

Toolkit& Toolkit::current() {
    return installed ? *installed : qtToolkit();
}

void Toolkit::install(Toolkit* toolkit) {
    installed = toolkit;
}

void QtToolkit::notice(const QString& text, const QString& title) {
    showBox(text, title, false);
}

bool QtToolkit::confirm(const QString& text, const QString& title) {
    return showBox(text, title, true);
}

double QtToolkit::clock() {
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

double QtToolkit::monotonic() {
    static const QElapsedTimer started = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return started.nsecsElapsed() / 1e9;
}

void QtToolkit::waitForEvents(double until) {
    const double remaining = std::clamp(until - monotonic(), 0.0, 86400.0);
    // Sleeps in the event loop instead of spinning; any event is handled as it comes.
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(std::ceil(remaining * 1000)), Qt::PreciseTimer, &loop,
                       &QEventLoop::quit);
    loop.exec();
}

void QtToolkit::endProgram() {
    if (m_ending)
        return;
    m_ending = true;
    for (QWidget* w : QApplication::topLevelWidgets())
        w->hide();
    QCoreApplication::exit(0);
}

QString QtToolkit::programFolder() const {
    return QCoreApplication::applicationDirPath();
}
