#include "support/testfolder.h"

#include "storage/profileroutines.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <csignal>
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
