#include "storage/profileroutines.h"
#include "storage/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <optional>
#include <unistd.h>

namespace ProfileRoutines {

namespace {

// Long enough for another copy of the program to finish a write, short enough for a user.
int lockTimeoutMs = 5000;

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString folderOf(const QString& file) {
    return QDir::toNativeSeparators(QFileInfo(file).absolutePath());
}

void setReason(QString* reason, const QString& text) {
    if (reason)
        *reason = text;
}

enum class ReadResult { Read, Missing, Failed };

ReadResult readBytes(const QString& file, QByteArray* bytes, QString* why) {
    const QFileInfo info(file);
    if (!info.exists())
        return ReadResult::Missing;
    // A folder or a device (a pipe would block the reader for good) is no data file.
    if (!info.isFile()) {
        if (why)
            *why = QStringLiteral("not a file");
        return ReadResult::Failed;
    }
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        if (why)
            *why = f.errorString();
        return ReadResult::Failed;
    }
    *bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        if (why)
            *why = f.errorString();
        return ReadResult::Failed;
    }
    return ReadResult::Read;
}

// Replaces the file with bytes in one step: the old file stays whole until the new one is
// complete on disk.
bool replaceFile(const QString& file, const QByteArray& bytes, bool existed, QString* reason) {
    // Unbuffered: a buffered short write (file size limit, full disk) is lost in the final
    // flush and the cut file would be committed.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        setReason(reason, QStringLiteral("the folder %1 can't be written (%2)")
                              .arg(folderOf(file), out.errorString()));
        return false;
    }
    const auto fail = [&] {
        setReason(reason, QStringLiteral("the file %1 couldn't be saved (%2)")
                              .arg(QDir::toNativeSeparators(file), out.errorString()));
        out.cancelWriting();
        return false;
    };
    // It holds passwords: a new file is for its owner only; an existing one keeps its mode.
    if (!existed && !out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return fail();
    qsizetype done = 0;
    while (done < bytes.size()) {
        // A short write is followed by one that fails and says why.
        const qint64 n = out.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return fail();
        done += qsizetype(n);
    }
    // QSaveFile's commit ignores a failed sync: the new file must be on disk before it replaces
    // the old one, or a crash just after could leave a cut file in its place.
    if (::fsync(out.handle()) != 0) {
        setReason(reason, QStringLiteral("the file %1 couldn't be saved (%2)")
                              .arg(QDir::toNativeSeparators(file), systemError(errno)));
        out.cancelWriting();
        return false;
    }
    if (!out.commit())
        return fail();
    return true;
}

// Builds the new content from the current file, under the lock, and replaces the file when
// apply gives new content. The lock keeps a second copy of the program from writing between our
// read and our replacement.
template <typename Apply> bool update(const QString& file, QString* reason, Apply apply) {
    QLockFile lock(file + QStringLiteral(".lock"));
    if (!lock.tryLock(lockTimeoutMs)) {
        const int error = errno;
        const QLockFile::LockError why = lock.error();
        // Without the lock the file may still hold what we want: then there is nothing to do.
        QByteArray bytes;
        if (readBytes(file, &bytes, nullptr) != ReadResult::Failed) {
            if (!apply(bytes))
                return true;
        }
        if (why == QLockFile::LockFailedError)
            setReason(reason, QStringLiteral("the data file %1 is in use by another program")
                                  .arg(QDir::toNativeSeparators(file)));
        else
            setReason(reason, QStringLiteral("the folder %1 can't be written (%2)")
                                  .arg(folderOf(file), systemError(error)));
        return false;
    }
    QByteArray bytes;
    QString why;
    const ReadResult read = readBytes(file, &bytes, &why);
    if (read == ReadResult::Failed) {
        // Writing anyway would throw away whatever the file holds.
        setReason(reason, QStringLiteral("the file %1 can't be read (%2)")
                              .arg(QDir::toNativeSeparators(file), why));
        return false;
    }
    const std::optional<QByteArray> changed = apply(bytes);
    if (!changed)
        return true;
    // Replacing would get round a file made read-only on purpose.
    if (read == ReadResult::Read && !QFileInfo(file).isWritable()) {
        setReason(reason,
                  QStringLiteral("the file %1 is read-only").arg(QDir::toNativeSeparators(file)));
        return false;
    }
    return replaceFile(file, *changed, read == ReadResult::Read, reason);
}

bool checkKeys(const QList<ProfileWrite>& writes, QString* reason) {
    for (const ProfileWrite& w : writes) {
        if (!IniFile::isStorableKey(IniFile::storedKey(w.key))) {
            setReason(reason, QStringLiteral("\"%1\" can't be used as a key name").arg(w.key));
            return false;
        }
    }
    return true;
}

} // namespace

bool WriteProfileValue(const QString& section, const QString& key, const QString& value,
                       const QString& file) {
    return WriteProfileValues({{section, key, value}}, file);
}

QString ReadProfileValue(const QString& section, const QString& key, const QString& file) {
    return ReadProfileValues({{section, key}}, file).value(0);
}

bool WriteProfileValues(const QList<ProfileWrite>& writes, const QString& file, QString* reason) {
    if (!checkKeys(writes, reason))
        return false;
    if (writes.isEmpty())
        return true;
    return update(file, reason, [&](const QByteArray& original) -> std::optional<QByteArray> {
        IniFile ini(original);
        bool changed = false;
        for (const ProfileWrite& w : writes)
            changed = ini.setValue(w.section, w.key, w.value) || changed;
        if (!changed)
            return std::nullopt;
        // A key written and then set back leaves the file as it was.
        QByteArray bytes = ini.toBytes();
        if (bytes == original)
            return std::nullopt;
        return bytes;
    });
}

QStringList ReadProfileValues(const QList<ProfileKey>& keys, const QString& file) {
    QByteArray bytes;
    if (readBytes(file, &bytes, nullptr) != ReadResult::Read)
        return QStringList(keys.size(), QString());
    const IniFile ini(bytes);
    QStringList values;
    values.reserve(keys.size());
    for (const ProfileKey& k : keys)
        values.append(ini.value(k.section, k.key, MaxValueLength).value_or(QString()));
    return values;
}

bool ReplaceProfileFile(const QList<ProfileWrite>& writes, const QString& file, QString* reason) {
    if (!checkKeys(writes, reason))
        return false;
    IniFile fresh;
    for (const ProfileWrite& w : writes)
        fresh.setValue(w.section, w.key, w.value);
    const QByteArray bytes = fresh.toBytes();
    return update(file, reason, [&](const QByteArray& original) -> std::optional<QByteArray> {
        if (bytes == original && QFile::exists(file))
            return std::nullopt;
        return bytes;
    });
}

QString DataFilePath(const QString& folder) {
    return QDir::toNativeSeparators(QDir(folder).filePath(QStringLiteral("tallivor.tvr")));
}

void SetLockTimeout(int milliseconds) {
    lockTimeoutMs = milliseconds;
}

} // namespace ProfileRoutines
