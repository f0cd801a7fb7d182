#include "storage/profileroutines.h"

#include "storage/datafile.h"
#include "storage/durable.h"
#include "storage/inifile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QThread>

#include <new>
#include <optional>
#include <utility>

namespace ProfileRoutines {

namespace {

// Long enough for another copy of the program to finish a write, short enough for a user.
int lockTimeoutMs = 5000;

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString folderOf(const QString& file) {
    return native(QFileInfo(file).absolutePath());
}

void setReason(QString* reason, const QString& text) {
    if (reason)
        *reason = text;
}

// The system's words for a failure, to go in brackets inside a sentence: Windows ends them with
// a full stop ("Access is denied.").
QString plain(QString systemText) {
    if (systemText.endsWith(u'.'))
        systemText.chop(1);
    return systemText;
}

// A data file reached through a link is the link's target: its lock and its replacement belong
// beside the target, where every folder linked to it finds them.
QString targetOf(const QString& file) {
    const QFileInfo info(file);
    if (!info.isSymLink())
        return file;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

const QString NoMemory = QStringLiteral("there is not enough memory to read it");

QString tooLarge(qint64 size) {
    return QStringLiteral("it is %1 MB, too large to be a data file")
        .arg((size + 500'000) / 1'000'000);
}

enum class ReadResult { Read, Missing, Failed };

// The file's bytes and what they hold. Whatever the file is, the reader gets a reason, never a
// crash: a file too large to be a data file isn't even read.
ReadResult load(const QString& file, QByteArray* bytes, IniFile* ini, QString* why) {
    *bytes = QByteArray();
    *ini = IniFile();
    const QFileInfo info(file);
    if (!info.exists())
        return ReadResult::Missing;
    // A folder or a device (a pipe would block the reader for good) is no data file.
    if (!info.isFile()) {
        setReason(why, info.isDir() ? QStringLiteral("it is a folder")
                                    : QStringLiteral("it is not a plain file"));
        return ReadResult::Failed;
    }
    if (info.size() > MaxFileSize) {
        setReason(why, tooLarge(info.size()));
        return ReadResult::Failed;
    }
    QFile f(file);
    QString reason;
    if (!Durable::openToRead(f, &reason)) {
        setReason(why, plain(reason));
        return ReadResult::Failed;
    }
    try {
        *bytes = f.readAll();
        if (f.error() != QFileDevice::NoError) {
            setReason(why, plain(f.errorString()));
            return ReadResult::Failed;
        }
        // It may have grown since it was looked at.
        if (bytes->size() > MaxFileSize) {
            setReason(why, tooLarge(bytes->size()));
            return ReadResult::Failed;
        }
        *ini = IniFile(*bytes);
    } catch (const std::bad_alloc&) {
        *bytes = QByteArray();
        setReason(why, NoMemory);
        return ReadResult::Failed;
    }
    if (!ini->failure().isEmpty()) {
        setReason(why, ini->failure());
        return ReadResult::Failed;
    }
    return ReadResult::Read;
}

QString lockFailure(const QLockFile& lock, const QString& file, const QString& path) {
    switch (lock.error()) {
    case QLockFile::LockFailedError:
        return QStringLiteral("the data file %1 is in use by another program").arg(native(file));
    case QLockFile::PermissionError:
        return QStringLiteral("the folder %1 can't be written to").arg(folderOf(path));
    default:
        return QStringLiteral("the data file %1 can't be locked: the folder %2 can't take the "
                              "lock file")
            .arg(native(file), folderOf(path));
    }
}

// Replaces the file at path with bytes in one step: the old file stays whole until the new one
// is complete on disk. file is the name the user knows it by.
bool replaceFile(const QString& path, const QString& file, const QByteArray& bytes, bool existed,
                 QString* reason) {
    // Where a program reading the old file keeps it from being replaced (Windows), the save waits
    // for it as for the lock, writing the new file afresh each time.
    const QDeadlineTimer patience(Durable::readersBlockReplacement() ? lockTimeoutMs : 0);
    for (;;) {
        // Unbuffered: a buffered short write (file size limit, full disk) is lost in the final
        // flush and the cut file would be committed.
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            setReason(reason, QStringLiteral("the folder %1 can't be written (%2)")
                                  .arg(folderOf(path), plain(out.errorString())));
            return false;
        }
        const auto fail = [&](const QString& why) {
            setReason(
                reason,
                QStringLiteral("the file %1 couldn't be saved (%2)").arg(native(file), plain(why)));
            out.cancelWriting();
            return false;
        };
        // It holds passwords: a new file is for its owner only; an existing one keeps its mode.
        if (!existed && !out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            return fail(out.errorString());
        qsizetype done = 0;
        while (done < bytes.size()) {
            // A short write is followed by one that fails and says why.
            const qint64 n = out.write(bytes.constData() + done, bytes.size() - done);
            if (n <= 0)
                return fail(out.errorString());
            done += qsizetype(n);
        }
        // QSaveFile's commit ignores a failed flush: the new file must be on disk before it
        // replaces the old one, or a crash just after could leave a cut file in its place.
        QString why;
        if (!Durable::flush(out, &why))
            return fail(why);
        if (out.commit())
            break;
        if (patience.hasExpired())
            return fail(Durable::heldOpen(path) ? QStringLiteral("it is in use by another program")
                                                : out.errorString());
        QThread::msleep(5);
    }
    // Without it, a stick pulled right after the save may come back with the old file.
    QString why;
    if (!Durable::syncFolder(QFileInfo(path).absolutePath(), &why)) {
        setReason(reason,
                  QStringLiteral("the file %1 may not be on the disk (%2)").arg(native(file), why));
        return false;
    }
    return true;
}

// Builds the new content from the current file and replaces the file when apply gives new
// content. apply gets the file's bytes, their IniFile to change, and whether the file exists.
template <typename Apply> bool tryUpdate(const QString& file, QString* reason, Apply apply) {
    const QString path = targetOf(file);
    IniFile ini;
    const auto read = [&](QByteArray* bytes) {
        QString why;
        const ReadResult result = load(path, bytes, &ini, &why);
        // Writing anyway would throw away whatever the file holds.
        if (result == ReadResult::Failed)
            setReason(reason,
                      QStringLiteral("the file %1 can't be read (%2)").arg(native(file), why));
        return result;
    };
    // A write that changes nothing needs neither the lock nor a new file: a complete data file
    // on a write-protected stick still opens.
    QByteArray bytes;
    ReadResult result = read(&bytes);
    if (result == ReadResult::Failed)
        return false;
    if (!apply(bytes, ini, result == ReadResult::Read))
        return true;

    // The lock keeps a second copy of the program from writing between our read and our
    // replacement; so the file is read again under it.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(lockTimeoutMs)) {
        setReason(reason, lockFailure(lock, file, path));
        return false;
    }
    result = read(&bytes);
    if (result == ReadResult::Failed)
        return false;
    const std::optional<QByteArray> changed = apply(bytes, ini, result == ReadResult::Read);
    if (!changed)
        return true;
    // Replacing would get round a file made read-only on purpose.
    if (result == ReadResult::Read && !QFileInfo(path).isWritable()) {
        setReason(reason, QStringLiteral("the file %1 is read-only").arg(native(file)));
        return false;
    }
    return replaceFile(path, file, *changed, result == ReadResult::Read, reason);
}

// A change too large for the memory there is fails as any other save.
template <typename Apply> bool update(const QString& file, QString* reason, Apply apply) {
    try {
        return tryUpdate(file, reason, apply);
    } catch (const std::bad_alloc&) {
        setReason(reason, QStringLiteral("the file %1 couldn't be saved (there is not enough "
                                         "memory)")
                              .arg(native(file)));
        return false;
    }
}

// The planned writes, or nothing with *refusal set.
std::optional<QList<ProfileWrite>> planned(const ProfilePlan& plan, const IniFile& ini,
                                           QString* refusal) {
    QList<ProfileWrite> writes = plan(ProfileSnapshot(ini), refusal);
    if (!refusal->isEmpty())
        return std::nullopt;
    for (const ProfileWrite& w : writes) {
        if (!IniFile::isStorableKey(IniFile::storedKey(w.key))) {
            *refusal = QStringLiteral("\"%1\" can't be used as a key name").arg(w.key);
            return std::nullopt;
        }
    }
    return writes;
}

} // namespace

QString ProfileSnapshot::value(const QString& section, const QString& key) const {
    return m_ini.value(section, key, MaxValueLength).value_or(QString());
}

QString ProfileSnapshot::whole(const QString& section, const QString& key) const {
    return m_ini.value(section, key).value_or(QString());
}

QStringList ProfileSnapshot::keysWithValues(const QString& section) const {
    return m_ini.keysWithValues(section);
}

bool WriteProfileValue(const QString& section, const QString& key, const QString& value,
                       const QString& file) {
    return WriteProfileValues({{section, key, value}}, file);
}

QString ReadProfileValue(const QString& section, const QString& key, const QString& file) {
    return ReadProfileValues({{section, key}}, file).value(0);
}

bool WriteProfileValues(const QList<ProfileWrite>& writes, const QString& file, QString* reason) {
    return UpdateProfileValues([&](const ProfileSnapshot&, QString*) { return writes; }, file,
                               reason);
}

bool UpdateProfileValues(const ProfilePlan& plan, const QString& file, QString* reason) {
    QString refusal;
    const bool ok = update(file, reason, [&](const QByteArray& original, IniFile& ini, bool) {
        const std::optional<QList<ProfileWrite>> writes = planned(plan, ini, &refusal);
        if (!writes)
            return std::optional<QByteArray>();
        bool changed = false;
        for (const ProfileWrite& w : *writes)
            changed = ini.setValue(w.section, w.key, w.value, w.everywhere) || changed;
        // A key written and then set back leaves the file as it was.
        QByteArray bytes = changed ? ini.toBytes() : original;
        return bytes == original ? std::optional<QByteArray>() : bytes;
    });
    if (!refusal.isEmpty())
        setReason(reason, refusal);
    return ok && refusal.isEmpty();
}

QStringList ReadProfileValues(const QList<ProfileKey>& keys, const QString& file) {
    QStringList values;
    ReadProfileValues(keys, file, &values, nullptr);
    return values;
}

bool ReadProfileValues(const QList<ProfileKey>& keys, const QString& file, QStringList* values,
                       QString* reason, bool whole) {
    QByteArray bytes;
    IniFile ini;
    const ReadResult result = load(file, &bytes, &ini, reason);
    QStringList read(keys.size(), QString());
    bool ok = result != ReadResult::Failed;
    try {
        for (qsizetype i = 0; i < keys.size() && result == ReadResult::Read; ++i) {
            read[i] = ini.value(keys[i].section, keys[i].key, whole ? -1 : MaxValueLength)
                          .value_or(QString());
        }
    } catch (const std::bad_alloc&) {
        read = QStringList(keys.size(), QString());
        setReason(reason, NoMemory);
        ok = false;
    }
    if (values)
        *values = read;
    return ok;
}

bool ProfileReadable(const QString& file, QString* reason) {
    QByteArray bytes;
    IniFile ini;
    return load(file, &bytes, &ini, reason) != ReadResult::Failed;
}

bool ReplaceProfileFile(const ProfilePlan& plan, const QString& file, QString* reason) {
    QString refusal;
    const bool ok =
        update(file, reason, [&](const QByteArray& original, const IniFile& ini, bool exists) {
            const std::optional<QList<ProfileWrite>> writes = planned(plan, ini, &refusal);
            if (!writes)
                return std::optional<QByteArray>();
            IniFile fresh = ini.emptyLike();
            for (const ProfileWrite& w : *writes)
                fresh.setValue(w.section, w.key, w.value, w.everywhere);
            const QByteArray bytes = fresh.toBytes();
            return bytes == original && exists ? std::optional<QByteArray>() : bytes;
        });
    if (!refusal.isEmpty())
        setReason(reason, refusal);
    return ok && refusal.isEmpty();
}

QString DataFilePath(const QString& folder) {
    return native(QDir(folder).filePath(DataFile::FileName));
}

int SetLockTimeout(int milliseconds) {
    return std::exchange(lockTimeoutMs, milliseconds);
}

} // namespace ProfileRoutines
