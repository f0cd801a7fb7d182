// A second process for the data-file tests: another copy of the program writing at the same
// time, one that dies in the middle of its writes, or one with fewer rights.
//
//   helper_storage loop <file> <first>         saves set "Loop" again and again, value n in
//                                              every key of round n, until killed
//   helper_storage keys <file> <prefix> <n>    writes keys prefix0 .. prefix<n-1> one by one
//   helper_storage hold <file>                 takes the lock, prints "locked", waits to be killed
//   helper_storage write <file> <section> <key> <value> [nobody] [fsize=<bytes>]
//                                              one batch write; prints the reason on failure
#include "storage/profileroutines.h"

#include <QLockFile>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

using namespace ProfileRoutines;

namespace {

QList<ProfileWrite> loopRound(long round) {
    const QString value = QString::number(round);
    QList<ProfileWrite> writes;
    for (int k = 1; k <= 15; ++k) {
        writes.append({QStringLiteral("Loop"), QStringLiteral("name%1").arg(k), value});
        writes.append({QStringLiteral("Loop"), QStringLiteral("num%1").arg(k), value});
    }
    writes.append({QStringLiteral("Loop"), QStringLiteral("Name"), value});
    writes.append({QStringLiteral("Ruduze Vad Ovo"), QStringLiteral("Name1"), value});
    return writes;
}

int usage() {
    std::fputs("usage: helper_storage loop|keys|hold|write <file> ...\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return usage();
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString file = QString::fromLocal8Bit(argv[2]);

    if (mode == QLatin1String("loop") && argc == 4) {
        // Bounded, so a helper that is never killed still ends.
        const long first = std::atol(argv[3]);
        for (long round = first; round < first + 100000; ++round) {
            if (!WriteProfileValues(loopRound(round), file))
                return 1;
        }
        return 0;
    }
    if (mode == QLatin1String("keys") && argc == 5) {
        const QString prefix = QString::fromLocal8Bit(argv[3]);
        const int count = std::atoi(argv[4]);
        for (int i = 0; i < count; ++i) {
            if (!WriteProfileValue(QStringLiteral("Shared"), prefix + QString::number(i),
                                   QString::number(i), file))
                return 1;
        }
        return 0;
    }
    if (mode == QLatin1String("hold")) {
        QLockFile lock(file + QStringLiteral(".lock"));
        if (!lock.tryLock(1000))
            return 1;
        std::puts("locked");
        std::fflush(stdout);
        QThread::sleep(30);
        return 0;
    }
    if (mode == QLatin1String("write") && argc >= 6) {
        for (int i = 6; i < argc; ++i) {
            if (std::strcmp(argv[i], "nobody") == 0) {
                if (setgid(65534) != 0 || setuid(65534) != 0)
                    return 3;
            } else if (std::strncmp(argv[i], "fsize=", 6) == 0) {
                // Files may grow only this far: the same failure as a full disk.
                std::signal(SIGXFSZ, SIG_IGN);
                const rlim_t size = rlim_t(std::atol(argv[i] + 6));
                const rlimit limit{size, size};
                if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
                    return 3;
            }
        }
        QString reason;
        const bool ok =
            WriteProfileValues({{QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]),
                                 QString::fromLocal8Bit(argv[5])}},
                               file, &reason);
        std::fputs(reason.toLocal8Bit().constData(), stdout);
        return ok ? 0 : 1;
    }
    return usage();
}
