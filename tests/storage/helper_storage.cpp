// Another copy of the program beside the data-file tests.
//   helper_storage <file> <name> <first>   saves rounds first, first+1, ... of its keys name0 ..
//       name15, spread over two sections, until killed. It ends with 3 when its last round is
//       gone: another copy saved over it.
#include "storage/profileroutines.h"

#include <QThread>

using namespace ProfileRoutines;

int main(int, char** argv) {
    const QString file = QString::fromLocal8Bit(argv[1]), name = argv[2];
    const long first = QByteArray(argv[3]).toLong();
    // Bounded, so a helper that is never killed still ends.
    for (long round = first; round < first + 100000; ++round) {
        if (round > first && ReadProfileValue("Loop", name + "1", file).toLong() != round - 1)
            return 3;
        QList<ProfileWrite> writes;
        for (int k = 0; k < 16; ++k)
            writes.append({k % 2 ? "Loop" : "Ruduze Vad Ovo", name + QString::number(k),
                           QString::number(round)});
        if (!WriteProfileValues(writes, file))
            return 1;
        // As a user saves, not back to back: the other copy gets the lock in between.
        QThread::msleep(1);
    }
}
