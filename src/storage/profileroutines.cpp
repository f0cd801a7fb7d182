#include "storage/profileroutines.h"

#include <QDir>

namespace ProfileRoutines {

bool WriteProfileValue(const QString& section, const QString& key, const QString& value,
                       const QString& file) {
    return WriteProfileValues({{section, key, value}}, file);
}

QString ReadProfileValue(const QString& section, const QString& key, const QString& file) {
    return ReadProfileValues({{section, key}}, file).value(0);
}

bool WriteProfileValues(const QList<ProfileWrite>&, const QString&, QString*) {
    return false;
}

QStringList ReadProfileValues(const QList<ProfileKey>& keys, const QString&) {
    return QStringList(keys.size(), QString());
}

bool ReplaceProfileFile(const QList<ProfileWrite>&, const QString&, QString*) {
    return false;
}

QString DataFilePath(const QString& folder) {
    return QDir::toNativeSeparators(QDir(folder).filePath(QStringLiteral("tallivor.tvr")));
}

} // namespace ProfileRoutines
