#include "core/clears.h"

#include "storage/datafile.h"
#include "storage/profileroutines.h"
#include "storage/setnames.h"

using namespace DataFile;
using ProfileRoutines::ProfileSnapshot;
using ProfileRoutines::ProfileWrite;

namespace Clears {

namespace {
Core::Notice notCleared(const QString& reason) {
    return Core::failure(QStringLiteral("The set could not be cleared: ") + reason);
}
} // namespace

Core::Notice clearStep(const QString& file, int slot, Step step) {
    bool keptName = false;
    QString reason;
    const bool written = ProfileRoutines::UpdateProfileValues(
        [&](const ProfileSnapshot& now, QString* refusal) {
            // The slot's name as stored now: a rename saved meanwhile is followed.
            QStringList stored;
            for (int s = 1; s <= Slots; ++s)
                stored << now.value(NamesSection, nameKey(s));
            const QString name = stored.value(slot - 1);
            const QString section = SetNames::trimmed(name);
            QList<ProfileWrite> writes;
            // Never into another set's section or the program's own, as a file edited by hand
            // could have it.
            switch (SetNames::judge(name, slot, stored, SetNames::Defaults::Allowed)) {
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
            // Every copy of the section and of each key: a hand-merged file may hold a set twice,
            // and nothing of it may stay behind.
            const auto empty = [&](const QString& key) {
                writes.append({section, key, QString(), true});
            };
            for (int entry = 1; entry <= Entries; ++entry)
                step == Step::Names     ? empty(entryNameKey(entry))
                : step == Step::Numbers ? empty(entryNumberKey(entry))
                                        : void();
            if (step == Step::Name) {
                empty(SetNameKey);
                QStringList left = now.keysWithValues(section);
                left.removeIf([](const QString& key) {
                    return key.compare(SetNameKey, Qt::CaseInsensitive) == 0;
                });
                keptName = !left.isEmpty();
                if (!keptName)
                    writes.append({NamesSection, nameKey(slot), defaultName(slot)});
            }
            return writes;
        },
        file, &reason);
    if (!written)
        return notCleared(reason);
    if (keptName)
        return notCleared(
            QStringLiteral("it was saved again during the clear, and keeps its name"));
    return {};
}

Core::Notice alreadyClearing() {
    return Core::failure(QStringLiteral("A set is being cleared. Choose Clear Current Set again "
                                        "when it is done."));
}

Core::Notice clearAll(const QString& file) {
    // One replacement instead of a delete and a later write: the file is never without the
    // password or the mark of a program that has been used, so no start could take it for a
    // first one and ask anyone for a new password. The password kept is the one stored at this
    // moment.
    QString reason;
    const bool replaced = ProfileRoutines::ReplaceProfileFile(
        [](const ProfileSnapshot& now, QString*) {
            QList<ProfileWrite> writes{
                {StateSection, PasswordKey, now.whole(StateSection, PasswordKey)},
                {StateSection, LoadedKey, Loaded}};
            for (int slot = 1; slot <= Slots; ++slot)
                writes.append({NamesSection, nameKey(slot), defaultName(slot)});
            return writes;
        },
        file, &reason);
    return replaced ? Core::Notice()
                    : Core::failure(QStringLiteral("Nothing was deleted: ") + reason);
}

} // namespace Clears
