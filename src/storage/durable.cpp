#include "storage/durable.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace Durable {

QString extendedPath(const QString& path) {
    if (path.startsWith(u"\\\\?\\") || path.startsWith(u"\\\\.\\"))
        return path;
    QString p = path;
    p.replace(u'/', u'\\');
    const bool unc = p.startsWith(u"\\\\");
    const char16_t letter = p.isEmpty() ? 0 : (p[0].unicode() | 0x20);
    const bool drive =
        p.size() >= 3 && letter >= u'a' && letter <= u'z' && p[1] == u':' && p[2] == u'\\';
    if (!unc && !drive)
        return p;
    // The system resolves ".." only in plain paths; below the extended prefix it is a name.
    // It never climbs above the drive, or the server's share.
    const qsizetype fixed = unc ? 2 : 0;
    QStringList parts;
    for (const QString& part : p.mid(unc ? 2 : 3).split(u'\\', Qt::SkipEmptyParts)) {
        if (part == u"..") {
            if (parts.size() > fixed)
                parts.removeLast();
        } else if (part != u".") {
            parts.append(part);
        }
    }
    return (unc ? QStringLiteral("\\\\?\\UNC\\") : QStringLiteral("\\\\?\\") + p.left(3)) +
           parts.join(u'\\');
}

#ifdef Q_OS_WIN

namespace {
QString systemError(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString message =
        n ? QString::fromWCharArray(text, int(n)).trimmed() : QStringLiteral("error %1").arg(error);
    LocalFree(text);
    return message;
}
} // namespace

bool openToRead(QFile& file, QString* reason) {
    // Qt opens without FILE_SHARE_DELETE: while one copy read, another couldn't replace it.
    const HANDLE handle =
        CreateFileW(reinterpret_cast<const wchar_t*>(extendedPath(file.fileName()).utf16()),
                    GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (reason)
            *reason = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
                          ? QStringLiteral("it is in use by another program")
                          : systemError(error);
        return false;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        if (reason)
            *reason = QStringLiteral("no file descriptor was left for it");
        return false;
    }
    if (file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return true;
    _close(fd);
    if (reason)
        *reason = file.errorString();
    return false;
}

bool readersBlockReplacement() {
    return true;
}

bool heldOpen(const QString& path) {
    // Asking for the file to ourselves fails while any other handle is open on it.
    const HANDLE handle =
        CreateFileW(reinterpret_cast<const wchar_t*>(extendedPath(path).utf16()), GENERIC_READ, 0,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(handle);
    return false;
}

bool flush(QFileDevice& file, QString* reason) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
    if (handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle))
        return true;
    if (reason)
        *reason = systemError(GetLastError());
    return false;
}

// A rename on NTFS is logged by the file system itself; Windows offers no folder flush.
bool syncFolder(const QString&, QString*) {
    return true;
}

#else

bool openToRead(QFile& file, QString* reason) {
    if (file.open(QIODevice::ReadOnly))
        return true;
    if (reason)
        *reason = file.errorString();
    return false;
}

// A file that is open can still be renamed over.
bool readersBlockReplacement() {
    return false;
}

bool heldOpen(const QString&) {
    return false;
}

bool flush(QFileDevice& file, QString* reason) {
    if (::fsync(file.handle()) == 0)
        return true;
    if (reason)
        *reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

bool syncFolder(const QString& folder, QString* reason) {
    // A folder we may write to but not open gets no sync: the rename is done all the same.
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return true;
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    // Some file systems (FAT on a stick among them, on some kernels) have no folder sync.
    if (error == 0 || error == EINVAL || error == ENOTSUP)
        return true;
    if (reason)
        *reason = QString::fromLocal8Bit(std::strerror(error));
    return false;
}

#endif

} // namespace Durable
