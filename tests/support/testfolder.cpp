#include "support/testfolder.h"

#include "storage/profileroutines.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <unistd.h>

QByteArray ini(const QStringList& lines) {
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

TestFolder::~TestFolder() {
    const auto writable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    QFile::setPermissions(path(), writable);
    QDirIterator it(path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        QFile::setPermissions(it.next(), writable);
}

QString TestFolder::dataFile() const {
    return ProfileRoutines::DataFilePath(path());
}

QByteArray TestFolder::bytes() const {
    QFile f(dataFile());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestFolder::write(const QByteArray& content) const {
    QFile f(dataFile());
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
}

FileSizeLimit::FileSizeLimit(qint64 bytes) : m_set(bytes > 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit room{rlim_t(bytes), RLIM_INFINITY};
    if (m_set && setrlimit(RLIMIT_FSIZE, &room) != 0)
        qFatal("could not limit the file size");
}

FileSizeLimit::~FileSizeLimit() {
    const rlimit any{RLIM_INFINITY, RLIM_INFINITY};
    if (m_set)
        setrlimit(RLIMIT_FSIZE, &any);
}

AsNobody::AsNobody() : m_switched(getuid() == 0 && setresuid(65534, 65534, 0) == 0) {}

AsNobody::~AsNobody() {
    if (m_switched && setresuid(0, 0, 0) != 0)
        qFatal("could not become root again");
}

LockTimeout::LockTimeout(int milliseconds)
    : m_before(ProfileRoutines::SetLockTimeout(milliseconds)) {}

LockTimeout::~LockTimeout() {
    ProfileRoutines::SetLockTimeout(m_before);
}

Replacements::Replacements(const QString& file)
    : m_watch(inotify_init1(IN_NONBLOCK)), m_name(QFile::encodeName(QFileInfo(file).fileName())) {
    inotify_add_watch(m_watch, QFile::encodeName(QFileInfo(file).path()), IN_MOVED_TO | IN_CREATE);
}

Replacements::~Replacements() {
    close(m_watch);
}

int Replacements::count() const {
    int n = 0;
    alignas(inotify_event) char events[4096];
    for (ssize_t got; (got = read(m_watch, events, sizeof events)) > 0;) {
        for (char* e = events; e < events + got;) {
            const auto* event = reinterpret_cast<inotify_event*>(e);
            n += event->len && m_name == event->name;
            e += sizeof(inotify_event) + event->len;
        }
    }
    return n;
}
