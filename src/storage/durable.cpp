#include "storage/durable.h"

#include <QFile>
#include <QFileDevice>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace Durable {

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
    // "Access is denied." reads better inside a sentence without its full stop.
    if (message.endsWith(u'.'))
        message.chop(1);
    return message;
}
} // namespace

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
