// Another copy of the program beside the data-file tests:
//   helper_storage loop <file> <first>   saves rounds first, first+1, ... of set "Loop" (the round
//                                        in all 32 keys, over two sections) until killed
//   helper_storage keys <file> <prefix>  writes keys prefix0 .. prefix39 one by one
#include "storage/profileroutines.h"

using namespace ProfileRoutines;

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    const QByteArray mode = argv[1];
    const QString file = QString::fromLocal8Bit(argv[2]);
    const QString arg = QString::fromLocal8Bit(argc > 3 ? argv[3] : "");
    // Bounded, so a helper that is never killed still ends.
    for (long round = arg.toLong(); mode == "loop" && round < arg.toLong() + 100000; ++round) {
        QList<ProfileWrite> writes;
        for (int k = 0; k < 32; ++k)
            writes.append(
                {k % 2 ? "Loop" : "Ruduze Vad Ovo", QString::number(k), QString::number(round)});
        if (!WriteProfileValues(writes, file))
            return 1;
    }
    for (int i = 0; mode == "keys" && i < 40; ++i)
        if (!WriteProfileValue("Shared", arg + QString::number(i), QString::number(i), file))
            return 1;
    return 0;
}
