#include "clearing/progresswindow.h"

#include "ui/accessibility.h"
#include "ui/fittinglabel.h"
#include "ui/icons.h"
#include "ui/layout.h"
#include "ui/routines.h"
#include "ui/sequencetimer.h"
#include "ui/toolkit.h"
#include "ui/windowregistry.h"

#include <QCloseEvent>
#include <QPointer>

ProgressWindow::ProgressWindow(const QString& name, const QString& caption, int clientWidthTwips,
                               int labelWidthTwips) {
    Accessibility::exposeAsWindow(this);
    setObjectName(name);
    setWindowTitle(caption);
    setWindowIcon(Icons::progress());
    // A fixed frame with a title bar and no maximize or minimize button.
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const QRect client = Layout::rect(3600, 3375, clientWidthTwips, 735);
    move(client.topLeft());
    setFixedSize(client.size());

    Label1 = new FittingLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Layout::rect(0, 120, labelWidthTwips, 975));
    // On Windows "MS Sans Serif" is a bitmap font that Qt does not use: its TrueType successor.
    QFont font(QStringLiteral("MS Sans Serif"), 18, QFont::Normal);
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif")});
    Label1->setFont(font);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Timer1 = new SequenceTimer(this);
    connect(Timer1, &SequenceTimer::sequence, this, &ProgressWindow::runSequence);
}

bool ProgressWindow::running() const {
    return Timer1->running();
}

bool ProgressWindow::pause(int seconds) {
    return SequenceTimer::pause(this, seconds);
}

bool ProgressWindow::report(const Core::Notice& notice) {
    const QPointer<ProgressWindow> self(this);
    Ui::ShowNotice(notice);
    return self && !Toolkit::current().ending();
}

void ProgressWindow::showNow(const QString& text) {
    Label1->setText(text);
    Label1->repaint();
}

void ProgressWindow::finish() {
    Windows::unload(this);
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
    // There is nothing to cancel: a half-run sequence would leave the data half cleared.
    if (running()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
    Windows::forget(this);
}
