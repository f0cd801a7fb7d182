#include "clearing/form5.h"

#include "mainwindow/form1.h"
#include "storage/datafile.h"
#include "storage/profileroutines.h"
#include "storage/setnames.h"
#include "ui/toolkit.h"
#include "ui/windows.h"

#include <QLabel>

using ProfileRoutines::ProfileSnapshot;
using ProfileRoutines::ProfileWrite;
using namespace DataFile;

Form5::Form5()
    : ProgressWindow(QStringLiteral("Form5"), QStringLiteral("Clearing it out."), 4680, 4575) {}

void Form5::load() {
    const Form1* main = Windows::find<Form1>();
    m_slot = main ? main->currentSlot() : 0;
}

void Form5::runSequence() {
    QStringList names, numbers;
    for (int entry = 1; entry <= Entries; ++entry) {
        names << entryNameKey(entry);
        numbers << entryNumberKey(entry);
    }
    Label1->setText(QStringLiteral("Nullifying the names....."));
    clearStep(names, false);
    if (!pause(1))
        return;

    Label1->setText(QStringLiteral("Nullifying the values....."));
    clearStep(numbers, false);
    if (!pause(1))
        return;

    Label1->setText(QStringLiteral("Resetting the name....."));
    clearStep({SetNameKey}, true);
    if (!pause(1))
        return;

    if (!m_failure.isEmpty() &&
        !report(QStringLiteral("The set could not be cleared: ") + m_failure))
        return;

    showNow(QStringLiteral("Reloading Registration Tallivor"));
    // The main window was closed meanwhile (Exit, or its frame): the program ends now that the
    // clear is done.
    const bool closed = !Windows::find<Form1>();
    Windows::unload<Form1>();
    if (!closed)
        Windows::show<Form1>();
    finish();
    if (closed && !Toolkit::current().ending())
        Toolkit::current().endProgram();
}

void Form5::clearStep(const QStringList& keys, bool resetName) {
    // Once a step failed the rest is left as it is, for the report to describe.
    if (!m_failure.isEmpty() || m_slot == 0)
        return;
    bool keptName = false;
    QString reason;
    const bool written = ProfileRoutines::UpdateProfileValues(
        [&](const ProfileSnapshot& now, QString* refusal) {
            // The slot's name as stored now: a rename saved during a pause is followed.
            QStringList stored;
            for (int slot = 1; slot <= Slots; ++slot)
                stored << now.value(NamesSection, nameKey(slot));
            const QString section = stored.value(m_slot - 1);
            QList<ProfileWrite> writes;
            // Never into another set's section or the program's own, as a file edited by hand
            // could have it.
            switch (SetNames::judge(section, m_slot, stored, SetNames::Defaults::Allowed)) {
            case SetNames::Verdict::Blank:
                *refusal = QStringLiteral("the set has no name in the data file");
                return writes;
            case SetNames::Verdict::Reserved:
                *refusal = QStringLiteral("the set's name, \"%1\", is the name of the program's "
                                          "own data")
                               .arg(section);
                return writes;
            case SetNames::Verdict::AnotherSet:
                *refusal =
                    QStringLiteral("the set's name, \"%1\", belongs to another set").arg(section);
                return writes;
            case SetNames::Verdict::Default:
            case SetNames::Verdict::Ok:
                break;
            }
            for (const QString& key : keys)
                writes.append({section, key, QString()});
            if (resetName) {
                QStringList left = now.keysWithValues(section);
                left.removeIf([](const QString& key) {
                    return key.compare(SetNameKey, Qt::CaseInsensitive) == 0;
                });
                keptName = !left.isEmpty();
                if (!keptName)
                    writes.append({NamesSection, nameKey(m_slot), defaultName(m_slot)});
            }
            return writes;
        },
        Toolkit::current().dataFile(), &reason);
    if (!written)
        m_failure = reason;
    else if (keptName)
        m_failure = QStringLiteral("it was saved again during the clear, and keeps its name");
}
