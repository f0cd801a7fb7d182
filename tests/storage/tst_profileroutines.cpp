// The data file down to its bytes: random round trips, files of the earlier Windows version,
// garbage, failed writes, and other processes writing and dying while this one reads.
#include "storage/profileroutines.h"
#include "support/testfolder.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ProfileRoutines;

namespace {

const QString Helper = QStringLiteral(TALLIVOR_BINARY_DIR "/tests/helper_storage");

QByteArray legacy(const QString& name) {
    QFile f(TALLIVOR_TEST_DATA "/legacy/" + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct stat statOf(const QString& path) {
    struct stat st {};
    stat(QFile::encodeName(path).constData(), &st);
    return st;
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

// A line break is stored as a blank.
QString flat(QString s) {
    return s.replace(u'\r', u' ').replace(u'\n', u' ');
}

QString randomText(QRandomGenerator& rng, const QString& alphabet, qsizetype length) {
    const QList<uint> chars = alphabet.toUcs4();
    QString s;
    while (s.size() < length)
        s += QString::fromUcs4(
            reinterpret_cast<const char32_t*>(&chars[rng.bounded(int(chars.size()))]), 1);
    s.truncate(length);
    return !s.isEmpty() && s.back().isHighSurrogate() ? s.chopped(1) : s;
}

} // namespace

class TestProfileRoutines : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        // Thousands of writes, each synced to disk: on a RAM disk the sync costs nothing.
        if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            qputenv("TMPDIR", "/dev/shm");
    }

    void randomRoundTrips_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<quint32>("seed");
        const char* starts[] = {"empty", "crlf.tvr", "mixed.tvr", "cp1252.tvr", "duplicates.tvr"};
        for (quint32 seed = 0; seed < 10; ++seed)
            QTest::addRow("%s seed %u", starts[seed % 5], seed)
                << QString(starts[seed % 5]) << seed;
    }

    void randomRoundTrips() {
        QFETCH(QString, start);
        QFETCH(quint32, seed);
        // A few names, used in changing letter case, and values that the platform's own routines
        // would have trimmed, cut or split.
        QRandomGenerator rng(seed);
        QStringList sections{"Set 1", "Set 1 ", "\u212A", "ΟΔΟΣ"};
        QStringList names{"name1", "σοφός", "ß"};
        for (int i = 0; i < 5; ++i) {
            sections.append(randomText(rng, "abXY1 ]=;\"[äΩß😀\n", 1 + rng.bounded(12)));
            names.append(("k" + randomText(rng, "bcXYZ19 éÄςσß", rng.bounded(8))).trimmed());
        }
        const auto pick = [&](const QStringList& list) {
            const QString s = list[rng.bounded(int(list.size()))];
            const quint32 c = rng.bounded(3);
            return c == 0 ? s.toUpper() : c == 1 ? s.toLower() : s;
        };
        TestFolder batches, singles; // the same writes in batches and one by one: the same bytes
        batches.write(start == "empty" ? QByteArray() : legacy(start));
        singles.write(batches.bytes());
        QList<ProfileWrite> history;
        for (int round = 0; round < 50; ++round) {
            QList<ProfileWrite> batch;
            for (quint32 i = 0, n = 1 + rng.bounded(4); i < n; ++i) {
                static const int lengths[] = {0, 1, 3, 10, 748, 749, 750, 800};
                const int length = lengths[rng.bounded(8)];
                batch.append({pick(sections), pick(names),
                              randomText(rng, " a\t\"'=;[]#\\é€日😀\n\r", length)});
                QVERIFY(WriteProfileValue(batch.back().section, batch.back().key,
                                          batch.back().value, singles.dataFile()));
            }
            QVERIFY(WriteProfileValues(batch, batches.dataFile()));
            QCOMPARE(batches.bytes(), singles.bytes());
            history += batch;
            // Nothing new to store, even after a change set back: the file is not replaced.
            const ino_t inode = statOf(batches.dataFile()).st_ino;
            batch.prepend({batch[0].section, batch[0].key, "changed"});
            QVERIFY(WriteProfileValues(batch, batches.dataFile()));
            QCOMPARE(statOf(batches.dataFile()).st_ino, inode);
        }
        // Each name reads its last write, cut to the limit; names match without regard to case.
        std::map<QString, QString> last;
        QList<ProfileKey> keys;
        QStringList values;
        for (auto w = history.crbegin(); w != history.crend(); ++w) {
            const QString v = flat(w->value.left(MaxValueLength));
            keys.append({w->section, w->key});
            values.append(last.try_emplace(flat(w->section + u'\x1f' + w->key).toCaseFolded(),
                                           v.size() == MaxValueLength && v.back().isHighSurrogate()
                                               ? v.chopped(1)
                                               : v)
                              .first->second);
        }
        QCOMPARE(ReadProfileValues(keys, batches.dataFile()), values);
    }

    void newFile_data() {
        QTest::addColumn<QList<ProfileWrite>>("writes");
        QTest::addColumn<QByteArray>("bytes"); // empty: refused, and no file
        QTest::newRow("CRLF, keys upper-cased, values whole")
            << QList<ProfileWrite>{{"readone", "read2", ""},
                                   {"Set 1", "Name1", " \"a=b;[c]\" "},
                                   {"readone", "read1", "1"}}
            << QByteArray("[readone]\r\nREAD2=\r\nREAD1=1\r\n[Set 1]\r\nNAME1= \"a=b;[c]\" \r\n");
        QTest::newRow("line breaks stored as blanks")
            << QList<ProfileWrite>{{"a\r\nb", "k\n", "x\ny\rz"}}
            << QByteArray("[a  b]\r\nK=x y z\r\n");
        QTest::newRow("names match without regard to case, the first spelling stays")
            << QList<ProfileWrite>{{"Spiele Ä", "grün", "1"},
                                   {"SPIELE ä", "GRÜN", "2"},
                                   {"s", "ß", "3"}}
            << QByteArray("[Spiele Ä]\r\nGRÜN=2\r\n[s]\r\nß=3\r\n");
        for (const char* key : {"", "  ", "a=b", "[a]", ";a"})
            QTest::addRow("key \"%s\" refused", key)
                << QList<ProfileWrite>{{"s", "good", "1"}, {"s", key, "1"}} << QByteArray();
    }

    void newFile() {
        QFETCH(QList<ProfileWrite>, writes);
        QFETCH(QByteArray, bytes);
        TestFolder folder;
        QFile lock(folder.dataFile() + ".lock"); // of a process that no longer runs: taken over
        if (!bytes.isEmpty() && lock.open(QIODevice::WriteOnly))
            lock.write("999999999\ntallivor\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        lock.close();
        QCOMPARE(WriteProfileValues(writes, folder.dataFile()), !bytes.isEmpty());
        QCOMPARE(folder.bytes(), bytes);
        // It holds passwords; and no lock or temporary file is left beside it.
        QCOMPARE(statOf(folder.dataFile()).st_mode & 07777, bytes.isEmpty() ? 0u : 0600u);
        QCOMPARE(entries(folder.path()),
                 bytes.isEmpty() ? QStringList() : QStringList{"tallivor.tvr"});
    }

    void legacyFiles_data() {
        // file, section, key, what it reads, the value then written, and the file afterwards:
        // the original with its one occurrence of "from" replaced by "to".
        QTest::addColumn<QByteArrayList>("r");
        const auto row = [](const char* name, auto... r) {
            QTest::newRow(name) << QByteArrayList{r...};
        };
        row("BOM kept", "bom.tvr", "readone", "read2", "päss", "x",
            "\xef\xbb\xbf[readone]\r\nREAD2=päss\r\n", "\xef\xbb\xbf[readone]\r\nREAD2=x\r\n");
        row("new key after the last non-blank line", "comments.tvr", "readone", "read3", "", "clue",
            "no equals sign here\r\n", "no equals sign here\r\nREAD3=clue\r\n");
        row("blanks around key name, value whole", "blanks.tvr", "Set 1", "name1",
            "  padded value  ", "v", "  name1 =  padded value  \r\n", "NAME1=v\r\n");
        row("name without them is another section", "blanks.tvr", "Spaced", "name1", "", "s",
            "NAME1=inner blanks\r\n", "NAME1=inner blanks\r\n[Spaced]\r\nNAME1=s\r\n");
        row("section name holding ]", "brackets.tvr", "set ]1", "name1", "bracket", "b", "=bracket",
            "=b");
        row("first of duplicate keys", "duplicates.tvr", "SET 1", "name1", "first", "new", "=first",
            "=new");
        row("first of duplicate sections", "duplicates.tvr", "set 1", "num1", "", "n",
            "name1=second\r\n", "name1=second\r\nNUM1=n\r\n");
        row("last line without line end gets one", "nofinal.tvr", "Set 1", "num1", "", "1",
            "NAME1=last", "NAME1=last\r\nNUM1=1\r\n");
        row("UTF-8 line among Windows-1252 lines", "cp1252.tvr", "Set 1", "num1", "été", "ü",
            "NUM1=été\r\n", "NUM1=ü\r\n");
        row("Windows-1252 line rewritten as UTF-8", "cp1252.tvr", "Set 1", "name1", "naïve", "naïf",
            "NAME1=na\xefve\r\n", "NAME1=naïf\r\n");
        row("Windows-1252 value unchanged", "cp1252.tvr", "readone", "read3", "café € “quoted”",
            "café € “quoted”", "READ3=", "READ3=");
        row("line keeps its own line end", "mixed.tvr", "Set 1", "name1", "lf", "L", "NAME1=lf\r\n",
            "NAME1=L\r\n");
        row("first line end sets the style", "mixed.tvr", "Set 2", "num1", "", "1", "NAME1=x",
            "NAME1=x\nNUM1=1\n");
        row("key before any section belongs to none", "keysfirst.tvr", "Set 1", "name1", "", "n",
            "NUM1=1\r\n", "NUM1=1\r\nNAME1=n\r\n");
    }

    void legacyFiles() {
        QFETCH(QByteArrayList, r);
        const QString section = r[1], key = r[2];
        const QByteArray original = legacy(r[0]);
        QCOMPARE(original.count(r[5]), 1);
        TestFolder folder;
        folder.write(original);
        const mode_t mode = statOf(folder.dataFile()).st_mode;
        QCOMPARE(ReadProfileValue(section, key, folder.dataFile()), QString(r[3]));
        QVERIFY(WriteProfileValue(section, key, r[4], folder.dataFile()));
        QCOMPARE(folder.bytes(), QByteArray(original).replace(r[5], r[6]));
        QCOMPARE(statOf(folder.dataFile()).st_mode, mode); // an existing file keeps its mode
        QCOMPARE(ReadProfileValue(section, key, folder.dataFile()), QString(r[4]));
    }

    void garbage_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name1"); // what section "Set 1", key name1 reads
        QByteArray binary(10 << 20, Qt::Uninitialized);
        QRandomGenerator(4711).fillRange(reinterpret_cast<quint32*>(binary.data()),
                                         binary.size() / 4);
        QTest::newRow("10 MB binary line") << binary.replace('\n', 'x') << QString();
        QTest::newRow("NUL bytes") << QByteArray("[Set 1]\0\r\nNAME1=a\0b\r\n\0\0\0", 24)
                                   << QString::fromUtf16(u"a\0b", 3);
        // However long the line, a read gives back 749 characters.
        QTest::newRow("10 MB value")
            << "[Set 1]\r\nNAME1=" + QByteArray("é").repeated(5 << 20) + "\r\n"
            << QString(749, u'é');
        QTest::newRow("10 MB of 0xFF in a value")
            << "[Set 1]\nNAME1=" + QByteArray(10 << 20, '\xff') << QString(749, u'ÿ');
        QTest::newRow("brackets only") << QByteArray("[[[[]]]]=\n]]][[[\n=\n==\n[") << QString();
    }

    void garbage() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name1);
        TestFolder folder;
        folder.write(bytes);
        QCOMPARE(ReadProfileValue("Set 1", "name1", folder.dataFile()), name1);
        QVERIFY(WriteProfileValue("Fresh", "key", "v", folder.dataFile()));
        QCOMPARE(ReadProfileValue("fresh", "key", folder.dataFile()), QStringLiteral("v"));
        // The new section comes after everything that was there.
        const QByteArray after = folder.bytes();
        QVERIFY(after.startsWith(bytes));
        QVERIFY(after.endsWith("[Fresh]\r\nKEY=v\r\n") || after.endsWith("[Fresh]\nKEY=v\n"));
    }

    void failedWriteChangesNothing_data() {
        QTest::addColumn<QString>("reason"); // %1 the folder, %2 the file
        QTest::newRow("folder") << "the folder %1 can't be written (Permission denied)";
        QTest::newRow("read-only") << "the file %2 is read-only";
        QTest::newRow("disk full") << "the file %2 couldn't be saved (File too large)";
        // Another user's file in a shared folder: everything but the final rename works.
        QTest::newRow("rename") << "the file %2 couldn't be saved (Operation not permitted)";
        QTest::newRow("in use") << "the data file %2 is in use by another program";
        QTest::newRow("directory") << "the file %2 can't be read (not a file)";
    }

    void failedWriteChangesNothing() {
        QFETCH(QString, reason);
        const QByteArray kind = QTest::currentDataTag();
        if (kind == "rename" && getuid() != 0)
            QSKIP("needs root, to write as another user");
        TestFolder folder;
        const QString file = folder.dataFile();
        if (kind == "directory")
            QVERIFY(QDir().mkdir(file));
        else
            folder.write("[readone]\r\nREAD2=pw\r\n");
        const auto mode = [](const QString& path, mode_t m) {
            QCOMPARE(chmod(QFile::encodeName(path).constData(), m), 0);
        };
        mode(file, kind == "read-only" ? 0444 : 0666);
        mode(folder.path(), kind == "folder" ? 0555 : kind == "rename" ? 01777 : 0777);
        QLockFile other(file + ".lock");
        QVERIFY(kind != "in use" || other.tryLock());
        const QStringList before = entries(folder.path());
        const QByteArray bytes = folder.bytes();
        const QString stored = ReadProfileValue("readone", "read2", file);
        // Room for the lock, not for the new file; root ignores mode bits, so write as nobody.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit room{kind == "disk full" ? 400 : RLIM_INFINITY, RLIM_INFINITY};
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &room), 0);
        SetLockTimeout(200);
        const bool asNobody = getuid() == 0 && setresuid(65534, 65534, 0) == 0;
        // A value already there needs no write, so that still succeeds.
        const bool keptOk = WriteProfileValue("readone", "read2", stored, file);
        QString why;
        const bool ok = WriteProfileValues({{"readone", "read2", QString(2000, u'x')}}, file, &why);
        if (asNobody)
            QCOMPARE(setresuid(0, 0, 0), 0);
        room.rlim_cur = RLIM_INFINITY;
        setrlimit(RLIMIT_FSIZE, &room);
        mode(folder.path(), 0700);
        QCOMPARE(keptOk, !stored.isEmpty());
        QVERIFY(!ok);
        QCOMPARE(why, reason.replace("%1", folder.path()).replace("%2", file));
        QCOMPARE(entries(folder.path()), before);
        QCOMPARE(folder.bytes(), bytes);
    }

    // Two other copies of the program save rounds of their keys and are killed now and then,
    // while this one reads: every read sees one whole round of each, never an older one.
    void writersKilledMidSaveLeaveOldOrNewRounds() {
        TestFolder folder;
        QList<ProfileKey> keys;
        for (int k = 0; k < 32; ++k)
            keys.append({k % 2 ? "Loop" : "Ruduze Vad Ovo",
                         QChar(u'a' + k / 16) + QString::number(k % 16)});
        long seen[2] = {0, 0}; // no round yet reads as 0
        const auto wholeAndNewer = [&] {
            const QStringList values = ReadProfileValues(keys, folder.dataFile());
            for (int w = 0; w < 2; ++w) {
                const QStringList mine = values.mid(w * 16, 16);
                if (mine.count(mine[0]) != 16 || mine[0].toLong() < seen[w])
                    return false;
                seen[w] = mine[0].toLong();
            }
            return true;
        };
        for (int kill = 0; kill < 6; ++kill) {
            QProcess writers[2];
            for (int w = 0; w < 2; ++w)
                writers[w].start(
                    Helper, {folder.dataFile(), QChar(u'a' + w), QString::number(seen[w] + 1)});
            const QDeadlineTimer running(20 + QRandomGenerator::global()->bounded(80));
            while (!running.hasExpired())
                QVERIFY(wholeAndNewer());
            // Both were still saving: neither found its last round overwritten or failed to save.
            for (QProcess& writer : writers) {
                writer.kill();
                QVERIFY(writer.waitForFinished() && writer.exitStatus() == QProcess::CrashExit);
            }
            QVERIFY(wholeAndNewer());
        }
        QVERIFY2(seen[0] > 0 && seen[1] > 0, "a writer never got to save");
    }
};

QTEST_GUILESS_MAIN(TestProfileRoutines)
#include "tst_profileroutines.moc"
