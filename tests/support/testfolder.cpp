#include "support/testfolder.h"

#include "storage/profileroutines.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

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
// offscreen platform, as CTest sets it; a hung test aborted after a minute, as CTest asks; and
// the test log on stdout, where Qt on Windows would send it to a debugger when no console window
// is there to show it.
const bool headless =
    (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qputenv("QT_QPA_PLATFORM", "offscreen")) &&
    (qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT") ||
     qputenv("QTEST_FUNCTION_TIMEOUT", "60000")) &&
    qputenv("QT_FORCE_STDERR_LOGGING", "1");
} // namespace

QByteArray ini(const QStringList& lines) {
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

// What a test leaves read-only inside is empty, or a file, which the folder's own mode decides on.
TestFolder::~TestFolder() {
    setMode(path(), 0700);
}

QString TestFolder::dataFile() const {
    return ProfileRoutines::DataFilePath(path());
}

QByteArray TestFolder::bytes() const {
    QFile f(dataFile());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestFolder::write(const QByteArray& content, const QString& suffix) const {
    QFile f(dataFile() + suffix);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
}

#ifdef Q_OS_WIN

const char* lacking(Need need) {
    static const QHash<Need, const char*> lacks{
        {Need::FileSizeLimit, "Windows has no limit on the size of the files a process writes"},
        {Need::OtherUser, "the Windows tests run as one user"},
        {Need::Modes, "on Windows the tests set only the read-only attribute, which keeps nobody "
                      "out of a folder or from reading a file"},
        {Need::Links,
         "QFile::link makes a shortcut on Windows, which opening a file doesn't follow"},
        {Need::FailingSync, "Windows flushes with FlushFileBuffers, which the tests don't replace"},
        {Need::Fonts, "the tests under Wine run offscreen, where Qt finds no fonts"}};
    return lacks.value(need);
}

bool setMode(const QString& path, int mode) {
    return QFile::setPermissions(path, mode & 0200 ? QFile::ReadOwner | QFile::WriteOwner
                                                   : QFile::ReadOwner);
}

const QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                     QFile::WriteUser | QFile::ReadGroup | QFile::WriteGroup |
                                     QFile::ReadOther | QFile::WriteOther;

std::shared_ptr<void> holdExclusively(const QString& path) {
    const HANDLE h =
        CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()),
                    GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? nullptr : std::shared_ptr<void>(h, CloseHandle);
}

FolderEvents::FolderEvents(const QString&) {}
FolderEvents::~FolderEvents() = default;

QStringList FolderEvents::seen() const {
    return {};
}

#else

const char* lacking(Need need) {
    static const QHash<Need, const char*> lacks{
        {Need::OtherUser, getuid() == 0 ? nullptr : "needs root, to write as another user"},
        {Need::ExclusiveOpen,
         "Linux has no exclusive opens: its file locks only bind those who ask for them"},
        {Need::BlockingReaders, "on Linux a file that is open can still be renamed over"}};
    return lacks.value(need);
}

bool setMode(const QString& path, int mode) {
    return chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

const QFile::Permissions OwnerOnly =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;

std::shared_ptr<void> holdExclusively(const QString&) {
    return nullptr;
}

FolderEvents::FolderEvents(const QString& folder) : m_watch(inotify_init1(IN_NONBLOCK)) {
    if (inotify_add_watch(m_watch, folder.toLocal8Bit(), IN_MOVED_TO | IN_CREATE | IN_DELETE) < 0)
        close(std::exchange(m_watch, -1));
}

FolderEvents::~FolderEvents() {
    close(m_watch);
}

QStringList FolderEvents::seen() const {
    alignas(inotify_event) char buffer[4096];
    for (ssize_t got; (got = read(m_watch, buffer, sizeof buffer)) > 0;) {
        for (char* e = buffer; e < buffer + got;) {
            const auto* event = reinterpret_cast<inotify_event*>(e);
            m_seen << QFile::decodeName(event->name) +
                          (event->mask & IN_DELETE ? " gone" : " made");
            e += sizeof(inotify_event) + event->len;
        }
    }
    return m_seen;
}

#endif

Conditions::Conditions([[maybe_unused]] qint64 limit, [[maybe_unused]] bool asNobody, int lockMs)
    : m_lockMs(lockMs < 0 ? -1 : ProfileRoutines::SetLockTimeout(lockMs)) {
#ifndef Q_OS_WIN
    m_limited = limit > 0;
    m_nobody = asNobody && getuid() == 0;
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit room{rlim_t(limit), RLIM_INFINITY};
    if ((m_limited && setrlimit(RLIMIT_FSIZE, &room) != 0) ||
        (m_nobody && setresuid(65534, 65534, 0) != 0))
        qFatal("could not impose the test's conditions");
#endif
}

Conditions::~Conditions() {
#ifndef Q_OS_WIN
    const rlimit any{RLIM_INFINITY, RLIM_INFINITY};
    if ((m_limited && setrlimit(RLIMIT_FSIZE, &any) != 0) || (m_nobody && setresuid(0, 0, 0) != 0))
        qFatal("could not undo the test's conditions");
#endif
    if (m_lockMs >= 0)
        ProfileRoutines::SetLockTimeout(m_lockMs);
}
