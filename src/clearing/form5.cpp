#include "clearing/form5.h"

#include "mainwindow/form1.h"
#include "storage/profileroutines.h"
#include "ui/toolkit.h"
#include "ui/windows.h"

#include <QLabel>
#include <QLineEdit>

Form5::Form5()
    : ProgressWindow(QStringLiteral("Form5"), QStringLiteral("Clearing it out."), 4680, 4575) {}

void Form5::runSequence() {
    m_main = Windows::find<Form1>();
    m_slotTag = m_main ? m_main->Label1->text() : QString();

    Label1->setText(QStringLiteral("Nullifying the names....."));
    for (int k = 1; k <= 15; ++k)
        clearKey(QStringLiteral("name%1").arg(k));
    if (!pause(1))
        return;

    Label1->setText(QStringLiteral("Nullifying the values....."));
    for (int k = 1; k <= 15; ++k)
        clearKey(QStringLiteral("num%1").arg(k));
    if (!pause(1))
        return;

    Label1->setText(QStringLiteral("Resetting the name....."));
    clearKey(QStringLiteral("Name"));
    // The slot tag was read at the start: choosing another set meanwhile doesn't move the reset.
    // With keys left uncleared the slot keeps its name, so that what is left can still be found.
    for (int slot = 1; slot <= 5 && m_cleared == 31; ++slot) {
        if (m_slotTag == QStringLiteral("set %1").arg(slot))
            write(QStringLiteral("Ruduze Vad Ovo"), QStringLiteral("Name%1").arg(slot),
                  QStringLiteral("Set %1").arg(slot));
    }
    if (!pause(1))
        return;

    if (!m_failure.isEmpty() &&
        !report(QStringLiteral("The set could not be cleared: ") + m_failure))
        return;

    showNow(QStringLiteral("Reloading Registration Tallivor"));
    Windows::unload<Form1>();
    Windows::show<Form1>();
    finish();
}

void Form5::clearKey(const QString& key) {
    // The top box is read for every write: a set chosen or renamed meanwhile takes the rest.
    // A main window loaded afresh meanwhile has no set: its top box names no section to clear.
    const Form1* main = Windows::find<Form1>();
    if (!main || main != m_main)
        return fail(QStringLiteral("the main window was closed during the clear"));
    // Never into another set's section, or the program's own.
    const QString section = main->Text(31)->text();
    switch (Form1::clashOf(section, m_slotTag)) {
    case Form1::Clash::Reserved:
        return fail(QStringLiteral("the name in the top box, \"%1\", is the name of the "
                                   "program's own data")
                        .arg(section));
    case Form1::Clash::AnotherSet:
        return fail(
            QStringLiteral("the name in the top box, \"%1\", belongs to another set").arg(section));
    case Form1::Clash::None:
        break;
    }
    if (write(section, key, QString()))
        ++m_cleared;
}

bool Form5::write(const QString& section, const QString& key, const QString& value) {
    QString reason;
    if (ProfileRoutines::WriteProfileValues({{section, key, value}}, Toolkit::current().dataFile(),
                                            &reason))
        return true;
    fail(reason.isEmpty() ? QStringLiteral("the data file could not be written") : reason);
    return false;
}

void Form5::fail(const QString& reason) {
    if (m_failure.isEmpty())
        m_failure = reason;
}
