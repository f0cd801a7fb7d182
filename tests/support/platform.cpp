#include "support/platform.h"

#include <QDir>
#include <QTest>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
// Set before main(), for Wine passes no QT_ variable on to a Windows program. Headless: the
// offscreen platform, as CTest sets it; and the test log on stdout, where Qt on Windows would
// send it to a debugger when no console window is there to show it.
const bool headless =
    (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qputenv("QT_QPA_PLATFORM", "offscreen")) &&
    qputenv("QT_FORCE_STDERR_LOGGING", "1");
} // namespace

#ifdef Q_OS_WIN

const char* lacking(Need need) {
    switch (need) {
    case Need::FileSizeLimit:
        return "Windows has no limit on the size of the files a process writes";
    case Need::OtherUser:
        return "the Windows tests run as one user";
    case Need::Modes:
        return "on Windows only the read-only attribute is set from the tests, and it keeps "
               "nobody out of a folder or from reading a file";
    case Need::Links:
        return "QFile::link makes a shortcut on Windows, which opening a file doesn't follow";
    case Need::ExclusiveOpen:
    case Need::BlockingReaders:
        return nullptr;
    }
    return "unknown";
}

void limitFileSize(qint64) {}

bool becomeNobody() {
    return false;
}

bool becomeSelf() {
    return true;
}

bool setMode(const QString& path, int mode) {
    return QFile::setPermissions(path, mode & 0200 ? QFile::ReadOwner | QFile::WriteOwner
                                                   : QFile::ReadOwner);
}

const QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                     QFile::WriteUser | QFile::ReadGroup | QFile::WriteGroup |
                                     QFile::ReadOther | QFile::WriteOther;

ExclusiveOpen::ExclusiveOpen(const QString& path) {
    const HANDLE h =
        CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()),
                    GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    m_handle = h == INVALID_HANDLE_VALUE ? nullptr : h;
}

ExclusiveOpen::~ExclusiveOpen() {
    if (m_handle)
        CloseHandle(m_handle);
}

FolderWatch::FolderWatch(const QString&) {}

FolderWatch::~FolderWatch() = default;

std::optional<int> FolderWatch::arrivals(const QString&) {
    return std::nullopt;
}

#else

const char* lacking(Need need) {
    switch (need) {
    case Need::OtherUser:
        return getuid() == 0 ? nullptr : "needs root, to write as another user";
    case Need::ExclusiveOpen:
        return "Linux has no exclusive opens: its file locks only bind those who ask for them";
    case Need::BlockingReaders:
        return "on Linux a file that is open can still be renamed over";
    case Need::FileSizeLimit:
    case Need::Modes:
    case Need::Links:
        return nullptr;
    }
    return "unknown";
}

void limitFileSize(qint64 bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit room{bytes < 0 ? RLIM_INFINITY : rlim_t(bytes), RLIM_INFINITY};
    if (setrlimit(RLIMIT_FSIZE, &room) != 0)
        QTest::qFail("setrlimit", __FILE__, __LINE__);
}

bool becomeNobody() {
    return getuid() == 0 && setresuid(65534, 65534, 0) == 0;
}

bool becomeSelf() {
    return setresuid(0, 0, 0) == 0;
}

bool setMode(const QString& path, int mode) {
    return chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

const QFile::Permissions OwnerOnly =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;

ExclusiveOpen::ExclusiveOpen(const QString&) {}

ExclusiveOpen::~ExclusiveOpen() = default;

FolderWatch::FolderWatch(const QString& folder) : m_fd(inotify_init1(IN_NONBLOCK)) {
    inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_MOVED_TO | IN_CREATE);
}

FolderWatch::~FolderWatch() {
    if (m_fd >= 0)
        close(m_fd);
}

std::optional<int> FolderWatch::arrivals(const QString& name) {
    int count = 0;
    alignas(inotify_event) char events[4096];
    for (ssize_t n; (n = read(m_fd, events, sizeof events)) > 0;)
        for (char* e = events; e < events + n;
             e += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(e)->len)
            count += QFile::decodeName(reinterpret_cast<inotify_event*>(e)->name) == name;
    return count;
}

#endif

bool ExclusiveOpen::isOpen() const {
    return m_handle != nullptr;
}
