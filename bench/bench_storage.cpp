// Saving and loading one set in data files of 5, 100 and 1,000 sets.
//
//   build/release/bench/bench_storage
//
// The Disk variants use the system's temporary folder, so every save includes the syncs that
// make it durable; the RamDisk variants run in /dev/shm, where a sync costs nothing, and show
// the program's own share.
#include "storage/inifile.h"
#include "storage/profileroutines.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace ProfileRoutines;

namespace {

QString setName(int set) {
    return QStringLiteral("Set number %1").arg(set);
}

// A data file as the program leaves it after sets sets have been saved, every key with a value.
QByteArray dataFile(int sets) {
    QByteArray out = "[readone]\r\nREAD2=secret\r\nREAD3=my clue\r\nREAD1=1\r\n"
                     "[Ruduze Vad Ovo]\r\n";
    for (int slot = 1; slot <= 5; ++slot)
        out += "NAME" + QByteArray::number(slot) + "=" + setName(slot).toUtf8() + "\r\n";
    for (int set = 1; set <= sets; ++set) {
        out += "[" + setName(set).toUtf8() + "]\r\n";
        for (int k = 1; k <= 15; ++k) {
            out += "NAME" + QByteArray::number(k) + "=Program " + QByteArray::number(k) + "\r\n";
            out += "NUM" + QByteArray::number(k) + "=AB12-" + QByteArray::number(set * 100 + k) +
                   "\r\n";
        }
        out += "NAME=" + setName(set).toUtf8() + "\r\n";
    }
    return out;
}

struct Fixture {
    std::unique_ptr<QTemporaryDir> dir;
    QString file;
    QString set;
};

Fixture makeFixture(int sets, bool ramDisk) {
    Fixture f;
    f.dir = ramDisk ? std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/bench-XXXXXX"))
                    : std::make_unique<QTemporaryDir>();
    f.file = DataFilePath(f.dir->path());
    QFile out(f.file);
    if (out.open(QIODevice::WriteOnly))
        out.write(dataFile(sets));
    f.set = setName((sets + 1) / 2);
    return f;
}

// One save of a set: its thirty entries, its own name, and the slot's name.
QList<ProfileWrite> saveSet(const QString& set, int round) {
    const QString mark = QString::number(round % 2);
    QList<ProfileWrite> writes;
    for (int k = 1; k <= 15; ++k) {
        writes.append({set, QStringLiteral("name%1").arg(k), QStringLiteral("Program %1").arg(k)});
        writes.append({set, QStringLiteral("num%1").arg(k), QStringLiteral("CD34-%1").arg(mark)});
    }
    writes.append({set, QStringLiteral("Name"), set});
    writes.append({QStringLiteral("Ruduze Vad Ovo"), QStringLiteral("Name3"), set});
    return writes;
}

QList<ProfileKey> loadSet(const QString& set) {
    QList<ProfileKey> keys;
    for (int k = 1; k <= 15; ++k) {
        keys.append({set, QStringLiteral("name%1").arg(k)});
        keys.append({set, QStringLiteral("num%1").arg(k)});
    }
    return keys;
}

void save(benchmark::State& state, bool ramDisk) {
    const int sets = int(state.range(0));
    Fixture f = makeFixture(sets, ramDisk);
    int round = 0;
    for (auto _ : state) {
        if (!WriteProfileValues(saveSet(f.set, round++), f.file)) {
            state.SkipWithError("the save failed");
            break;
        }
    }
    state.counters["file_KiB"] = double(QFileInfo(f.file).size()) / 1024.0;
    state.SetComplexityN(sets);
}

void BM_SaveSetDisk(benchmark::State& state) {
    save(state, false);
}

void BM_SaveSetRamDisk(benchmark::State& state) {
    save(state, true);
}

void BM_LoadSet(benchmark::State& state) {
    const int sets = int(state.range(0));
    Fixture f = makeFixture(sets, false);
    const QList<ProfileKey> keys = loadSet(f.set);
    for (auto _ : state) {
        const QStringList values = ReadProfileValues(keys, f.file);
        if (values.back().isEmpty()) {
            state.SkipWithError("the set is missing");
            break;
        }
        benchmark::DoNotOptimize(values.constData());
    }
    state.SetComplexityN(sets);
}

// The reading of the file's structure alone, without any file access.
void BM_ParseOnly(benchmark::State& state) {
    const QByteArray bytes = dataFile(int(state.range(0)));
    for (auto _ : state) {
        IniFile ini(bytes);
        benchmark::DoNotOptimize(&ini);
    }
    state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(BM_SaveSetDisk)
    ->Arg(5)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_SaveSetRamDisk)
    ->Arg(5)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_LoadSet)
    ->Arg(5)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_ParseOnly)
    ->Arg(5)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

BENCHMARK_MAIN();
