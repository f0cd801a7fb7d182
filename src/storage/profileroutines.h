// Access to the data file tallivor.tvr: one key at a time, or a batch of keys in one
// reading and one atomic replacement of the file.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace ProfileRoutines {

// The longest value a read gives back; longer stored values are cut to this.
inline constexpr int MaxValueLength = 749;

// Writes one key; creates the file, section and key as needed. The key is stored upper-cased.
// True when the value is in the file afterwards.
bool WriteProfileValue(const QString& section, const QString& key, const QString& value,
                       const QString& file);

// The value of the key (at most MaxValueLength characters), or the empty text when the file,
// the section or the key is missing.
QString ReadProfileValue(const QString& section, const QString& key, const QString& file);

struct ProfileWrite {
    QString section;
    QString key;
    QString value;
};

struct ProfileKey {
    QString section;
    QString key;
};

// Applies the writes in their order to one reading of the file and replaces the file once:
// all of them or none. True when all are in the file. On failure, reason (if given) receives a
// short plain-language explanation and the file is left as it was.
bool WriteProfileValues(const QList<ProfileWrite>& writes, const QString& file,
                        QString* reason = nullptr);

// Reads the keys from one reading of the file; the result has one value per key, in order.
QStringList ReadProfileValues(const QList<ProfileKey>& keys, const QString& file);

// Replaces the whole file atomically with a new one that holds only the given keys.
// On failure, reason receives an explanation and the old file is left whole.
bool ReplaceProfileFile(const QList<ProfileWrite>& writes, const QString& file,
                        QString* reason = nullptr);

// The data file in the given folder (the program's folder): folder plus "tallivor.tvr",
// joined with the native separator, whether or not the folder ends in one.
QString DataFilePath(const QString& folder);

// How long a write waits for another copy of the program to release the data file (5 seconds
// unless set). A lock left by a process that no longer runs is taken over at once.
void SetLockTimeout(int milliseconds);

} // namespace ProfileRoutines
