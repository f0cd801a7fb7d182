// Access to the data file tallivor.tvr: one key at a time, or a batch of keys in one
// reading and one atomic replacement of the file.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class IniFile;

namespace ProfileRoutines {

// The longest value a read gives back; longer stored values are cut to this.
inline constexpr int MaxValueLength = 749;

// A larger file is no data file, and reading it whole could take all the memory there is.
inline constexpr qint64 MaxFileSize = qint64(64) << 20;

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
    // Also into every other occurrence of the key, in the first section of that name and in
    // every other one: the value a later reader of any of them finds.
    bool everywhere = false;
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

// The data file as it is at the moment of a write, under its lock.
class ProfileSnapshot {
  public:
    explicit ProfileSnapshot(const IniFile& ini) : m_ini(ini) {}
    // As ReadProfileValue would give it now.
    QString value(const QString& section, const QString& key) const;
    // The same, not cut to MaxValueLength.
    QString whole(const QString& section, const QString& key) const;
    // The keys that hold a non-empty value, in every section of that name.
    QStringList keysWithValues(const QString& section) const;

  private:
    const IniFile& m_ini;
};

// Writes worked out from what the file holds when they are made, so that nothing another
// window or another copy of the program wrote meanwhile is undone. The plan may run more than
// once; it returns the writes, or sets *refusal (a plain reason) to write nothing.
using ProfilePlan =
    std::function<QList<ProfileWrite>(const ProfileSnapshot& now, QString* refusal)>;

// WriteProfileValues for planned writes. On a refusal, reason receives the plan's reason.
bool UpdateProfileValues(const ProfilePlan& plan, const QString& file, QString* reason = nullptr);

// Reads the keys from one reading of the file; the result has one value per key, in order.
// A file that can't be read reads as empty values.
QStringList ReadProfileValues(const QList<ProfileKey>& keys, const QString& file);

// The same, true with one value per key in *values (cut to MaxValueLength unless whole) when the
// file was read or is missing (empty values). False when it is there but can't be read, with a
// plain reason, as ProfileReadable gives it; *values then holds empty values. values and reason
// may be null.
bool ReadProfileValues(const QList<ProfileKey>& keys, const QString& file, QStringList* values,
                       QString* reason, bool whole = false);

// False when the file is there but can't be read (a missing file reads fine: as empty), with
// a plain reason: also when it is larger than MaxFileSize, or UTF-16 that doesn't decode.
bool ProfileReadable(const QString& file, QString* reason);

// Replaces the whole file atomically with a new one that holds only the planned writes.
// On failure, reason receives an explanation and the old file is left whole.
bool ReplaceProfileFile(const ProfilePlan& plan, const QString& file, QString* reason = nullptr);

// The data file in the given folder (the program's folder): folder plus "tallivor.tvr",
// joined with the native separator, whether or not the folder ends in one.
QString DataFilePath(const QString& folder);

// How long a write waits for another copy of the program to release the data file (5 seconds
// unless set); gives the time it replaces. A lock left by a process that no longer runs is taken
// over at once.
int SetLockTimeout(int milliseconds);

} // namespace ProfileRoutines
