#include "core/password.h"

#include "storage/datafile.h"
#include "storage/profileroutines.h"

using namespace DataFile;

namespace Password {

bool checking(const QString& file) {
    return ProfileRoutines::ReadProfileValue(StateSection, LoadedKey, file) == Loaded;
}

Recorded record(const QString& file, const QString& password, const QString& clue,
                bool markLoaded) {
    Recorded r;
    r.clue = password.isEmpty() ? QStringLiteral("No Password") : clue;
    if (r.clue == CluePrompt) {
        r.notice = {QStringLiteral("Reminder"), CluePrompt};
        return r;
    }
    QList<ProfileRoutines::ProfileWrite> writes{{StateSection, PasswordKey, password},
                                                {StateSection, ClueKey, r.clue}};
    if (markLoaded)
        writes.append({StateSection, LoadedKey, Loaded});
    QString reason;
    r.stored = ProfileRoutines::WriteProfileValues(writes, file, &reason);
    if (!r.stored)
        r.notice = Core::failure(QStringLiteral("The password could not be stored: ") + reason);
    return r;
}

Check check(const QString& file, const QString& typed, Core::Notice* failed) {
    QStringList stored;
    QString reason;
    if (!ProfileRoutines::ReadProfileValues({{StateSection, PasswordKey}}, file, &stored,
                                            &reason)) {
        *failed = Core::unreadable(file, reason);
        return Check::Failed;
    }
    return typed.toLower() == stored.value(0).toLower() ? Check::Open : Check::Wrong;
}

Core::Notice wrong() {
    return {QStringLiteral("Sorry"), QStringLiteral("Sorry, wrong password")};
}

Core::Notice clue(const QString& file) {
    QStringList stored;
    QString reason;
    if (!ProfileRoutines::ReadProfileValues({{StateSection, ClueKey}}, file, &stored, &reason))
        return Core::unreadable(file, reason);
    return {QStringLiteral("Clue"),
            QStringLiteral("The clue you left for yourself was: ") + stored.value(0)};
}

} // namespace Password
