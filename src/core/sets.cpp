#include "core/sets.h"

#include "storage/datafile.h"
#include "storage/profileroutines.h"
#include "storage/setnames.h"

using namespace DataFile;
using ProfileRoutines::ProfileKey;
using ProfileRoutines::ProfileSnapshot;
using ProfileRoutines::ProfileWrite;

namespace Sets {

namespace {
// Box 0 .. 29: entry 1's name, entry 1's number, entry 2's name, ...
QString boxKey(int box) {
    const int entry = box / 2 + 1;
    return box % 2 ? entryNumberKey(entry) : entryNameKey(entry);
}

// Entry 1 .. 15's names, then their numbers.
const QList<int>& writeOrder() {
    static const QList<int> order = [] {
        QList<int> o;
        for (int box = 0; box < Boxes; box += 2)
            o.append(box);
        for (int box = 1; box < Boxes; box += 2)
            o.append(box);
        return o;
    }();
    return order;
}

QList<ProfileKey> nameKeys() {
    QList<ProfileKey> keys;
    for (int slot = 1; slot <= Slots; ++slot)
        keys.append({NamesSection, nameKey(slot)});
    return keys;
}

QStringList storedNames(const ProfileSnapshot& now) {
    QStringList stored;
    for (int slot = 1; slot <= Slots; ++slot)
        stored.append(now.value(NamesSection, nameKey(slot)));
    return stored;
}

Core::Notice pickAName(const QString& text) {
    return {QStringLiteral("Pick a name"), text};
}

Core::Notice refusal(SetNames::Verdict verdict) {
    const QString another = QStringLiteral(" Type another name for the set in the top box!");
    switch (verdict) {
    case SetNames::Verdict::Blank:
    case SetNames::Verdict::Default:
        return pickAName(QStringLiteral("Type a name for the set in the top box!"));
    case SetNames::Verdict::Reserved:
        return pickAName(QStringLiteral("That name is reserved.") + another);
    case SetNames::Verdict::AnotherSet:
        return pickAName(QStringLiteral("Another set already has that name.") + another);
    case SetNames::Verdict::Ok:
        break;
    }
    return {};
}
} // namespace

QString sectionOf(const QString& storedName) {
    return SetNames::trimmed(storedName);
}

QString caption(QString name) {
    return name.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString statusLine(int slot) {
    return QStringLiteral("You are working in: Set %1").arg(slot);
}

Core::Notice chooseASet() {
    return {QStringLiteral("Choose a set from set menu"),
            QStringLiteral("SELECT A SET BEFORE MAKING A LIST")};
}

Names names(const QString& file) {
    Names n;
    QString reason;
    if (!ProfileRoutines::ReadProfileValues(nameKeys(), file, &n.names, &reason))
        n.failed = Core::unreadable(file, reason);
    return n;
}

Loaded load(const QString& file, int slot) {
    Loaded loaded;
    QString reason;
    QStringList name;
    if (!ProfileRoutines::ReadProfileValues({{NamesSection, nameKey(slot)}}, file, &name,
                                            &reason)) {
        loaded.failed = Core::unreadable(file, reason);
        return loaded;
    }
    QList<ProfileKey> keys;
    for (int box = 0; box < Boxes; ++box)
        keys.append({sectionOf(name.value(0)), boxKey(box)});
    if (!ProfileRoutines::ReadProfileValues(keys, file, &loaded.boxes, &reason)) {
        loaded.failed = Core::unreadable(file, reason);
        loaded.boxes.clear();
        return loaded;
    }
    loaded.name = name.value(0);
    return loaded;
}

Saved save(const QString& file, int slot, const QString& typed, const QStringList& boxes) {
    Saved result;
    result.name = SetNames::trimmed(typed);
    SetNames::Verdict verdict = SetNames::Verdict::Ok;
    QString reason;
    const bool saved = ProfileRoutines::UpdateProfileValues(
        [&](const ProfileSnapshot& now, QString* refused) {
            const QStringList stored = storedNames(now);
            verdict = SetNames::judge(result.name, slot, stored);
            QList<ProfileWrite> writes;
            if (verdict != SetNames::Verdict::Ok) {
                *refused = QStringLiteral("refused");
                return writes;
            }
            // The earlier version kept values longer than a box: a box still showing the start
            // of one keeps it whole.
            const QString from = sectionOf(stored.value(slot - 1));
            // The names first, then the numbers, as the file has always had them.
            for (int box : writeOrder()) {
                const QString shown = boxes.value(box);
                const QString whole = now.whole(from, boxKey(box));
                const bool cut =
                    whole.size() > shown.size() && now.value(from, boxKey(box)) == shown;
                writes.append({result.name, boxKey(box), cut ? whole : shown});
            }
            writes.append({result.name, SetNameKey, result.name});
            writes.append({NamesSection, nameKey(slot), result.name});
            return writes;
        },
        file, &reason);
    result.saved = saved;
    if (verdict != SetNames::Verdict::Ok)
        result.notice = refusal(verdict);
    else if (!saved)
        result.notice = Core::failure(QStringLiteral("The set could not be saved: ") + reason);
    return result;
}

} // namespace Sets
