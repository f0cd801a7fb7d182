#include "core/start.h"

#include "storage/datafile.h"
#include "storage/profileroutines.h"

using namespace DataFile;
using ProfileRoutines::ProfileSnapshot;
using ProfileRoutines::ProfileWrite;

namespace Start {

namespace {
// The state key, or nothing with *failed set.
std::optional<QString> state(const QString& file, const QString& key, Core::Notice* failed) {
    QStringList values;
    QString reason;
    if (ProfileRoutines::ReadProfileValues({{StateSection, key}}, file, &values, &reason))
        return values.value(0);
    *failed = Core::unreadable(file, reason);
    return std::nullopt;
}

Core::Notice notWritten(const QString& reason) {
    return Core::failure(QStringLiteral("The data file could not be written: ") + reason);
}
} // namespace

Core::Notice checkReadable(const QString& file) {
    QString reason;
    return ProfileRoutines::ProfileReadable(file, &reason) ? Core::Notice()
                                                           : Core::unreadable(file, reason);
}

bool firstStart(const QString& file, Core::Notice* failed) {
    const std::optional<QString> loaded = state(file, LoadedKey, failed);
    return loaded && *loaded != Loaded;
}

Core::Notice markFirstRun(const QString& file) {
    // A file that can't be read is no first start's: said as at the start, not as a write.
    const Core::Notice unreadable = checkReadable(file);
    if (!unreadable.isNull())
        return unreadable;
    QString reason;
    const bool written = ProfileRoutines::UpdateProfileValues(
        [](const ProfileSnapshot& now, QString*) {
            if (now.value(StateSection, LoadedKey) == Loaded)
                return QList<ProfileWrite>();
            return QList<ProfileWrite>{{StateSection, PasswordKey, FirstRunMarker}};
        },
        file, &reason);
    return written ? Core::Notice() : notWritten(reason);
}

bool passwordAsked(const QString& file, Core::Notice* failed) {
    const std::optional<QString> password = state(file, PasswordKey, failed);
    return password && !password->isEmpty();
}

Core::Notice mainWindowLoaded(const QString& file) {
    QString reason;
    const bool written = ProfileRoutines::UpdateProfileValues(
        [](const ProfileSnapshot& now, QString*) {
            QList<ProfileWrite> writes;
            if (now.value(StateSection, LoadedKey) != Loaded) {
                for (int slot = 1; slot <= Slots; ++slot)
                    writes.append({NamesSection, nameKey(slot), defaultName(slot)});
            }
            writes.append({StateSection, LoadedKey, Loaded});
            return writes;
        },
        file, &reason);
    return written ? Core::Notice() : notWritten(reason);
}

} // namespace Start
